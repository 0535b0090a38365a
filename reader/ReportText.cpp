#include "reader/ReportText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "tape/MzfName.h"

namespace kvetro {

namespace {

std::string Printed(const char* Format, ...) __attribute__((format(printf, 1, 2)));
std::string Printed(const char* Format, ...) {
  char Text[256];
  va_list Arguments;
  va_start(Arguments, Format);
  std::vsnprintf(Text, sizeof Text, Format, Arguments);
  va_end(Arguments);
  return Text;
}

std::string FormatText(const TWaveFormat& Format) {
  return Printed("%d Hz, %d-bit %s%s, %d channel%s", Format.Rate, Format.Bits,
                 Format.Encoding == TWaveFormat::TEncoding::Float ? "float" : "PCM",
                 Format.Tag == TWaveFormat::ExtensibleTag ? " (extensible)" : "", Format.Channels,
                 Format.Channels == 1 ? "" : "s");
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

std::string SourceText(const TBlockReport& Block) {
  switch (Block.Source) {
    case TBlockSource::First:
      return Block.CopyFound ? "first block read (copy not needed)" : "first block read";
    case TBlockSource::Copy:
      return "first block failed, its copy read";
    case TBlockSource::Neither:
      break;
  }
  const std::string What = Block.CopyFound ? "block and copy failed" : "block failed";
  if (Block.FirstBadByte >= Block.Length) {
    return What + ", checksum wrong";
  }
  return What + Printed(", first bad byte %d of %d at %s", Block.FirstBadByte, Block.Length,
                        RecordingTime(Block.FirstBadSeconds).c_str());
}

std::string BlockText(const char* Label, const std::optional<TBlockReport>& Block, bool Inverted) {
  if (!Block) {
    return Printed("  %s: not found\n", Label);
  }
  std::string Text =
      Printed("  %s at %s, %d bytes: %s\n", Label, RecordingTime(Block->StartSeconds).c_str(),
              Block->Length, SourceText(*Block).c_str());
  Text += PulseLine("short", Block->Short);
  Text += PulseLine("long ", Block->Long);
  Text += "    read window " + WindowText(Block->Window) + "\n";
  Text += std::string("    ") + (Inverted ? "not inverted: " : "if inverted: ") +
          WindowText(Block->OtherPolarityWindow) + "\n";
  return Text;
}

std::string ProblemText(const TReadProblem& Problem) {
  switch (Problem.Kind) {
    case TReadProblem::TKind::CopyUsed:
      return "a block was taken from its copy at " + RecordingTime(Problem.AtSeconds);
    case TReadProblem::TKind::Clipping:
      return Printed("%lld samples at full scale: the level may be clipped",
                     static_cast<long long>(Problem.Count));
    case TReadProblem::TKind::BodyWithoutHeader:
      return "a body at " + RecordingTime(Problem.AtSeconds) + " has no header before it";
  }
  return {};
}

}  // namespace

std::string RecordingTime(double Seconds) {
  const double Tenths = std::round(std::fmax(Seconds, 0) * 10);
  const auto Minutes = static_cast<long long>(Tenths / 600);
  return Printed("%lld:%04.1f", Minutes, (Tenths - static_cast<double>(Minutes) * 600) / 10);
}

std::string ReportText(const TTapeReport& Report) {
  std::string Text =
      Printed("%s: %s, %s long; channel %d, %s polarity%s\n", Report.RecordingName.c_str(),
              FormatText(Report.Format).c_str(), RecordingTime(Report.DurationSeconds).c_str(),
              Report.Channel, Report.Inverted ? "inverted" : "normal",
              Report.PolarityFixed ? "" : " (both tried)");
  int Number = 0;
  int Whole = 0;
  for (const TFileReport& File : Report.Files) {
    Whole += File.Whole ? 1 : 0;
    Text += Printed("File %d at %s: \"%s\", type 0x%02X, %u bytes, load 0x%04X, exec 0x%04X: %s\n",
                    ++Number, RecordingTime(File.StartSeconds).c_str(), NameText(File.Name).c_str(),
                    File.Type, File.Size, File.LoadAddress, File.ExecAddress,
                    File.Whole ? "read whole" : "NOT read whole");
    if (File.FastLoader) {
      Text += Printed("  Kvetro's fast loader, monitor constant 0x%02X\n", File.MonitorConstant);
      Text += BlockText("loader header", File.Header, Report.Inverted);
      Text += BlockText("loader body", File.Body, Report.Inverted);
      Text += BlockText("body", File.FastBody, Report.Inverted);
    } else {
      Text += BlockText("header", File.Header, Report.Inverted);
      Text += BlockText("body", File.Body, Report.Inverted);
    }
  }
  for (const TReadProblem& Problem : Report.Problems) {
    Text += "Note: " + ProblemText(Problem) + "\n";
  }
  if (Report.Files.empty()) {
    Text += "No tape file found in " + Report.RecordingName +
            "; try another level, the other polarity or another channel\n";
  } else {
    Text += Printed("%d file%s found, %d read whole\n", Number, Number == 1 ? "" : "s", Whole);
  }
  return Text;
}

}  // namespace kvetro
