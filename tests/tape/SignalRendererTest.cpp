#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "SignalRecorder.h"
#include "tape/SignalRenderer.h"
#include "tape/TapeEncoder.h"
#include "wave/MemoryStream.h"

namespace kvetro::test {
namespace {

struct RenderCase {
  std::string Name;
  PulseTiming Timing;
  TRunValues Values;
  int FileBody = 0;  // body bytes the file holds; the header may ask for more
  bool Full = true;
  bool Inverted = false;
  unsigned Seed = 1;
  std::uint64_t OutputOffset = 0;  // where the renderer's blocks start in the file
};

void PrintTo(const RenderCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

std::vector<RenderCase> Cases() {
  std::vector<RenderCase> Cases = {
      {"shortest_pulses", {1, 1, 1, 1}, {3, 2, 50}, 50},
      {"longest_pulses", {128, 128, 128, 128}, {5, 5, 40}, 40},
      {"worst_timing", {128, 127, 128, 128}, {0, 0, 30}, 30, false},
      {"both_gaps_zero", {3, 1, 3, 2}, {0, 0, 200}, 200},
      {"inverted_levels", {9, 11, 18, 19}, {100, 100, 90}, 90, true, true},
      {"one_byte_body", {3, 1, 3, 2}, {0, 0, 1}, 1, false},
      {"largest_body", {1, 1, 1, 2}, {1, 1, 65408}, 65407, false, false, 1, 46},
      {"body_past_the_image", {1, 2, 1, 1}, {0, 0, 65535}, 65407, false},
      {"empty_body", {3, 1, 3, 2}, {2, 2, 0}, 0},
      {"negative_gaps_and_halves", {-1, 4, 2, 0}, {-5, -7, 20}, 20},
      {"pulses_longer_than_the_table", {300, 250, 600, 1}, {2, 3, 12}, 12, true, true},
  };
  // Random settings within the window's ranges, and short bodies.
  std::mt19937 Random(2026);
  const auto Pick = [&Random](int Low, int High) {
    return std::uniform_int_distribution<int>(Low, High)(Random);
  };
  for (int I = 0; I < 30; ++I) {
    const int Length = Pick(1, 600);
    Cases.push_back({"random_" + std::to_string(I),
                     {Pick(1, 128), Pick(1, 128), Pick(1, 128), Pick(1, 128)},
                     {Pick(0, 300), Pick(0, 300), Length},
                     Pick(0, Length),
                     I % 2 == 0,
                     I % 3 == 0,
                     static_cast<unsigned>(I + 7),
                     static_cast<std::uint64_t>(I % 4 == 0 ? Pick(0, 1 << 20) : 0)});
  }
  return Cases;
}

class SignalRenderer : public ::testing::TestWithParam<RenderCase> {};

// The renderer must write what the encoder's steps write, byte for byte.
TEST_P(SignalRenderer, WritesTheSameBytesAsTheEncoderSteps) {
  const RenderCase& Case = GetParam();
  std::vector<std::uint8_t> File(static_cast<std::size_t>(TMzfImage::HeaderSize + Case.FileBody));
  std::mt19937 Random(Case.Seed);
  for (auto& Byte : File) {
    Byte = static_cast<std::uint8_t>(Random());
  }
  auto Image = std::make_unique<TMzfImage>();
  ASSERT_EQ(Image->Assign(File.data(), File.size()), TMzfImage::LoadResult::Loaded);
  const TSampleLevels Levels = Case.Inverted ? TSampleLevels{}.Swapped() : TSampleLevels{};

  TMemoryStream Stepped;
  TFixedTiming Timing(Case.Timing, Case.Values.BodyGap);
  TTapeEncoder Encoder(*Image);
  Encoder.SetLevels(Levels.Lo, Levels.Hi);
  Encoder.Attach(Stepped, Timing);
  if (Case.Full) {
    Encoder.BeginFullRun(Case.Values.LeadGap, Case.Values.BodyLength);
  } else {
    Encoder.BeginBodyRun(Case.Values.BodyLength);
  }
  RunToEnd(Encoder);

  TMemoryStream Rendered;
  TSignalRenderer Renderer(Levels, Case.OutputOffset);
  if (Case.Full) {
    Renderer.FullRun(Rendered, *Image, Case.Timing, Case.Values);
  } else {
    Renderer.BodyRun(Rendered, *Image, Case.Timing, Case.Values);
  }
  ASSERT_EQ(Rendered.Bytes().size(), Stepped.Bytes().size());
  EXPECT_TRUE(Rendered.Bytes() == Stepped.Bytes());
}

INSTANTIATE_TEST_SUITE_P(Cases, SignalRenderer, ::testing::ValuesIn(Cases()),
                         [](const auto& Info) { return Info.param.Name; });

}  // namespace
}  // namespace kvetro::test
