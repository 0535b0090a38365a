// The page's view of the conversion core and the reader: plain JavaScript
// objects and byte arrays in, the same answers as kvetro-cli out.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/Exception.h"
#include "reader/ReadFileNames.h"
#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionSettings.h"
#include "tape/MzfImage.h"
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

val ByteArray(const std::vector<std::uint8_t>& Bytes) {
  // A copy that belongs to JavaScript: the module's memory may move.
  const auto View = emscripten::typed_memory_view(Bytes.size(), Bytes.data());
  return val::global("Uint8Array").new_(View);
}

val TextOrNull(const std::optional<std::string>& Text) {
  return Text ? val(*Text) : val::null();
}

val Describe(const val& Bytes, const val& Settings, const std::string& FileName) {
  const TConversionSettings Chosen = SettingsFrom(Settings);
  const TWebDescription Description = DescribeBytes(BytesFrom(Bytes), Chosen, FileName);
  val Object = val::object();
  Object.set("text", Description.Text);
  Object.set("refusal", TextOrNull(Description.Refusal));
  Object.set("warning", TextOrNull(Description.Warning));
  Object.set("seconds", static_cast<double>(Description.Samples) / Chosen.SampleRate);
  return Object;
}

val Convert(const val& Bytes, const val& Settings, const std::string& FileName) {
  const TConversionSettings Chosen = SettingsFrom(Settings);
  const TWebConversion Conversion = ConvertBytes(BytesFrom(Bytes), Chosen, FileName);
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

// The report as kvetro-cli read prints it, and each file read whole as the
// bytes of NAME.mzf (NAME-2.mzf, NAME-3.mzf for a name met again). A file
// that failed is in the report only. A recording the reader refuses gives
// the refusal instead.
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
    return Object;
  }
  // Named as kvetro-cli read names its files.
  const std::vector<std::string> Names = ReadFileNames(Report.Files);
  for (std::size_t Index = 0; Index < Report.Files.size(); ++Index) {
    const TFileReport& File = Report.Files[Index];
    if (!File.Whole) {
      continue;
    }
    val Entry = val::object();
    Entry.set("name", Names[Index] + ".mzf");
    Entry.set("mzf", ByteArray(File.Mzf));
    Files.call<void>("push", Entry);
  }
  Object.set("text", ReportText(Report));
  Object.set("refusal", val::null());
  Object.set("files", Files);
  return Object;
}

}  // namespace

}  // namespace kvetro

EMSCRIPTEN_BINDINGS(kvetro_core) {
  emscripten::function("defaults", &kvetro::Defaults);
  emscripten::function("ranges", &kvetro::Ranges);
  // The longest file that is converted; a longer one is refused.
  emscripten::constant("largestInput", kvetro::TMzfImage::MaxFileSize);
  emscripten::function("describe", &kvetro::Describe);
  emscripten::function("convert", &kvetro::Convert);
  emscripten::function("read", &kvetro::Read);
}
