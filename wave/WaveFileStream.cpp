#include "wave/WaveFileStream.h"

#include <algorithm>

namespace kvetro {

TWaveFileStream::TWaveFileStream(const std::string& FileName, std::uint16_t Mode)
    : FFileStream(std::make_unique<TFileStream>(FileName, Mode)) {
  Attach(*FFileStream);
}

// The file stream member dies before the inherited destructor runs, so the
// header is completed and the file closed here, while both still exist.
TWaveFileStream::~TWaveFileStream() {
  CloseQuietly();
}

std::int32_t TWaveFileStream::GetDataSize() {
  if (FOpened && !FReadMode && DataPlaced()) {
    return std::max(FFileStream->KnownSize() - FDataOffset, 0);
  }
  return TWaveStream::GetDataSize();
}

std::int32_t TWaveFileStream::Write(const void* Buffer, std::int32_t Count) {
  if (FOpened && !FReadMode && DataPlaced()) {
    const std::int32_t End = FFileStream->KnownSize();
    if (static_cast<std::int64_t>(FPosition) + FDataOffset == End &&
        FFileStream->KnownPosition() == End) {
      const std::int32_t Moved = FFileStream->Write(Buffer, Count);
      Advance(Moved);
      return Moved;
    }
  }
  return TCustomWaveStream::Write(Buffer, Count);
}

void TWaveFileStream::Close() {
  try {
    TWaveStream::Close();
  } catch (...) {
    try {
      FFileStream->Close();
    } catch (...) {
      // The header's failure is the one to report.
    }
    throw;
  }
  FFileStream->Close();
}

}  // namespace kvetro
