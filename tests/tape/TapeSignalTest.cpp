#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "reference/TapeEncoder.h"
#include "tape/SignalRenderer.h"
#include "tape/SignalTotals.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/tape/EncoderSteps.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {
namespace {

using expected::Framed;

// The tape files a run writes: the fast loader's whole file and its body-only
// file (the encoder's runs from phase 0 and 6), and the machine's own layout.
enum TFile { kFull, kBody, kStandard, kStandardNoCopies };

struct TRunCase {
  std::string Name;
  PulseTiming Timing;
  TRunValues Values;  // lead gap, body gap, body length
  TFile File = kFull;
  TBytes Image{};  // the image from position 0; all of it may be filled
  bool Inverted = false;
  std::uint64_t OutputOffset = 0;  // where the renderer's first sample lands in the file
};

void PrintTo(const TRunCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

// A header that is zero but for its size field, then Body.
TBytes Tape(const TBytes& Body) {
  TBytes File(128 + Body.size(), 0);
  File[0x12] = static_cast<std::uint8_t>(Body.size() & 0xFF);
  File[0x13] = static_cast<std::uint8_t>((Body.size() >> 8) & 0xFF);
  std::copy(Body.begin(), Body.end(), File.begin() + 128);
  return File;
}

std::string FramedZeros(int Count) {
  std::string Pulses;
  for (int I = 0; I < Count; ++I) {
    Pulses += Framed(0x00);
  }
  return Pulses;
}

// What the format says of some of the runs below: how many short and long
// pulses and samples they send (0: not said), and pulses at given places (a
// negative place counts from the end).
struct TCounts {
  std::uint64_t Short, Long, Samples;
};
const std::map<std::string, TCounts> kCounts = {
    {"negative_gaps", {2124, 198, 0}},
    {"one_zero_byte", {1044, 27, 4311}},
    {"one_full_byte", {0, 0, 4320}},
    {"zero_high_count", {1044, 27, 1044 * 3 + 27 * 5}},
    {"empty_body", {1039, 26, 0}},
    {"empty_body_full", {2119, 197, 0}},
    {"loader_sized_standard", {12831, 292, 267424}},
    {"four_kib_of_zeros", {0, 0, 175826}},
    // Gaps 22000 + 11000, marks 40 + 40 and 20 + 20, copy gaps 2 x 256, the
    // long pulses around each block; the header block (128 bytes, one bit
    // set, checksum 0x00 0x01) and the body block (0x00, checksum 0x00 0x00)
    // twice each, or once each without copies.
    {"standard_one_zero_byte", {35696, 336, 726352}},
    {"standard_no_copies", {34122, 199, 689803}},
};
const std::multimap<std::string, std::pair<long, std::string>> kPulsesAt = {
    {"lead_gap_of_one", {0, "01"}},  // one gap pulse, then the tape mark
    {"both_gaps_zero", {0, expected::Repeat('1', 40) + expected::Repeat('0', 40) + "1"}},
    {"one_full_byte",
     {-29,
      "111111111"
      "100000000"
      "100001000"
      "11"}},
    {"empty_body", {-20, Framed(0) + Framed(0) + "11"}},
    {"loader_sized_standard", {5000 + 81 + 128 * 9, Framed(0x00) + Framed(0x04)}},
    {"loader_sized_standard", {-20, Framed(0) + Framed(0) + "11"}},
    // 65408 bytes of 0xFF: 523264 one bits, 0x7FC00, sent as 0xFC 0x00.
    {"checksum_modulo_65536", {-20, Framed(0xFC) + Framed(0x00) + "11"}},
    // The file's last byte, then positions past the image as zeros; 65407
    // bytes of 0xFF count 0xFBF8.
    {"body_past_the_image", {1042 + 9 * 65406, Framed(0xFF)}},
    {"body_past_the_image", {1042 + 9 * 65407, FramedZeros(128)}},
    {"body_past_the_image", {-20, Framed(0xFB) + Framed(0xF8) + "11"}},
};

std::vector<TRunCase> Cases() {
  const PulseTiming Default{3, 1, 3, 2};
  std::vector<TRunCase> Cases = {
      {"lead_gap_of_one", Default, {1, 5000, 1}},
      {"both_gaps_zero", Default, {0, 0, 200}, kFull, RandomMzf(200, 200, 1)},
      {"negative_gaps", Default, {-1, -5, 1}},
      {"one_zero_byte", Default, {0, 0, 1}, kBody, Tape({0x00})},
      {"one_full_byte", Default, {0, 0, 1}, kBody, Tape({0xFF})},
      {"zero_high_count", {3, 0, 3, 2}, {0, 0, 1}, kBody, Tape({0x00})},
      {"empty_body", Default, {0, 3, 0}, kBody},
      {"empty_body_full", Default, {0, 3, 0}},
      {"random_body", Default, {0, 7, 300}, kBody, RandomMzf(300, 300, 42)},
      {"header_then_body", Default, {2, 3, 3}, kFull, Tape({0x12, 0x80, 0x01})},
      {"loader_sized_standard", {9, 11, 18, 19}, {5000, 5000, 90}, kFull, Tape(TBytes(90, 0))},
      {"four_kib_of_zeros", Default, {0, 5000, 4096}, kBody, Tape(TBytes(4096, 0)), false, 46},
      // The whole image to its last position, which no file reaches.
      {"checksum_modulo_65536", {1, 1, 1, 2}, {1, 1, 65408}, kBody, Tape(TBytes(65408, 0xFF))},
      // A 65535-byte file that claims 65535 body bytes.
      {"body_past_the_image", {1, 2, 1, 1}, {0, 0, 65535}, kBody, TBytes(65535, 0xFF)},
      {"file_shorter_than_its_header", Default, {7, 9, 20}, kFull, TBytes(60, 0xA5)},
      {"inverted_levels", Default, {4, 2, 90}, kFull, RandomMzf(90, 90, 5), true},
      {"shortest_pulses", {1, 1, 1, 1}, {3, 2, 50}, kFull, RandomMzf(50, 50, 6)},
      {"longest_pulses", {128, 128, 128, 128}, {5, 5, 40}, kFull, RandomMzf(40, 40, 7)},
      {"worst_timing", {128, 127, 128, 128}, {0, 0, 30}, kBody, RandomMzf(30, 30, 8)},
      {"negative_and_zero_halves", {-1, 4, 2, 0}, {0, 0, 20}, kFull, RandomMzf(20, 20, 9)},
      {"longer_than_the_table", {300, 250, 600, 1}, {2, 3, 12}, kFull, RandomMzf(12, 12, 1), true},
      {"standard_one_zero_byte", {9, 11, 18, 19}, {0, 0, 1}, kStandard, Tape({0x00})},
      {"standard_no_copies", {9, 11, 18, 19}, {0, 0, 1}, kStandardNoCopies, Tape({0x00})},
      {"standard_user_pulses", {2, 3, 4, 6}, {0, 0, 500}, kStandard, RandomMzf(500, 500, 12), true},
  };
  // Random settings, odd ones among them, over files short and long.
  std::mt19937 Random(2026);
  const auto Pick = [&Random](int Low, int High) {
    return std::uniform_int_distribution<int>(Low, High)(Random);
  };
  for (int I = 0; I < 40; ++I) {
    const bool Large = I % 10 == 0;
    const int Length = Large ? Pick(0, 65535) : Pick(0, 2000);
    const int Most = Large ? 2 : 128;
    TRunCase Case{"random_" + std::to_string(I),
                  {Pick(-1, Most), Pick(0, Most), Pick(1, Most), Pick(-2, Most)},
                  {Pick(-3, 300), Pick(-3, 300), Length},
                  static_cast<TFile>(I % 4),
                  RandomMzf(static_cast<std::uint16_t>(Length),
                            static_cast<std::size_t>(Pick(0, 3000)), static_cast<unsigned>(I)),
                  I % 3 == 0,
                  static_cast<std::uint64_t>(I % 4 == 0 ? Pick(0, 1 << 20) : 0)};
    if (I % 7 == 0) {
      Case.Image.resize(static_cast<std::size_t>(Pick(0, 127)));
    }
    Cases.push_back(std::move(Case));
  }
  return Cases;
}

// A load covers all but the image's last position, which is set by hand.
std::unique_ptr<TMzfImage> ImageOf(const TBytes& Bytes) {
  auto Image = std::make_unique<TMzfImage>();
  const std::size_t Loaded = std::min<std::size_t>(Bytes.size(), TMzfImage::MaxFileSize);
  EXPECT_EQ(Image->Assign(Bytes.data(), Loaded), TMzfImage::LoadResult::Loaded);
  for (std::size_t Position = Loaded; Position < Bytes.size(); ++Position) {
    Image->SetByte(static_cast<std::int32_t>(Position), Bytes[Position]);
  }
  return Image;
}

std::string ReferencePulses(const TRunCase& Case) {
  const auto Length = static_cast<std::size_t>(std::max(Case.Values.BodyLength, 0));
  const TBytes Body = expected::Slice(Case.Image, 128, Length);
  const TBytes Header = expected::Slice(Case.Image, 0, 128);
  switch (Case.File) {
    case kFull:
      return expected::FullTapeFile(Header, Body, Case.Values.LeadGap, Case.Values.BodyGap);
    case kBody:
      return expected::BodyTapeFile(Body, Case.Values.BodyGap);
    case kStandard:
    case kStandardNoCopies:
      break;
  }
  return expected::StandardTapeFile(Header, Body, Case.File == kStandard);
}

TTapeLayout LayoutOf(TFile File) {
  constexpr TTapeLayout Layouts[] = {kFastLoaderFile, kFastBodyFile, kStandardFile,
                                     kStandardFileNoCopies};
  return Layouts[File];
}

class TapeSignal : public ::testing::TestWithParam<TRunCase> {};

// The encoder's steps (the fast loader's files), the renderer and the
// totals, each against the reference signal: the same samples in the same
// order, one step more than pulses for each counted part (seven from phase 0,
// four from phase 6), and the same counts of pulses and samples.
TEST_P(TapeSignal, EveryWriterSendsTheReferenceSignal) {
  const TRunCase& Case = GetParam();
  const auto Image = ImageOf(Case.Image);
  const std::string Pulses = ReferencePulses(Case);
  const PulseTiming& T = Case.Timing;
  const TBytes Expected =
      expected::Samples(Pulses, {T.Log0Lo, T.Log0Hi, T.Log1Lo, T.Log1Hi}, Case.Inverted);
  const TSampleLevels Levels = Case.Inverted ? TSampleLevels{}.Swapped() : TSampleLevels{};

  // Two runs of one encoder: nothing of the first reaches the second.
  TFixedTiming Timing(T, Case.Values.BodyGap);
  TTapeEncoder Encoder(*Image);
  Encoder.SetLevels(Levels.Lo, Levels.Hi);
  for (int Run = 0; Run < 2 && (Case.File == kFull || Case.File == kBody); ++Run) {
    TMemoryStream Stepped;
    Encoder.Attach(Stepped, Timing);
    if (Case.File == kFull) {
      Encoder.BeginFullRun(Case.Values.LeadGap, Case.Values.BodyLength);
    } else {
      Encoder.BeginBodyRun(Case.Values.BodyLength);
    }
    EXPECT_EQ(RunToEnd(Encoder), static_cast<long>(Pulses.size()) + (Case.File == kFull ? 7 : 4));
    EXPECT_TRUE(SameBytes(Stepped.Bytes(), Expected)) << "run " << Run;
    EXPECT_EQ(Encoder.State().Phase, 15);
  }

  TMemoryStream Rendered;
  TSignalRenderer Renderer(Levels, Case.OutputOffset);
  Renderer.Run(Rendered, *Image, LayoutOf(Case.File), T, Case.Values);
  EXPECT_TRUE(SameBytes(Rendered.Bytes(), Expected));

  const TPulseCount Count = RunPulses(*Image, LayoutOf(Case.File), Case.Values);
  const auto Short = static_cast<std::uint64_t>(std::count(Pulses.begin(), Pulses.end(), '0'));
  EXPECT_EQ(Count.Short, Short);
  EXPECT_EQ(Count.Long, Pulses.size() - Short);
  EXPECT_EQ(Count.Samples(T), Expected.size());

  if (const auto Known = kCounts.find(Case.Name); Known != kCounts.end()) {
    const TCounts& Said = Known->second;
    if (Said.Short != 0) {
      EXPECT_EQ(Short, Said.Short);
      EXPECT_EQ(Pulses.size() - Short, Said.Long);
    }
    if (Said.Samples != 0) {
      EXPECT_EQ(Expected.size(), Said.Samples);
    }
  }
  const auto [First, Last] = kPulsesAt.equal_range(Case.Name);
  for (auto Said = First; Said != Last; ++Said) {
    const auto& [Place, Sent] = Said->second;
    const long Start = Place < 0 ? static_cast<long>(Pulses.size()) + Place : Place;
    EXPECT_EQ(Pulses.substr(static_cast<std::size_t>(Start), Sent.size()), Sent) << "at " << Place;
  }
}

// The pulse shape the whole table relies on: LO samples, then HI samples.
TEST(ReferenceSignal, APulseIsItsLoSamplesThenItsHiSamples) {
  EXPECT_EQ(expected::Samples("01", {3, 1, 3, 2}),
            (TBytes{0x30, 0x30, 0x30, 0xD0, 0x30, 0x30, 0x30, 0xD0, 0xD0}));
  EXPECT_EQ(expected::Samples("01", {3, 1, 3, 2}, true),
            (TBytes{0xD0, 0xD0, 0xD0, 0x30, 0xD0, 0xD0, 0xD0, 0x30, 0x30}));
}

INSTANTIATE_TEST_SUITE_P(Runs, TapeSignal, ::testing::ValuesIn(Cases()),
                         [](const auto& Info) { return Info.param.Name; });

}  // namespace
}  // namespace kvetro::test
