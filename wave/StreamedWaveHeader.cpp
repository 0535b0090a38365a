#include "wave/StreamedWaveHeader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "wave/LittleEndian.h"
#include "wave/RiffChunk.h"

namespace kvetro {

namespace {

// A format record is a few dozen bytes; a larger one is not a WAV's.
constexpr std::uint32_t kLargestFormat = 1024;

// Count bytes, or as many as the stream still has.
std::int64_t ReadFully(TStream& Stream, std::uint8_t* Into, std::int64_t Count) {
  std::int64_t Got = 0;
  while (Got < Count) {
    const std::int32_t Moved = Stream.Read(
        Into + Got, static_cast<std::int32_t>(std::min<std::int64_t>(Count - Got, 1 << 20)));
    if (Moved <= 0) {
      break;
    }
    Got += Moved;
  }
  return Got;
}

// A chunk of no interest is read past: a stream cannot seek.
bool Skip(TStream& Stream, std::int64_t Count) {
  std::array<std::uint8_t, 4096> Scratch{};
  while (Count > 0) {
    const auto Step = std::min<std::int64_t>(Count, Scratch.size());
    if (ReadFully(Stream, Scratch.data(), Step) < Step) {
      return false;
    }
    Count -= Step;
  }
  return true;
}

}  // namespace

TStreamedWaveHeader TStreamedWaveHeader::Read(TStream& Stream, const std::string& Name) {
  const auto Refuse = [&Name](const std::string& Reason) { return EWaveFormatError(Name, Reason); };
  std::array<std::uint8_t, kRiffHeaderSize> Riff{};
  const std::int64_t Got = ReadFully(Stream, Riff.data(), Riff.size());
  if (Got == 0) {
    throw Refuse("the stream is empty");
  }
  if (Got < static_cast<std::int64_t>(Riff.size()) || !IdIs(Riff.data(), "RIFF") ||
      !IdIs(Riff.data() + 8, "WAVE")) {
    throw Refuse("not a WAV file (no RIFF/WAVE header)");
  }
  std::optional<TWaveFormat> Format;
  for (;;) {
    std::array<std::uint8_t, kChunkHeaderSize> Header{};
    if (ReadFully(Stream, Header.data(), Header.size()) < kChunkHeaderSize) {
      throw Refuse(Format ? "no data chunk" : "no format chunk");
    }
    const std::uint32_t Size = GetLe32(Header.data() + 4);
    if (IdIs(Header.data(), "data")) {
      if (!Format) {
        throw Refuse("no format chunk before the data");
      }
      TStreamedWaveHeader Head{*Format, std::nullopt};
      if (!MeansUntilTheEnd(Size)) {
        Head.DataBytes = Size;
      }
      return Head;
    }
    if (IdIs(Header.data(), "fmt ")) {
      if (Size > kLargestFormat) {
        throw Refuse("a format chunk of " + std::to_string(Size) + " bytes");
      }
      std::vector<std::uint8_t> Record(Size);
      if (ReadFully(Stream, Record.data(), Size) < Size) {
        throw Refuse("the stream is cut short");
      }
      Format = TWaveFormat::Parse(Record.data(), static_cast<std::int32_t>(Size), Name);
    } else if (!Skip(Stream, Size)) {
      throw Refuse("the stream is cut short");
    }
  }
}

}  // namespace kvetro
