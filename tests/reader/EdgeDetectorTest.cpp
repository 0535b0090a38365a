// The edges the trigger finds: when the level changes under it, and in
// 8-bit samples as they are stored against those of their values.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

#include "reader/EdgeDetector.h"
#include "reader/Unsigned8Sample.h"
#include "tests/support/ReferenceSignal.h"

namespace kvetro::test {

namespace {

void AppendSquare(std::vector<float>& Samples, float Level, int Periods) {
  for (int Period = 0; Period < Periods; ++Period) {
    Samples.insert(Samples.end(), 10, Level);
    Samples.insert(Samples.end(), 10, -Level);
  }
}

}  // namespace

// A loud tape, half a second of digital silence, then a quiet one: the
// peaks have fallen back during the silence (where the trigger came to rest
// HIGH), so each of the quiet signal's level changes inside it is an edge,
// the first where its first half ends.
TEST(EdgeDetector, AQuietSignalAfterSilenceIsHeardFromItsFirstPulse) {
  std::vector<float> Samples;
  AppendSquare(Samples, 0.9F, 50);
  Samples.insert(Samples.end(), 22050, 0.0F);
  const auto QuietStart = static_cast<double>(Samples.size());
  AppendSquare(Samples, 0.05F, 20);
  TEdgeDetector Detector(44100);
  std::vector<TEdge> Edges;
  Detector.Feed(Samples, Edges);
  const auto Quiet = std::find_if(Edges.begin(), Edges.end(),
                                  [QuietStart](const TEdge& E) { return E.Time > QuietStart; });
  ASSERT_EQ(Edges.end() - Quiet, 39);
  EXPECT_FALSE(Quiet->Rising);
  EXPECT_EQ(Quiet->Time, QuietStart + 9.5);
}

// A square wave (its halves 9 to 19 samples), the same with silence longer
// than a peak is held, and with every third sample one code off: the codes,
// fed in pieces that cut their runs of repeated samples anywhere, give the
// edges that their values give, fed whole.
TEST(EdgeDetector, EightBitSamplesGiveTheEdgesOfTheirValues) {
  using namespace expected;
  const TBytes Square = Samples(Repeat('0', 40) + Framed(0xA5), kStandardTiming);
  TBytes Silent = Square;
  Silent.insert(Silent.begin() + static_cast<std::ptrdiff_t>(Silent.size() / 2), 300, 0x80);
  TBytes Dithered = Square;
  for (std::size_t I = 0; I < Dithered.size(); I += 3) {
    Dithered[I] ^= 1;
  }
  const struct {
    const char* Name;
    const TBytes* Codes;
  } Cases[] = {{"square", &Square}, {"silent", &Silent}, {"dithered", &Dithered}};
  for (const auto& Case : Cases) {
    const TBytes* Codes = Case.Codes;
    std::vector<float> Values;
    for (const std::uint8_t Code : *Codes) {
      Values.push_back(Unsigned8Sample(Code));
    }
    std::vector<TEdge> Expected;
    TEdgeDetector(44100).Feed(Values, Expected);
    // 49 pulses: each rises, and all but the last fall again.
    EXPECT_GE(Expected.size(), 97u);
    for (const std::size_t Piece : {1, 7, 13, 4096}) {
      SCOPED_TRACE(testing::Message() << Case.Name << ", pieces of " << Piece);
      TEdgeDetector Detector(44100);
      std::vector<TEdge> Found;
      for (std::size_t At = 0; At < Codes->size(); At += Piece) {
        Detector.Feed(std::span(*Codes).subspan(At, std::min(Piece, Codes->size() - At)), Found);
      }
      ASSERT_EQ(Found.size(), Expected.size());
      for (std::size_t I = 0; I < Found.size(); ++I) {
        EXPECT_EQ(Found[I].Time, Expected[I].Time) << I;
        EXPECT_EQ(Found[I].Rising, Expected[I].Rising) << I;
        EXPECT_EQ(Found[I].Peak, Expected[I].Peak) << I;
      }
    }
  }
  std::vector<TEdge> SquareEdges;
  TEdgeDetector(44100).Feed(std::span<const std::uint8_t>(Square), SquareEdges);
  EXPECT_EQ(SquareEdges.size(), 97u);
}

}  // namespace kvetro::test
