// The edges the trigger finds when the level changes under it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "reader/EdgeDetector.h"

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

}  // namespace kvetro::test
