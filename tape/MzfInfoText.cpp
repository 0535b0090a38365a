#include "tape/MzfInfoText.h"

#include <cstdio>
#include <sstream>

#include "tape/MzfName.h"
#include "tape/RunMessages.h"

namespace kvetro {

namespace {

void Field(std::ostringstream& Out, const char* Label, const std::string& Value) {
  Out << Label << std::string(20 - std::char_traits<char>::length(Label), ' ') << Value << '\n';
}

std::string BodyInFile(const TMzfInfo& Info) {
  const std::int32_t Size = Info.BodySize;
  const std::int32_t Held = Info.BodyInFile;
  std::string Text = std::to_string(Held) + " of " + std::to_string(Size) + " bytes";
  if (Held < Size) {
    Text += ", " + std::to_string(Size - Held) + " missing (sent as zeros)";
  } else if (Info.AfterHeader > Size) {
    Text += ", then " + std::to_string(Info.AfterHeader - Size) + " more bytes (not sent)";
  }
  return Text;
}

std::string TimeAndSamples(std::uint64_t Samples, std::int32_t Rate) {
  return PlayingTime(Samples, Rate) + " (" + std::to_string(Samples) + " samples)";
}

const char* LayoutName(TTapeLayoutChoice Layout) {
  switch (Layout) {
    case TTapeLayoutChoice::FastLoader:
      break;
    case TTapeLayoutChoice::Standard:
      return "the machine's own, with copies";
    case TTapeLayoutChoice::StandardNoCopies:
      return "the machine's own, without copies";
  }
  return "fast loader";
}

// "10 + 12 samples (226.8 + 272.1 us)": a pulse's halves at Rate.
std::string PulseAtRate(std::int32_t Lo, std::int32_t Hi, std::int32_t Rate) {
  const auto Micro = [Rate](std::int32_t Samples) { return 1e6 * Samples / Rate; };
  char Text[80];
  std::snprintf(Text, sizeof Text, "%d + %d samples (%.1f + %.1f \u00b5s)", Lo, Hi, Micro(Lo),
                Micro(Hi));
  return Text;
}

// The layout, the rate and each file's timing: shown when the user chose
// another layout or rate than the window's.
bool ShowsTiming(const TConversionSettings& Settings) {
  return Settings.Layout != TTapeLayoutChoice::FastLoader ||
         Settings.SampleRate != DefaultSampleRate;
}

void HeaderLines(std::ostringstream& Out, const TMzfInfo& Info) {
  if (Info.FileLength < TMzfImage::HeaderSize) {
    Field(Out, "Header in the file:",
          std::to_string(Info.FileLength) + " of " + std::to_string(TMzfImage::HeaderSize) +
              " bytes (the rest read as zeros)");
  }
  Field(Out, "File type:", HexText(Info.Type, 2));
  Field(Out, "File name:", '"' + NameText(Info.Name) + '"');
  Field(Out,
        "Body size:", std::to_string(Info.BodySize) + " bytes (" + HexText(Info.BodySize, 4) + ")");
  Field(Out, "Load address:", HexText(Info.LoadAddress, 4));
  Field(Out, "Execution address:", HexText(Info.ExecAddress, 4));
  Field(Out, "Body in the file:", BodyInFile(Info));
}

void TimingLines(std::ostringstream& Out, const PulseTiming& Timing, std::int32_t Rate) {
  Field(Out, "  short pulse (0):", PulseAtRate(Timing.Log0Lo, Timing.Log0Hi, Rate));
  Field(Out, "  long pulse (1):", PulseAtRate(Timing.Log1Lo, Timing.Log1Hi, Rate));
}

void LayoutLines(std::ostringstream& Out, const TConversionSettings& Settings) {
  Field(Out, "Layout:", LayoutName(Settings.Layout));
  Field(Out, "Sample rate:", std::to_string(Settings.SampleRate) + " Hz");
}

void TotalLines(std::ostringstream& Out, const TConversionPlan& Plan) {
  Field(Out, "Total:", TimeAndSamples(Plan.DataSize(), Plan.SampleRate));
  Field(Out, "WAV file:", std::to_string(Plan.FileSize()) + " bytes");
}

}  // namespace

std::string MzfInfoText(const TMzfInfo& Info) {
  std::ostringstream Out;
  HeaderLines(Out, Info);
  if (!Info.Plan) {
    return Out.str();
  }
  const TConversionPlan& Plan = *Info.Plan;
  const bool Timing = ShowsTiming(Info.Settings);
  if (Timing) {
    LayoutLines(Out, Info.Settings);
  }
  for (const TPlannedFile& File : Plan.Files) {
    Field(Out, (std::string(File.Label) + ":").c_str(),
          TimeAndSamples(File.Samples, Plan.SampleRate));
    if (Timing) {
      TimingLines(Out, File.Timing, Plan.SampleRate);
    }
  }
  TotalLines(Out, Plan);
  return Out.str();
}

std::string TapeInfoText(const TTapeInfo& Info) {
  if (Info.Files.size() == 1) {
    TMzfInfo One = Info.Files.front().Header;
    One.Plan = Info.Plan;
    return MzfInfoText(One);
  }
  std::ostringstream Out;
  for (const TTapeFileInfo& File : Info.Files) {
    Out << (&File == &Info.Files.front() ? "" : "\n") << File.Label << ":\n";
    HeaderLines(Out, File.Header);
    if (Info.Plan) {
      Field(Out, "Tape file:", TimeAndSamples(File.Samples, Info.Plan->SampleRate));
    }
  }
  if (!Info.Plan || Info.Files.empty()) {
    return Out.str();
  }
  // Every file of a tape goes out in the same layout at the same timing.
  Out << '\n';
  if (ShowsTiming(Info.Settings)) {
    LayoutLines(Out, Info.Settings);
    TimingLines(Out, Info.Plan->Files.front().Timing, Info.Plan->SampleRate);
  }
  TotalLines(Out, *Info.Plan);
  return Out.str();
}

}  // namespace kvetro
