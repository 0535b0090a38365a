#include "wave/WaveStream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "io/StreamErrors.h"
#include "wave/LittleEndian.h"
#include "wave/RiffChunk.h"
#include "wave/WaveStreamError.h"

namespace kvetro {

namespace {

std::array<std::uint8_t, kChunkHeaderSize> ChunkHeader(const char (&Id)[5], std::uint32_t Size) {
  std::array<std::uint8_t, kChunkHeaderSize> Header{};
  std::memcpy(Header.data(), Id, 4);
  PutLe32(Header.data() + 4, Size);
  return Header;
}

}  // namespace

TWaveStream::TWaveStream(TStream& AStream) {
  Attach(AStream);
}

TWaveStream::~TWaveStream() {
  CloseQuietly();
}

void TWaveStream::Attach(TStream& AStream, bool Owned) {
  FStream = &AStream;
  FOwnsStream = Owned;
  FStartOffset = AStream.Position();
}

// Only a wave opened for writing: one opened for reading may not be
// extended, so its writes always take the general way.
void TWaveStream::Follow(std::int32_t Here, std::int32_t Moved) {
  const bool Known = !FReadMode && (FOwnsStream || FAnnouncedSize >= 0);
  FUnderlyingAt = Known ? Here + std::max(Moved, 0) : -1;
}

void TWaveStream::CloseQuietly() noexcept {
  try {
    Close();
  } catch (...) {
    // A destructor must not throw; Close is how a caller hears of this.
  }
}

std::int32_t TWaveStream::GetDataSize() {
  if (!FOpened) {
    return 0;
  }
  if (FReadMode) {
    return FDataSize;
  }
  if (!DataPlaced()) {
    return 0;
  }
  return std::max(FStream->Size() - FDataOffset, 0);
}

std::int32_t TWaveStream::Write(const void* Buffer, std::int32_t Count) {
  if (FPosition != FUnderlyingAt) {
    return TCustomWaveStream::Write(Buffer, Count);
  }
  // The sum stays below 2^31: the underlying stream's position is larger.
  const std::int32_t Moved = FStream->Write(Buffer, Count);
  if (Moved > 0) {
    FPosition += Moved;
    FUnderlyingAt = FPosition;
  }
  return Moved;
}

std::int32_t TWaveStream::ReadWaveData(void* Buffer, std::int32_t Count) {
  if (!FOpened) {
    throw EWaveStreamError("Stream not opend");
  }
  if (!DataPlaced()) {
    return 0;
  }
  const std::int32_t Here = Position();
  FStream->SetPosition(Here + FDataOffset);
  const std::int32_t Moved = FStream->Read(Buffer, Count);
  Follow(Here, Moved);
  return Moved;
}

std::int32_t TWaveStream::WriteWaveData(const void* Buffer, std::int32_t Count) {
  if (!FOpened) {
    throw EWaveStreamError("Stream not opend");
  }
  // After an opening for writing that failed part way the samples would land
  // on the header or before the wave; refuse them instead.
  if (!DataPlaced()) {
    return 0;
  }
  const std::int32_t Here = Position();
  // A wave opened for reading may be overwritten in place, not extended.
  if (FReadMode && static_cast<std::int64_t>(Here) + Count > FDataSize) {
    Count = FDataSize - Here;
  }
  FStream->SetPosition(Here + FDataOffset);
  const std::int32_t Moved = FStream->Write(Buffer, Count);
  Follow(Here, Moved);
  return Moved;
}

void TWaveStream::Open(bool WriteMode) {
  if (FOpened) {
    throw EWaveStreamError("Stream has already been opened");
  }
  if (WriteMode) {
    OpenForWriting();
  } else {
    OpenForReading();
  }
}

void TWaveStream::OpenForWriting() {
  if (GetFormatSize() == 0) {
    throw EWaveStreamError("Format is invalid");
  }
  FOpened = true;
  FStream->SetPosition(FStartOffset);
  // Without an announced size this is room for the RIFF header, whose size
  // is known only when the wave is closed.
  std::array<std::uint8_t, kRiffHeaderSize> Riff{};
  const bool Announced = FAnnouncedSize >= 0;
  if (Announced) {
    std::memcpy(Riff.data(), "RIFF", 4);
    PutLe32(Riff.data() + 4, static_cast<std::uint32_t>(4 + kChunkHeaderSize + FFormatSize +
                                                        kChunkHeaderSize + FAnnouncedSize));
    std::memcpy(Riff.data() + 8, "WAVE", 4);
  }
  FStream->WriteBuffer(Riff.data(), kRiffHeaderSize);
  const auto FormatHeader = ChunkHeader("fmt ", static_cast<std::uint32_t>(FFormatSize));
  FStream->WriteBuffer(FormatHeader.data(), kChunkHeaderSize);
  FStream->WriteBuffer(FFormat.data(), FFormatSize);
  FDataHeaderOffset = FStream->Position();
  const auto DataHeader =
      ChunkHeader("data", Announced ? static_cast<std::uint32_t>(FAnnouncedSize) : 0);
  FStream->WriteBuffer(DataHeader.data(), kChunkHeaderSize);
  FDataOffset = FStream->Position();
  Follow(0, 0);
}

void TWaveStream::OpenForReading() {
  // Opened before anything is read: a wave that fails the checks below
  // still counts as opened, with no data.
  FOpened = true;
  FReadMode = true;
  FStream->SetPosition(FStartOffset);
  std::array<std::uint8_t, kRiffHeaderSize> Riff{};
  FStream->ReadBuffer(Riff.data(), kRiffHeaderSize);
  if (!IdIs(Riff.data(), "RIFF") || !IdIs(Riff.data() + 8, "WAVE")) {
    throw EWaveStreamError("Wave is invalid");
  }

  // The walk goes to the end of the underlying stream or to a chunk ID of
  // zeros, not to the end the RIFF size names; pad bytes are not skipped.
  // Every chunk that is walked over starts with at least one byte read, so
  // the position only grows and the walk ends. A chunk that claims more
  // bytes than the stream still holds (every size of 2^31 or more does)
  // ends the walk; a data chunk there keeps the bytes that are present.
  const std::int64_t StreamSize = FStream->Size();
  for (;;) {
    std::array<std::uint8_t, kChunkHeaderSize> Header{};
    FStream->Read(Header.data(), kChunkHeaderSize);
    if (GetLe32(Header.data()) == 0) {
      break;
    }
    const std::int64_t ChunkSize = GetLe32(Header.data() + 4);
    const std::int32_t Here = FStream->Position();
    const std::int64_t Remaining = std::max<std::int64_t>(StreamSize - Here, 0);
    const bool Truncated = ChunkSize > Remaining;
    if (IdIs(Header.data(), "fmt ")) {
      // Checked before the record is sized: a forged size must not make us
      // allocate it.
      if (Truncated) {
        throw EReadError();
      }
      SetFormatSize(static_cast<std::int32_t>(ChunkSize));
      FStream->ReadBuffer(FFormat.data(), FFormatSize);
      continue;
    }
    if (IdIs(Header.data(), "data")) {
      FDataSize = static_cast<std::int32_t>(std::min(ChunkSize, Remaining));
      FClaimedDataSize = ChunkSize;
      FDataOffset = Here;
    }
    if (Truncated) {
      break;
    }
    FStream->Seek(static_cast<std::int32_t>(ChunkSize), soFromCurrent);
  }
}

void TWaveStream::Close() {
  if (FClosed) {
    return;
  }
  FClosed = true;
  FUnderlyingAt = -1;  // completing the header moves it
  if (FOpened && !FReadMode && DataPlaced()) {
    if (FAnnouncedSize >= 0) {
      CheckAnnouncedSize();
    } else {
      CompleteHeader();
    }
  }
}

void TWaveStream::CheckAnnouncedSize() {
  if (GetDataSize() != FAnnouncedSize || FStream->Position() != FDataOffset + FAnnouncedSize) {
    throw EWaveStreamError("Wave data of " + std::to_string(GetDataSize()) +
                           " bytes, but its header says " + std::to_string(FAnnouncedSize));
  }
}

void TWaveStream::CompleteHeader() {
  const std::int64_t StreamSize = FStream->Size();
  std::array<std::uint8_t, kRiffHeaderSize> Riff{};
  std::memcpy(Riff.data(), "RIFF", 4);
  PutLe32(Riff.data() + 4, static_cast<std::uint32_t>(StreamSize - FStartOffset - 8));
  std::memcpy(Riff.data() + 8, "WAVE", 4);
  FStream->SetPosition(FStartOffset);
  FStream->WriteBuffer(Riff.data(), kRiffHeaderSize);

  const auto DataHeader = ChunkHeader("data", static_cast<std::uint32_t>(GetDataSize()));
  FStream->SetPosition(FDataHeaderOffset);
  FStream->WriteBuffer(DataHeader.data(), kChunkHeaderSize);
  FStream->SetPosition(FStream->Size());
}

}  // namespace kvetro
