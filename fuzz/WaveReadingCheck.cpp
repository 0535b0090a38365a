#include "fuzz/WaveReadingCheck.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "io/StreamErrors.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {

namespace {

constexpr int kMaxOperations = 32;
constexpr std::size_t kOperationSize = 5;  // kind, then a 32-bit argument

// A wave stream that lets the check see where the data was found.
class TWaveProbe : public TWaveStream {
 public:
  using TWaveStream::TWaveStream;
  std::int32_t DataOffset() const { return FDataOffset; }
};

// The operation script: five bytes per operation, taken from the end of the
// input backwards, so that the front stays a plausible wave for the fuzzer
// to grow.
class TScript {
 public:
  TScript(const std::uint8_t* Data, std::size_t Size) : FData(Data), FLeft(Size) {}

  bool Next(std::uint8_t& Kind, std::int32_t& Argument) {
    if (FLeft < kOperationSize) {
      return false;
    }
    FLeft -= kOperationSize;
    const std::uint8_t* At = FData + FLeft;
    Kind = At[0];
    std::uint32_t Raw = 0;
    std::memcpy(&Raw, At + 1, 4);
    Argument = static_cast<std::int32_t>(Raw);
    return true;
  }

 private:
  const std::uint8_t* FData;
  std::size_t FLeft;
};

std::string N(std::int64_t Value) {
  return std::to_string(Value);
}

bool LooksLikeRiff(const std::uint8_t* Data, std::size_t Size) {
  return Size >= 12 && std::memcmp(Data, "RIFF", 4) == 0 && std::memcmp(Data + 8, "WAVE", 4) == 0;
}

// Small counts most of the time, so that reads and writes land inside the
// data; now and then a huge or negative one.
std::int32_t CountFrom(std::uint8_t Kind, std::int32_t Argument, std::int32_t DataSize) {
  if ((Kind & 0x80) != 0) {
    return Argument;
  }
  const auto Span = static_cast<std::uint32_t>(DataSize) + 17;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(Argument) % Span);
}

}  // namespace

std::string CheckWaveReading(const std::uint8_t* Data, std::size_t Size) {
  std::vector<std::uint8_t> Mirror(Data, Data + Size);
  TMemoryStream Memory(Mirror);
  TWaveProbe Wave(Memory);

  try {
    Wave.Open(false);
  } catch (const EWaveStreamError& Error) {
    if (Error.Message() != "Wave is invalid" || LooksLikeRiff(Data, Size)) {
      return "opening failed with \"" + Error.Message() + "\"";
    }
  } catch (const EReadError& Error) {
    if (Error.Message() != "Stream read error") {
      return "read failure says \"" + Error.Message() + "\"";
    }
  }
  try {
    Wave.Open(false);
    return "a second opening was accepted";
  } catch (const EWaveStreamError& Error) {
    if (Error.Message() != "Stream has already been opened") {
      return "second opening says \"" + Error.Message() + "\"";
    }
  }
  if (Memory.Bytes() != Mirror) {
    return "opening for reading changed the bytes";
  }

  const std::int32_t DataSize = Wave.GetDataSize();
  const std::int64_t DataOffset = Wave.DataOffset();
  if (DataSize < 0 || (DataSize > 0 && DataOffset + DataSize > static_cast<std::int64_t>(Size))) {
    return "data of " + N(DataSize) + " bytes at " + N(DataOffset) + " in " +
           N(static_cast<std::int64_t>(Size)) + " bytes";
  }

  std::int64_t Position = 0;
  std::vector<std::uint8_t> Buffer;
  TScript Script(Data, Size);
  std::uint8_t Kind = 0;
  std::int32_t Argument = 0;
  for (int Step = 0; Step < kMaxOperations && Script.Next(Kind, Argument); ++Step) {
    const std::string At = "operation " + N(Step) + ": ";
    switch (Kind % 3) {
      case 0: {
        const auto Origin = static_cast<std::uint16_t>((Kind >> 2) % 4);
        std::int64_t Target = Position;
        if (Origin == soFromBeginning) {
          Target = Argument;
        } else if (Origin == soFromCurrent) {
          Target = Position + Argument;
        } else if (Origin == soFromEnd) {
          Target = static_cast<std::int64_t>(DataSize) + Argument;
        }
        Position = std::clamp<std::int64_t>(Target, 0, DataSize);
        const std::int32_t Answer = Wave.Seek(Argument, Origin);
        if (Answer != Position) {
          return At + "Seek(" + N(Argument) + ", " + N(Origin) + ") answered " + N(Answer) +
                 ", expected " + N(Position);
        }
        break;
      }
      case 1: {
        const std::int32_t Count = CountFrom(Kind, Argument, DataSize);
        const std::int64_t Expected = std::clamp<std::int64_t>(Count, 0, DataSize - Position);
        // The buffer holds more than the data: whatever the count, the wave
        // may hand over no more than lies between the position and the end.
        Buffer.assign(Size + 16, 0);
        const std::int32_t Answer = Wave.Read(Buffer.data(), Count);
        if (Answer != Expected) {
          return At + "Read(" + N(Count) + ") at " + N(Position) + " answered " + N(Answer) +
                 ", expected " + N(Expected);
        }
        if (Answer > 0 && std::memcmp(Buffer.data(), Mirror.data() + DataOffset + Position,
                                      static_cast<std::size_t>(Answer)) != 0) {
          return At + "Read at " + N(Position) + " gave other bytes than the data";
        }
        Position += Answer;
        break;
      }
      default: {
        const std::int32_t Count = CountFrom(Kind, Argument, DataSize);
        const std::int64_t Expected = std::clamp<std::int64_t>(Count, 0, DataSize - Position);
        Buffer.assign(Size + 16, static_cast<std::uint8_t>(0xA5 ^ Step));
        const std::int32_t Answer = Wave.Write(Buffer.data(), Count);
        if (Answer != Expected) {
          return At + "Write(" + N(Count) + ") at " + N(Position) + " answered " + N(Answer) +
                 ", expected " + N(Expected);
        }
        if (Answer > 0) {
          std::memcpy(Mirror.data() + DataOffset + Position, Buffer.data(),
                      static_cast<std::size_t>(Answer));
        }
        Position += Answer;
        if (Memory.Bytes() != Mirror) {
          return At + "Write changed other bytes than it answered";
        }
        break;
      }
    }
    if (Wave.Position() != Position) {
      return At + "Position is " + N(Wave.Position()) + ", expected " + N(Position);
    }
  }
  return {};
}

}  // namespace kvetro
