#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "reader/PulseMaker.h"
#include "reader/TapeReport.h"

namespace kvetro {

// Gathers the HIGH and LOW times of a block's short and long pulses, as the
// block was read, into the report's figures and read windows.
class TPulseStatistics {
 public:
  void Add(const TPulse& Pulse, bool Long) { Add(Pulse.HighUs, Pulse.LowUs, Long); }
  // A LOW time below 0 is not known. Inline: it runs for every pulse.
  void Add(double HighUs, double LowUs, bool Long) {
    TKind& Kind = Long ? FLong : FShort;
    Kind.High.Add(HighUs);
    if (LowUs >= 0) {
      Kind.Low.Add(LowUs);
    }
    std::vector<std::uint32_t>& Bins = Long ? FHistogram.Long : FHistogram.Short;
    const auto Bin = static_cast<std::size_t>(
        std::clamp(HighUs / THighTimeHistogram::BinUs, 0.0, THighTimeHistogram::MostBins - 1.0));
    if (Bin >= Bins.size()) {
      Bins.resize(Bin + 1);
    }
    ++Bins[Bin];
  }

  TPulseFigures Short() const { return Figures(FShort); }
  TPulseFigures Long() const { return Figures(FLong); }
  TReadWindow Window() const { return {FShort.High.Most(), FLong.High.Least()}; }
  const THighTimeHistogram& Histogram() const { return FHistogram; }
  // The machine would time the LOW halves if the recording were turned over.
  TReadWindow OtherPolarityWindow() const { return {FShort.Low.Most(), FLong.Low.Least()}; }

 private:
  struct TSums {
    std::int64_t Count = 0;
    double Sum = 0;
    double Squares = 0;
    // From infinity, so that each time is taken without a branch.
    double Min = std::numeric_limits<double>::infinity();
    double Max = -std::numeric_limits<double>::infinity();
    void Add(double Us) {
      Min = std::min(Min, Us);
      Max = std::max(Max, Us);
      ++Count;
      Sum += Us;
      Squares += Us * Us;
    }
    // 0 when no time was added.
    double Least() const { return Count == 0 ? 0 : Min; }
    double Most() const { return Count == 0 ? 0 : Max; }
    TTimeFigures Figures() const;
  };
  struct TKind {
    TSums High;
    TSums Low;
  };
  static TPulseFigures Figures(const TKind& Kind) {
    return {Kind.High.Figures(), Kind.Low.Figures()};
  }

  TKind FShort;
  TKind FLong;
  THighTimeHistogram FHistogram;
};

}  // namespace kvetro
