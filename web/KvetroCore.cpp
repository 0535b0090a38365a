// The page's view of the conversion core and the reader: plain JavaScript
// objects and byte arrays in, the same answers as kvetro-cli out.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/Exception.h"
#include "reader/LiveReader.h"
#include "reader/ReadFileNames.h"
#include "reader/ReadMzt.h"
#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionSettings.h"
#include "tape/MzfTape.h"
#include "web/WebConversion.h"

namespace kvetro {

namespace {

using emscripten::val;

// The page's names of the layouts, in the order of its choice.
constexpr std::pair<const char*, TTapeLayoutChoice> kLayoutNames[] = {
    {"fast", TTapeLayoutChoice::FastLoader},
    {"standard", TTapeLayoutChoice::Standard},
    {"standard-no-copies", TTapeLayoutChoice::StandardNoCopies},
};

TTapeLayoutChoice LayoutFrom(const std::string& Name) {
  for (const auto& [Known, Layout] : kLayoutNames) {
    if (Name == Known) {
      return Layout;
    }
  }
  return TTapeLayoutChoice::FastLoader;
}

const char* LayoutName(TTapeLayoutChoice Layout) {
  for (const auto& [Name, Known] : kLayoutNames) {
    if (Layout == Known) {
      return Name;
    }
  }
  return kLayoutNames[0].first;
}

// The page's settings object: the ids of its inputs, camel-cased.
TConversionSettings SettingsFrom(const val& Object) {
  TConversionSettings Conversion;
  Conversion.UserTiming.Log0Lo = Object["zeroLo"].as<std::int32_t>();
  Conversion.UserTiming.Log0Hi = Object["zeroHi"].as<std::int32_t>();
  Conversion.UserTiming.Log1Lo = Object["oneLo"].as<std::int32_t>();
  Conversion.UserTiming.Log1Hi = Object["oneHi"].as<std::int32_t>();
  Conversion.MonitorConstant = Object["constant"].as<std::int32_t>();
  Conversion.LoaderGap = Object["loaderGap"].as<std::int32_t>();
  Conversion.BodyGap = Object["bodyGap"].as<std::int32_t>();
  Conversion.InvertLevels = Object["invert"].as<bool>();
  Conversion.Layout = LayoutFrom(Object["layout"].as<std::string>());
  Conversion.SampleRate = Object["rate"].as<std::int32_t>();
  return Conversion;
}

val Defaults() {
  const TConversionSettings Conversion;
  val Object = val::object();
  Object.set("zeroLo", Conversion.UserTiming.Log0Lo);
  Object.set("zeroHi", Conversion.UserTiming.Log0Hi);
  Object.set("oneLo", Conversion.UserTiming.Log1Lo);
  Object.set("oneHi", Conversion.UserTiming.Log1Hi);
  Object.set("constant", Conversion.MonitorConstant);
  Object.set("loaderGap", Conversion.LoaderGap);
  Object.set("bodyGap", Conversion.BodyGap);
  Object.set("invert", Conversion.InvertLevels);
  Object.set("layout", LayoutName(Conversion.Layout));
  Object.set("rate", Conversion.SampleRate);
  // The machine's own layout starts at the standard timing.
  const PulseTiming Standard = PulseTiming::Standard();
  val StandardTiming = val::object();
  StandardTiming.set("zeroLo", Standard.Log0Lo);
  StandardTiming.set("zeroHi", Standard.Log0Hi);
  StandardTiming.set("oneLo", Standard.Log1Lo);
  StandardTiming.set("oneHi", Standard.Log1Hi);
  Object.set("standardTiming", StandardTiming);
  return Object;
}

val RangeObject(TSettingRange Range) {
  val Object = val::object();
  Object.set("min", Range.Min);
  Object.set("max", Range.Max);
  return Object;
}

// What each number input may hold, by the same names as the settings.
val Ranges() {
  val Object = val::object();
  for (const char* Half : {"zeroLo", "zeroHi", "oneLo", "oneHi"}) {
    Object.set(Half, RangeObject(PulseHalfRange));
  }
  Object.set("constant", RangeObject(MonitorConstantRange));
  Object.set("loaderGap", RangeObject(GapRange));
  Object.set("bodyGap", RangeObject(GapRange));
  Object.set("rate", RangeObject(SampleRateRange));
  return Object;
}

std::vector<std::uint8_t> BytesFrom(const val& Array) {
  return emscripten::convertJSArrayToNumberVector<std::uint8_t>(Array);
}

// A copy that belongs to JavaScript, as a typed array of Kind: the module's
// memory may move.
template <typename T>
val TypedArray(const char* Kind, const std::vector<T>& Values) {
  const auto View = emscripten::typed_memory_view(Values.size(), Values.data());
  return val::global(Kind).new_(View);
}

val ByteArray(const std::vector<std::uint8_t>& Bytes) {
  return TypedArray("Uint8Array", Bytes);
}

val TextOrNull(const std::optional<std::string>& Text) {
  return Text ? val(*Text) : val::null();
}

// The page's chosen files, an array of { name, bytes } in the order of the
// tape.
std::vector<TTapeInput> InputsFrom(const val& Files) {
  std::vector<TTapeInput> Inputs;
  const auto Count = Files["length"].as<std::size_t>();
  for (std::size_t Index = 0; Index < Count; ++Index) {
    const val File = Files[Index];
    Inputs.push_back({File["name"].as<std::string>(), BytesFrom(File["bytes"])});
  }
  return Inputs;
}

val Describe(const val& Files, const val& Settings) {
  const TConversionSettings Chosen = SettingsFrom(Settings);
  const TWebDescription Description = DescribeInputs(InputsFrom(Files), Chosen);
  const auto Seconds = [&Chosen](std::uint64_t Samples) {
    return static_cast<double>(Samples) / Chosen.SampleRate;
  };
  val Object = val::object();
  Object.set("text", Description.Text);
  Object.set("refusal", TextOrNull(Description.Refusal));
  Object.set("warning", TextOrNull(Description.Warning));
  Object.set("seconds", Seconds(Description.Samples));
  val TapeFiles = val::array();
  for (const TWebTapeFile& File : Description.Files) {
    val Listed = val::object();
    Listed.set("label", File.Label);
    Listed.set("seconds", Seconds(File.Samples));
    TapeFiles.call<void>("push", Listed);
  }
  Object.set("files", TapeFiles);
  return Object;
}

val Convert(const val& Files, const val& Settings) {
  const TConversionSettings Chosen = SettingsFrom(Settings);
  const TWebConversion Conversion = ConvertInputs(InputsFrom(Files), Chosen);
  val Object = val::object();
  Object.set("messages", Conversion.Messages);
  if (Conversion.Written) {
    Object.set("wave", ByteArray(Conversion.Wave));
    Object.set("samplesOffset", static_cast<double>(TConversionPlan::WaveHeaderSize));
    Object.set("sampleRate", Chosen.SampleRate);
  } else {
    Object.set("wave", val::null());
  }
  return Object;
}

// The files read whole, back to back in the order of the recording, as
// kvetro-cli read --mzt writes them; null when none was read whole.
// "leftOut" counts the files not read whole, which it leaves out.
val MztObject(const std::vector<TFileReport>& Files) {
  const TReadMzt Mzt = MztOfRead(Files);
  if (Mzt.Files == 0) {
    return val::null();
  }
  val Object = val::object();
  Object.set("bytes", ByteArray(Mzt.Bytes));
  Object.set("leftOut", static_cast<double>(Mzt.LeftOut.size()));
  return Object;
}

// How much room the machine has to read a block, as the page colours its
// read window: none when the block failed or no read point reads all its
// pulses right, narrow when the window is less than a quarter of the way
// between the short and the long pulses' mean HIGH times.
const char* RoomOf(const TBlockReport& Block) {
  constexpr double WideShare = 0.25;
  if (!Block.Window || !Block.Window->IsOpen()) {
    return "none";
  }
  const double Distance = Block.Long.High.MeanUs - Block.Short.High.MeanUs;
  return Block.Window->WidthUs() >= WideShare * Distance ? "wide" : "narrow";
}

val SpotObject(const TBadSpot& Spot, std::int32_t Rate) {
  val Pulses = val::array();
  for (const TSpotPulse& Pulse : Spot.Pulses) {
    val Object = val::object();
    Object.set("start", Pulse.StartSeconds);
    Object.set("high", Pulse.HighUs);
    Object.set("long", Pulse.Long);
    Object.set("damage", Pulse.Damage);
    Pulses.call<void>("push", Object);
  }
  val Object = val::object();
  Object.set("byte", Spot.Byte);
  Object.set("copy", Spot.Copy);
  Object.set("readPointUs", Spot.ReadPointUs);
  Object.set("bytePulse", Spot.BytePulse);
  Object.set("firstSample", static_cast<double>(Spot.FirstSample));
  Object.set("sampleCount", Spot.SampleCount);
  Object.set("rate", Rate);
  Object.set("samples", TypedArray("Float32Array", Spot.Samples));
  Object.set("pulses", Pulses);
  return Object;
}

// A block for its pictures: the histogram of its pulses' HIGH times with
// its read window, and where it went wrong.
val BlockObject(const TNamedBlock& Named) {
  val Object = val::object();
  Object.set("label", std::string(Named.Label));
  Object.set("found", Named.Block.has_value());
  if (!Named.Block) {
    return Object;
  }
  const TBlockReport& Block = *Named.Block;
  Object.set("start", Block.StartSeconds);
  Object.set("length", Block.Length);
  Object.set("copyFound", Block.CopyFound);
  Object.set("binUs", THighTimeHistogram::BinUs);
  Object.set("short", TypedArray("Uint32Array", Block.Histogram.Short));
  Object.set("long", TypedArray("Uint32Array", Block.Histogram.Long));
  if (Block.Window) {
    val Window = val::object();
    Window.set("from", Block.Window->FromUs);
    Window.set("to", Block.Window->ToUs);
    Object.set("window", Window);
  } else {
    Object.set("window", val::null());
  }
  Object.set("room", std::string(RoomOf(Block)));
  Object.set("spot", Block.BadSpot ? SpotObject(*Block.BadSpot, Block.Rate) : val::null());
  return Object;
}

// A file read: its text in the report, its blocks, and its bytes as
// kvetro-cli read writes them: NAME.mzf when read whole, NAME.bad.mzf (as
// --keep-bad writes it) when not. Number counts the files of the report
// from 1; Inverted tells the polarity that read it, in which the pictures
// show it.
val FileObject(const TFileReport& File, const std::string& Stem, int Number, bool Inverted) {
  val Object = val::object();
  Object.set("name", Stem + (File.Whole ? ".mzf" : ".bad.mzf"));
  Object.set("whole", File.Whole);
  Object.set("inverted", Inverted);
  Object.set("mzf", ByteArray(File.Mzf));
  Object.set("text", FileReportText(Number, File, Inverted));
  val Blocks = val::array();
  for (const TNamedBlock& Named : NamedBlocks(File)) {
    Blocks.call<void>("push", BlockObject(Named));
  }
  Object.set("blocks", Blocks);
  return Object;
}

// The report as kvetro-cli read prints it, and each file as above, named
// as kvetro-cli read names its files (NAME-2.mzf for a name met again). A
// recording the reader refuses gives the refusal instead.
val Read(const val& Bytes, const std::string& FileName) {
  val Object = val::object();
  val Files = val::array();
  TTapeReport Report;
  try {
    Report = ReadTape(BytesFrom(Bytes), FileName);
  } catch (const Exception& Error) {
    Object.set("text", std::string());
    Object.set("refusal", Error.Message());
    Object.set("files", Files);
    Object.set("mzt", val::null());
    return Object;
  }
  const std::vector<std::string> Names = ReadFileNames(Report.Files);
  for (std::size_t Index = 0; Index < Report.Files.size(); ++Index) {
    const TFileReport& File = Report.Files[Index];
    Files.call<void>("push",
                     FileObject(File, Names[Index], static_cast<int>(Index) + 1, Report.Inverted));
  }
  Object.set("text", ReportText(Report));
  Object.set("refusal", val::null());
  Object.set("files", Files);
  Object.set("mzt", MztObject(Report.Files));
  return Object;
}

// A recording read while it is made, from the device's audio input: the
// page feeds it the samples as they come and shows each file as it is read
// whole; the report's text is kvetro-cli read's for a stream.
class TLiveRecording {
 public:
  TLiveRecording(std::int32_t Rate, const std::string& Name) {
    try {
      FReader = std::make_unique<TLiveReader>(Rate, TReadOptions{}, Name);
    } catch (const Exception& Error) {
      FRefusal = Error.Message();
    }
  }

