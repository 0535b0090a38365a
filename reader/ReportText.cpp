#include "reader/ReportText.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "reader/BlockDecoder.h"
#include "tape/MzfName.h"

namespace kvetro {

namespace {

std::string Printed(const char* Format, ...) __attribute__((format(printf, 1, 2)));
std::string Printed(const char* Format, ...) {
  va_list Arguments;
  va_start(Arguments, Format);
  va_list Again;
  va_copy(Again, Arguments);
  const int Length = std::vsnprintf(nullptr, 0, Format, Arguments);
  va_end(Arguments);
  std::vector<char> Text(static_cast<std::size_t>(Length > 0 ? Length : 0) + 1, '\0');
  std::vsnprintf(Text.data(), Text.size(), Format, Again);
  va_end(Again);
  return Text.data();
}

std::string FormatText(const TWaveFormat& Format) {
  return Printed("%d Hz, %d-bit %s%s, %d channel%s", Format.Rate, Format.Bits,
                 Format.Encoding == TWaveFormat::TEncoding::Float ? "float" : "PCM",
                 Format.Tag == TWaveFormat::ExtensibleTag ? " (extensible)" : "", Format.Channels,
                 Format.Channels == 1 ? "" : "s");
}

std::string PolarityText(const TTapeReport& Report) {
  const char* Other = Report.Inverted ? "normal" : "inverted";
  switch (Report.OtherPolarity) {
    case TTapeReport::TOtherPolarity::NotTried:
      break;
    case TTapeReport::TOtherPolarity::ReadsNothing:
      return Printed(" (%s reads nothing)", Other);
    case TTapeReport::TOtherPolarity::ReadsLess:
      return Printed(" (%s reads less)", Other);
    case TTapeReport::TOtherPolarity::ReadsToo:
      return Printed(" (%s reads too)", Other);
  }
  return Report.PolarityFixed ? " (as asked)" : "";
}

std::string PulseLine(const char* Kind, const TPulseFigures& Figures) {
  return Printed("    %s pulses: HIGH %.1f ± %.1f µs, LOW %.1f ± %.1f µs (%lld)\n", Kind,
                 Figures.High.MeanUs, Figures.High.SpreadUs, Figures.Low.MeanUs,
                 Figures.Low.SpreadUs, static_cast<long long>(Figures.High.Count));
}

std::string WindowText(const TReadWindow& Window) {
  if (!Window.IsOpen()) {
    return Printed("none (short pulses up to %.1f µs, long from %.1f µs)", Window.FromUs,
                   Window.ToUs);
  }
  return Printed("%.1f to %.1f µs (%.1f µs wide)", Window.FromUs, Window.ToUs, Window.WidthUs());
}

// A place in the recording as an audio editor shows it.
std::string PlaceText(double Seconds, std::int32_t Rate) {
  return Printed("%s (sample %lld)", PreciseRecordingTime(Seconds).c_str(),
                 static_cast<long long>(std::llround(std::fmax(Seconds, 0) * Rate)));
}

// "bytes 1501-1504 at 0:45.123 (sample 1989674) to 0:45.140 (sample
// 1990424)", the checksum's bytes named as such; at most a few ranges.
std::string RangesText(const std::vector<TByteRange>& Ranges, const TBlockReport& Block) {
  constexpr std::size_t Shown = 4;
  std::string Text;
  for (std::size_t I = 0; I < Ranges.size() && I < Shown; ++I) {
    const TByteRange& Range = Ranges[I];
    Text += I == 0 ? "" : ", ";
    const std::int32_t Last = std::min(Range.Last, Block.Length - 1);
    if (Range.First >= Block.Length) {
      Text += "the checksum";
    } else {
      Text += Range.First == Last ? "byte " + std::to_string(Range.First)
                                  : Printed("bytes %d-%d", Range.First, Last);
      Text += Range.Last > Last ? " and the checksum" : "";
    }
    Text += " at " + PlaceText(Range.FromSeconds, Block.Rate);
    if (Range.First != Range.Last) {
      Text += " to " + PlaceText(Range.ToSeconds, Block.Rate);
    }
  }
  if (Ranges.size() > Shown) {
    Text += " and " + std::to_string(Ranges.size() - Shown) + " more";
  }
  return Text;
}

std::string SourceText(const TBlockReport& Block) {
  const char* Reader = Block.Source == TBlockSource::Copy ? "copy's" : "first block's";
  switch (Block.Source) {
    case TBlockSource::First:
    case TBlockSource::Copy:
      if (Block.ConflictSettled) {
        return "block and copy both hold their checksums but differ at " +
               RangesText(Block.Conflicts, Block) + "; the " + Reader +
               " pulses lie clearly farther from the read point, its bytes are used";
      }
      if (Block.Source == TBlockSource::First) {
        return Block.CopyFound ? "first block read (copy not needed)" : "first block read";
      }
      return Block.FirstFound ? "first block failed, its copy read"
                              : "first block not in the recording, its copy read";
    case TBlockSource::Merged: {
      std::string Text =
          "block and copy failed, repaired from both: " + RangesText(Block.Repaired, Block) +
          " from the copy";
      if (!Block.RepairedFromFirst.empty()) {
        Text += ", " + RangesText(Block.RepairedFromFirst, Block) + " from the first block";
      }
      return Text;
    }
    case TBlockSource::Neither:
      break;
  }
  if (Block.NearPulses > 0) {
    return Printed(
        "read with its checksum right, but %d pulse%s lay within %d %% of the read "
        "point and there is no copy to confirm it: not known to be right",
        Block.NearPulses, Block.NearPulses == 1 ? "" : "s", TBlockRead::NearMargin);
  }
  if (Block.BadBytes.empty() && !Block.Conflicts.empty()) {
    return "block and copy read " + RangesText(Block.Conflicts, Block) +
           " differently, each as sure as the other: not known to be right";
  }
  const std::string What = !Block.CopyFound   ? "block failed"
                           : Block.FirstFound ? "block and copy failed"
                                              : "copy failed";
  std::string Text = What;
  if (!Block.BadBytes.empty()) {
    Text += ", " + RangesText(Block.BadBytes, Block) + " not read";
  }
  if (!Block.Conflicts.empty()) {
    Text += ", " + RangesText(Block.Conflicts, Block) + " read differently";
  }
  return Block.BadBytes.empty() && Block.Conflicts.empty() ? Text + ", checksum wrong" : Text;
}

std::string BlockText(const char* Label, const std::optional<TBlockReport>& Block, bool Inverted) {
  if (!Block) {
    return Printed("  %s: not found\n", Label);
  }
  std::string Text =
      Printed("  %s at %s, %d bytes: %s\n", Label, RecordingTime(Block->StartSeconds).c_str(),
              Block->Length, SourceText(*Block).c_str());
  if (Block->LostPulses > 0) {
    Text += Printed("    %d pulse%s left out as damage (a dropout or noise), the first at %s\n",
                    Block->LostPulses, Block->LostPulses == 1 ? "" : "s",
                    PlaceText(Block->LostSeconds, Block->Rate).c_str());
  }
  Text += PulseLine("short", Block->Short);
  Text += PulseLine("long ", Block->Long);
  if (Block->Window) {
    Text += "    read window " + WindowText(*Block->Window) + "\n";
    Text += std::string("    ") + (Inverted ? "not inverted: " : "if inverted: ") +
            WindowText(Block->OtherPolarityWindow) + "\n";
  }
  return Text;
}

std::string ProblemText(const TReadProblem& Problem) {
  switch (Problem.Kind) {
    case TReadProblem::TKind::Clipping:
      return Printed("%lld samples at full scale: the level may be clipped",
                     static_cast<long long>(Problem.Count));
    case TReadProblem::TKind::UnreadBlock:
      return "a block at " + RecordingTime(Problem.AtSeconds) +
             " could not be read, and nothing told its length";
  }
  return {};
}

}  // namespace

std::vector<TNamedBlock> NamedBlocks(const TFileReport& File) {
  if (!File.Header) {
    return {{"body", File.Body}};
  }
  if (File.FastLoader) {
    return {{"loader header", File.Header}, {"loader body", File.Body}, {"body", File.FastBody}};
  }
  return {{"header", File.Header}, {"body", File.Body}};
}

std::string FileReportText(int Number, const TFileReport& File, bool Inverted) {
  const char* State = File.Whole ? "read whole" : "NOT read whole";
  std::string Text;
  if (!File.Header) {
    Text = Printed(
        "File %d at %s: a body of %u bytes without its header (the recording starts "
        "after it): %s\n",
        Number, RecordingTime(File.StartSeconds).c_str(), File.Size, State);
  } else {
    Text = Printed("File %d at %s: \"%s\", type 0x%02X, %u bytes, load 0x%04X, exec 0x%04X: %s\n",
                   Number, RecordingTime(File.StartSeconds).c_str(), NameText(File.Name).c_str(),
                   File.Type, File.Size, File.LoadAddress, File.ExecAddress, State);
  }
  if (File.FastLoader) {
    Text += Printed("  Kvetro's fast loader, monitor constant 0x%02X\n", File.MonitorConstant);
  }
  for (const TNamedBlock& Named : NamedBlocks(File)) {
    Text += BlockText(Named.Label, Named.Block, Inverted);
  }
  return Text;
}

std::string RecordingTime(double Seconds) {
  const double Tenths = std::round(std::fmax(Seconds, 0) * 10);
  const auto Minutes = static_cast<long long>(Tenths / 600);
  return Printed("%lld:%04.1f", Minutes, (Tenths - static_cast<double>(Minutes) * 600) / 10);
}

std::string PreciseRecordingTime(double Seconds) {
  const double Thousandths = std::round(std::fmax(Seconds, 0) * 1000);
  const auto Minutes = static_cast<long long>(Thousandths / 60000);
  return Printed("%lld:%06.3f", Minutes,
                 (Thousandths - static_cast<double>(Minutes) * 60000) / 1000);
}

std::string ReportText(const TTapeReport& Report) {
  std::string Text = Printed("%s: %s, %s long; channel %d, %s polarity%s\n",
                             Report.RecordingName.c_str(), FormatText(Report.Format).c_str(),
                             RecordingTime(Report.DurationSeconds).c_str(), Report.Channel,
                             Report.Inverted ? "inverted" : "normal", PolarityText(Report).c_str());
  int Number = 0;
  for (const TFileReport& File : Report.Files) {
    Text += FileReportText(++Number, File, Report.Inverted);
  }
  return Text + ReportEndText(Report);
}

std::string ReportEndText(const TTapeReport& Report) {
  std::string Text;
  int Whole = 0;
  bool AnyHeader = false;
  for (const TFileReport& File : Report.Files) {
    Whole += File.Whole ? 1 : 0;
    AnyHeader = AnyHeader || File.Header.has_value();
  }
  for (const TReadProblem& Problem : Report.Problems) {
    Text += "Note: " + ProblemText(Problem) + "\n";
  }
  if (Report.Files.empty()) {
    return Text + "No tape file found in " + Report.RecordingName +
           "; try another level, the other polarity or another channel\n";
  }
  if (!AnyHeader) {
    Text +=
        "No header found: the recording seems to start after it; record the tape again "
        "from further back\n";
  }
  const auto Number = static_cast<int>(Report.Files.size());
  return Text + Printed("%d file%s found, %d read whole\n", Number, Number == 1 ? "" : "s", Whole);
}

std::string StreamStartText(const TTapeReport& Head) {
  return Printed(
      "%s: %s, a stream; channel %d%s\n", Head.RecordingName.c_str(),
      FormatText(Head.Format).c_str(), Head.Channel,
      Head.Format.Channels > 1 ? " (a stream is read once: no channel is compared)" : "");
}

std::string StreamEndText(const TTapeReport& Report, int Told) {
  std::string Text = Printed("%s: %s read, %s polarity%s\n", Report.RecordingName.c_str(),
                             RecordingTime(Report.DurationSeconds).c_str(),
                             Report.Inverted ? "inverted" : "normal", PolarityText(Report).c_str());
  int Number = Told;
  for (std::size_t I = static_cast<std::size_t>(Told); I < Report.Files.size(); ++I) {
    Text += FileReportText(++Number, Report.Files[I], Report.Inverted);
  }
  return Text + ReportEndText(Report);
}

}  // namespace kvetro
