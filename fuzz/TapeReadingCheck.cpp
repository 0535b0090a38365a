#include "fuzz/TapeReadingCheck.h"

#include <array>
#include <cmath>

#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro {

namespace {

using TBytes = std::vector<std::uint8_t>;

enum TMode : std::uint8_t { kWaveFile = 0, kPulses = 1, kSamples = 2, kModes = 3 };

constexpr char kName[] = "fuzz.wav";

struct TSampleFormat {
  std::uint16_t Tag;
  std::uint16_t Bits;
};
constexpr std::array<TSampleFormat, 6> kFormats = {
    {{1, 8}, {1, 16}, {1, 24}, {1, 32}, {3, 32}, {3, 64}}};
constexpr std::array<std::int32_t, 4> kRates = {8000, 22050, 44100, 192000};

TBytes WaveOf(const TBytes& Samples, std::int32_t Rate, std::uint16_t Tag, std::uint16_t Bits,
              std::uint16_t Channels) {
  TMemoryStream Memory;
  TWaveStream Wave(Memory);
  Wave.SetPCMFormat(Rate, Bits, Channels);
  Wave.GetFormat()[0] = static_cast<std::uint8_t>(Tag);
  Wave.Open(true);
  Wave.WriteBuffer(Samples.data(), static_cast<std::int32_t>(Samples.size()));
  Wave.Close();
  return Memory.Bytes();
}

}  // namespace

TBytes TapeReadingRecording(const std::uint8_t* Data, std::size_t Size) {
  const TBytes Rest(Data + 2, Data + Size);
  switch (Data[0] % kModes) {
    case kPulses: {
      TBytes Samples;
      for (const std::uint8_t Pulse : Rest) {
        Samples.insert(Samples.end(), (Pulse & 0x0F) + 1U, 0x30);
        Samples.insert(Samples.end(), (Pulse >> 4) + 1U, 0xD0);
      }
      return WaveOf(Samples, 44100, 1, 8, 1);
    }
    case kSamples: {
      const TSampleFormat Format = kFormats[Data[1] % kFormats.size()];
      const auto Channels = static_cast<std::uint16_t>(1 + (Data[1] >> 3) % 3);
      return WaveOf(Rest, kRates[(Data[1] >> 5) % kRates.size()], Format.Tag, Format.Bits,
                    Channels);
    }
    default:
      return Rest;
  }
}

namespace {

bool Finite(const TReadWindow& Window) {
  return std::isfinite(Window.FromUs) && std::isfinite(Window.ToUs);
}

std::string BlockProblem(const TBlockReport& Block, const std::string& What) {
  for (const auto* Ranges : {&Block.BadBytes, &Block.Conflicts, &Block.Repaired}) {
    for (const TByteRange& Range : *Ranges) {
      if (Range.First < 0 || Range.First > Range.Last || Range.Last > Block.Length + 1) {
        return What + ": bytes " + std::to_string(Range.First) + "-" + std::to_string(Range.Last) +
               " of " + std::to_string(Block.Length);
      }
    }
  }
  if (Block.Source != TBlockSource::Neither && !Block.BadBytes.empty()) {
    return What + ": read right, but with a bad byte";
  }
  if (Block.Window.has_value() == (Block.Source == TBlockSource::Neither)) {
    return What + ": a window for a block that failed, or none for one read";
  }
  if ((Block.Window && !Finite(*Block.Window)) || !Finite(Block.OtherPolarityWindow)) {
    return What + ": a window that is not finite";
  }
  return {};
}

std::string ReportProblem(const TTapeReport& Report) {
  if (Report.Channel < 1 || Report.Channel > Report.Format.Channels) {
    return "channel " + std::to_string(Report.Channel) + " read";
  }
  for (const TFileReport& File : Report.Files) {
    if (File.Mzf.size() < 128) {
      return "an MZF of " + std::to_string(File.Mzf.size()) + " bytes";
    }
    if (File.Whole && File.Mzf.size() != 128U + File.Size) {
      return "a whole file of " + std::to_string(File.Mzf.size()) + " bytes says size " +
             std::to_string(File.Size);
    }
    if (File.Whole && (!File.Header || File.Header->Source == TBlockSource::Neither)) {
      return "a whole file whose header failed";
    }
    std::string Problem = File.Header ? BlockProblem(*File.Header, "header") : std::string();
    if (Problem.empty() && File.Body) {
      Problem = BlockProblem(*File.Body, "body");
    }
    if (Problem.empty() && File.FastBody) {
      Problem = BlockProblem(*File.FastBody, "fast body");
    }
    if (!Problem.empty()) {
      return Problem;
    }
  }
  const std::string Text = ReportText(Report);
  if (Text.empty() || Text.back() != '\n') {
    return "the report's text does not end a line";
  }
  return {};
}

}  // namespace

TBytes TapeReadingPulseInput(const TBytes& Pulses) {
  TBytes Input = {kPulses, 0};
  Input.insert(Input.end(), Pulses.begin(), Pulses.end());
  return Input;
}

std::string CheckTapeReading(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 2) {
    return {};
  }
  TReadOptions Options;
  Options.Polarity = static_cast<TReadOptions::TPolarity>(Data[1] % 3);
  Options.Channel = (Data[1] >> 2) % 4;
  try {
    return ReportProblem(ReadTape(TapeReadingRecording(Data, Size), kName, Options));
  } catch (const EWaveFormatError& Error) {
    const std::string Start = std::string("Cannot read ") + kName + ": ";
    if (Error.Message().rfind(Start, 0) != 0 || Error.Message().size() == Start.size()) {
      return "refused with \"" + Error.Message() + "\"";
    }
  } catch (const std::exception& Error) {
    return std::string("raised \"") + Error.what() + "\"";
  }
  return {};
}

}  // namespace kvetro