  // Why the recording cannot be read (a rate no WAV may have), or null.
  val Refusal() const { return TextOrNull(FRefusal); }
  // The report's first line.
  std::string Head() const { return FReader ? StreamStartText(FReader->Head()) : std::string(); }

  // Samples, a Float32Array in -1..1: the files they completed.
  val Feed(const val& Samples) {
    val Files = val::array();
    if (!FReader) {
      return Files;
    }
    const std::vector<float> Values = emscripten::convertJSArrayToNumberVector<float>(Samples);
    for (const TToldFile& Told : FReader->Feed(Values)) {
      Files.call<void>("push",
                       FileObject(Told.File, FNames.Next(Told.File), ++FTold, Told.Inverted));
    }
    return Files;
  }

  // The end: the report's last lines and the files not handed out yet.
  val Finish() {
    val Object = val::object();
    val Files = val::array();
    Object.set("files", Files);
    Object.set("mzt", val::null());
    if (!FReader) {
      Object.set("text", std::string());
      return Object;
    }
    const TTapeReport Report = FReader->Finish();
    FReader.reset();
    for (std::size_t Index = static_cast<std::size_t>(FTold); Index < Report.Files.size();
         ++Index) {
      const TFileReport& File = Report.Files[Index];
      Files.call<void>("push", FileObject(File, FNames.Next(File), static_cast<int>(Index) + 1,
                                          Report.Inverted));
    }
    Object.set("text", StreamEndText(Report, FTold));
    Object.set("mzt", MztObject(Report.Files));
    return Object;
  }

 private:
  std::unique_ptr<TLiveReader> FReader;
  std::optional<std::string> FRefusal;
  TReadFileNamer FNames;
  int FTold = 0;
};

}  // namespace

}  // namespace kvetro

EMSCRIPTEN_BINDINGS(kvetro_core) {
  emscripten::function("defaults", &kvetro::Defaults);
  emscripten::function("ranges", &kvetro::Ranges);
  // The longest file that is read; a longer one is refused.
  emscripten::constant("largestInput", kvetro::TMzfTape::MaxInputSize);
  emscripten::function("describe", &kvetro::Describe);
  emscripten::function("convert", &kvetro::Convert);
  emscripten::function("read", &kvetro::Read);
  emscripten::class_<kvetro::TLiveRecording>("LiveRecording")
      .constructor<std::int32_t, std::string>()
      .function("refusal", &kvetro::TLiveRecording::Refusal)
      .function("head", &kvetro::TLiveRecording::Head)
      .function("feed", &kvetro::TLiveRecording::Feed)
      .function("finish", &kvetro::TLiveRecording::Finish);
}
