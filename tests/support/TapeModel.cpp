#include "tests/support/TapeModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>

#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro::test {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Uniform and normal numbers made from the raw output of std::mt19937,
// which the standard fixes bit for bit; its distributions are not fixed and
// differ between standard libraries.
class TRandom {
 public:
  explicit TRandom(std::uint32_t Seed) : FEngine(Seed) {}

  // In (0, 1), never either end.
  double Uniform() { return (static_cast<double>(FEngine()) + 0.5) / 4294967296.0; }

  // Box and Muller's pair of normal numbers, handed out one at a time.
  double Normal() {
    if (FHasSpare) {
      FHasSpare = false;
      return FSpare;
    }
    const double Radius = std::sqrt(-2 * std::log(Uniform()));
    const double Angle = 2 * Pi * Uniform();
    FSpare = Radius * std::sin(Angle);
    FHasSpare = true;
    return Radius * std::cos(Angle);
  }

 private:
  std::mt19937 FEngine;
  double FSpare = 0;
  bool FHasSpare = false;
};

int DrawLength(const TLengthShares& Shares, TRandom& Random) {
  const double Total = std::accumulate(Shares.Weights.begin(), Shares.Weights.end(), 0.0);
  double Point = Random.Uniform() * Total;
  for (std::size_t I = 0; I < Shares.Weights.size(); ++I) {
    Point -= Shares.Weights[I];
    if (Point < 0) {
      return Shares.First + static_cast<int>(I);
    }
  }
  return Shares.First + static_cast<int>(Shares.Weights.size()) - 1;
}

// The tape's speed as a share of the true one: slow drift and quick
// flutter, each a sine of random phase.
class TTapeSpeed {
 public:
  TTapeSpeed(const TTapeConditions& C, TRandom& Random)
      : FDrift(C.DriftPercent / 100),
        FDriftRadians(C.DriftSeconds > 0 ? 2 * Pi / C.DriftSeconds : 0),
        FDriftPhase(2 * Pi * Random.Uniform()),
        FFlutter(C.FlutterPercent / 100),
        FFlutterRadians(2 * Pi * C.FlutterHz),
        FFlutterPhase(2 * Pi * Random.Uniform()) {}

  double At(double Seconds) const {
    return 1 + FDrift * std::sin(FDriftRadians * Seconds + FDriftPhase) +
           FFlutter * std::sin(FFlutterRadians * Seconds + FFlutterPhase);
  }

 private:
  double FDrift, FDriftRadians, FDriftPhase;
  double FFlutter, FFlutterRadians, FFlutterPhase;
};

// A stretch of constant level up to End; positions are samples at the
// recording's rate from the start of the tape.
struct TSegment {
  double End;
  double Level;  // +1 HIGH, -1 LOW
};

// One pulse of a block as played.
struct TPulseTruth {
  double Start;
  double End;
  double High;  // samples
  bool DataLong;
};

struct TLaidBlock {
  int Block;
  std::vector<TPulseTruth> Pulses;
};

struct TLaidTape {
  std::vector<TSegment> Segments;
  std::vector<TLaidBlock> Blocks;
};

const TPulseEdit* EditAt(const TTapeConditions& C, int Block, std::size_t Pulse) {
  if (Block < 0) {
    return nullptr;
  }
  for (const TPulseEdit& Edit : C.Edits) {
    if (Edit.Block == Block && static_cast<std::size_t>(Edit.Byte) * 9 + Edit.Pulse == Pulse) {
      return &Edit;
    }
  }
  return nullptr;
}

// The halves of one pulse in samples at the recording's rate, at the
// tape's true speed: HIGH, then LOW.
std::pair<double, double> Halves(const TTapePart& Part, bool Long, const TPulseEdit* Edit,
                                 const TTapeConditions& C, TRandom& Random) {
  const double Drawn = C.Rate / TPulseLengths::ReferenceRate;
  double High = 0;
  double Low = 0;
  if (Part.Exact) {
    const double Scale = static_cast<double>(C.Rate) / Part.ExactRate;
    High = (Long ? Part.Exact->Log1Hi : Part.Exact->Log0Hi) * Scale;
    Low = (Long ? Part.Exact->Log1Lo : Part.Exact->Log0Lo) * Scale;
  } else {
    High = DrawLength(Long ? C.Lengths.LongHigh : C.Lengths.ShortHigh, Random) * Drawn;
    Low = DrawLength(Long ? C.Lengths.LongLow : C.Lengths.ShortLow, Random) * Drawn;
  }
  if (Edit != nullptr && Edit->HighSamples > 0) {
    High = Edit->HighSamples * Drawn;
  }
  return {High, Low};
}

// Every pulse's halves laid end to end, each slowed or hurried by the
// speed of the tape where it starts.
TLaidTape LayOut(const std::vector<TTapePart>& Parts, const TTapeConditions& C, TRandom& Random) {
  const TTapeSpeed Speed(C, Random);
  TLaidTape Tape;
  std::size_t Pulses = 0;
  for (const TTapePart& Part : Parts) {
    Pulses += Part.Pulses.size();
  }
  Tape.Segments.reserve(2 * Pulses);
  double At = 0;
  const auto Play = [&](double Nominal, double Level) {
    At += Nominal / Speed.At(At / C.Rate);
    Tape.Segments.push_back({At, Level});
  };
  for (const TTapePart& Part : Parts) {
    TLaidBlock* Laid = nullptr;
    if (Part.Block >= 0) {
      Laid = &Tape.Blocks.emplace_back(TLaidBlock{Part.Block, {}});
      Laid->Pulses.reserve(Part.Pulses.size());
    }
    for (std::size_t I = 0; I < Part.Pulses.size(); ++I) {
      const bool DataLong = Part.Pulses[I] == '1';
      const TPulseEdit* Edit = EditAt(C, Part.Block, I);
      const auto [High, Low] = Halves(Part, Edit ? Edit->Long : DataLong, Edit, C, Random);
      const double Start = At;
      Play(Part.HighFirst ? High : Low, Part.HighFirst ? 1 : -1);
      const double Middle = At;
      Play(Part.HighFirst ? Low : High, Part.HighFirst ? -1 : 1);
      if (Laid != nullptr) {
        Laid->Pulses.push_back(
            {Start, At, Part.HighFirst ? Middle - Start : At - Middle, DataLong});
      }
    }
  }
  return Tape;
}

// The square wave, each sample the average level over its interval, from
// Shift samples into the tape on.
std::vector<double> AreaSampled(const std::vector<TSegment>& Segments, double Shift) {
  const double End = Segments.empty() ? 0 : Segments.back().End - Shift;
  std::vector<double> Signal(static_cast<std::size_t>(std::max(0.0, std::ceil(End - 1e-9))));
  double* const Out = Signal.data();
  const double Count = static_cast<double>(Signal.size());
  double From = -Shift;
  for (const TSegment& Segment : Segments) {
    const double A = std::max(From, 0.0);
    const double B = std::min(Segment.End - Shift, Count);
    From = Segment.End - Shift;
    if (B <= A) {
      continue;
    }
    const auto First = static_cast<std::size_t>(A);
    const auto Last = static_cast<std::size_t>(B);
    if (First == Last) {
      Out[First] += Segment.Level * (B - A);
      continue;
    }
    Out[First] += Segment.Level * (static_cast<double>(First + 1) - A);
    for (std::size_t I = First + 1; I < Last; ++I) {
      Out[I] += Segment.Level;
    }
    if (Last < Signal.size()) {
      Out[Last] += Segment.Level * (B - static_cast<double>(Last));
    }
  }
  return Signal;
}

// A Gaussian whose step response rises from 10 % to 90 % in RiseSamples.
void SoftenEdges(std::vector<double>& Signal, double RiseSamples) {
  if (RiseSamples <= 0 || Signal.empty()) {
    return;
  }
  const double Sigma = RiseSamples / 2.5631;
  const int Radius = static_cast<int>(std::ceil(3 * Sigma));
  std::vector<double> Kernel;
  for (int K = -Radius; K <= Radius; ++K) {
    Kernel.push_back(std::exp(-0.5 * K * K / (Sigma * Sigma)));
  }
  const double Sum = std::accumulate(Kernel.begin(), Kernel.end(), 0.0);
  for (double& Weight : Kernel) {
    Weight /= Sum;
  }
  const std::vector<double> In = Signal;
  const auto Count = static_cast<std::ptrdiff_t>(In.size());
  const double* const Source = In.data();
  const double* const Weights = Kernel.data();
  double* const Out = Signal.data();
  for (std::ptrdiff_t I = 0; I < Count; ++I) {
    double Value = 0;
    for (std::ptrdiff_t K = -Radius; K <= Radius; ++K) {
      const std::ptrdiff_t At = I + K;
      if (At >= 0 && At < Count) {
        Value += Weights[K + Radius] * Source[At];
      }
    }
    Out[I] = Value;
  }
}

void HighPass(std::vector<double>& Signal, double Hz, int Rate) {
  if (Hz <= 0) {
    return;
  }
  const double Rc = 1 / (2 * Pi * Hz);
  const double Alpha = Rc / (Rc + 1.0 / Rate);
  double PreviousIn = 0;
  double PreviousOut = 0;
  double* const Values = Signal.data();
  for (std::size_t I = 0; I < Signal.size(); ++I) {
    const double Out = Alpha * (PreviousOut + Values[I] - PreviousIn);
    PreviousIn = Values[I];
    PreviousOut = Out;
    Values[I] = Out;
  }
}

struct TInterval {
  double From;
  double To;
};

// Where each dropout lies, in samples from the start of the tape.
std::vector<TInterval> DropoutSpans(const TLaidTape& Tape, const TTapeConditions& C) {
  std::vector<TInterval> Spans;
  for (const TDropout& Dropout : C.Dropouts) {
    const auto Laid = std::find_if(Tape.Blocks.begin(), Tape.Blocks.end(),
                                   [&](const TLaidBlock& B) { return B.Block == Dropout.Block; });
    const std::size_t Pulse = static_cast<std::size_t>(Dropout.Byte) * 9;
    if (Laid == Tape.Blocks.end() || Dropout.Byte < 0 || Pulse >= Laid->Pulses.size()) {
      throw std::invalid_argument("The tape has no byte " + std::to_string(Dropout.Byte) +
                                  " in block " + std::to_string(Dropout.Block) + " for a dropout");
    }
    const double From = Laid->Pulses[Pulse].Start;
    Spans.push_back({From, From + Dropout.Milliseconds * C.Rate / 1000});
  }
  return Spans;
}

void ApplyGain(std::vector<double>& Signal, const TTapeConditions& C,
               const std::vector<TInterval>& Dropouts, double Shift) {
  const auto Count = static_cast<std::ptrdiff_t>(Signal.size());
  const auto Index = [&](double Position) {
    return std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(std::ceil(Position - Shift)), 0,
                                      Count);
  };
  double* const Out = Signal.data();
  for (std::ptrdiff_t I = 0; I < Count; ++I) {
    Out[I] *= C.Amplitude;
  }
  for (const auto& [Seconds, Factor] : C.LevelSteps) {
    for (std::ptrdiff_t I = Index(Seconds * C.Rate); I < Count; ++I) {
      Out[I] *= Factor;
    }
  }
  const double Ramp = C.Rate / 1000.0;
  for (std::size_t D = 0; D < Dropouts.size(); ++D) {
    const double Depth = std::pow(10.0, C.Dropouts[D].Decibels / 20);
    const TInterval Span = Dropouts[D];
    for (std::ptrdiff_t I = Index(Span.From); I < Index(Span.To); ++I) {
      const double Position = static_cast<double>(I) + Shift;
      const double Faded =
          std::clamp(std::min(Position - Span.From, Span.To - Position) / Ramp, 0.0, 1.0);
      Out[I] *= 1 - (1 - Depth) * Faded;
    }
  }
}

void AddHiss(std::vector<double>& Signal, double Rms, std::uint32_t Seed) {
  if (Rms <= 0) {
    return;
  }
  // A stream of its own, so that the hiss does not move the pulses' draws.
  TRandom Random(Seed ^ 0x9E3779B9U);
  double* const Values = Signal.data();
  for (std::size_t I = 0; I < Signal.size(); ++I) {
    Values[I] += Rms * Random.Normal();
  }
}

TBytes Quantised(const std::vector<double>& Signal, int Bits, bool Inverted) {
  const double Scale = Inverted ? -128 : 128;
  TBytes Data(Signal.size() * static_cast<std::size_t>(Bits / 8));
  const double* const Values = Signal.data();
  std::uint8_t* const Out = Data.data();
  for (std::size_t I = 0; I < Signal.size(); ++I) {
    if (Bits == 8) {
      Out[I] =
          static_cast<std::uint8_t>(std::clamp(std::floor(128.5 + Scale * Values[I]), 0.0, 255.0));
    } else {
      const auto Word = static_cast<std::uint16_t>(static_cast<std::int16_t>(
          std::clamp(std::floor(0.5 + 256 * Scale * Values[I]), -32768.0, 32767.0)));
      Out[2 * I] = static_cast<std::uint8_t>(Word & 0xFF);
      Out[2 * I + 1] = static_cast<std::uint8_t>(Word >> 8);
    }
  }
  return Data;
}

TBytes MonoWave(const TBytes& Data, int Rate, int Bits) {
  TMemoryStream Memory;
  TWaveStream Wave(Memory);
  Wave.SetPCMFormat(Rate, Bits, 1);
  Wave.Open(true);
  Wave.WriteBuffer(Data.data(), static_cast<std::int32_t>(Data.size()));
  Wave.Close();
  return Memory.Bytes();
}

bool Touches(const std::vector<TInterval>& Spans, double From, double To) {
  return std::any_of(Spans.begin(), Spans.end(),
                     [&](const TInterval& Span) { return From < Span.To && Span.From < To; });
}

TBlockTruth Truth(const TLaidBlock& Laid, const std::vector<TInterval>& Dropouts, double Shift,
                  int Rate) {
  TBlockTruth Block;
  Block.Block = Laid.Block;
  const std::size_t Bytes = Laid.Pulses.size() / 9;
  for (std::size_t Byte = 0; Byte < Bytes; ++Byte) {
    const double From = Laid.Pulses[Byte * 9].Start;
    Block.ByteSamples.push_back(static_cast<std::int64_t>(std::floor(From - Shift)));
    if (Touches(Dropouts, From, Laid.Pulses[Byte * 9 + 8].End)) {
      Block.DroppedBytes.push_back(static_cast<int>(Byte));
    }
  }
  if (!Block.DroppedBytes.empty()) {
    const int First = Block.DroppedBytes.front();
    Block.DroppedBytes.resize(static_cast<std::size_t>(Block.DroppedBytes.back() - First + 1));
    std::iota(Block.DroppedBytes.begin(), Block.DroppedBytes.end(), First);
  }
  double LongestShort = 0;
  double ShortestLong = std::numeric_limits<double>::infinity();
  for (const TPulseTruth& Pulse : Laid.Pulses) {
    if (Pulse.Start < Shift || Touches(Dropouts, Pulse.Start, Pulse.End)) {
      continue;
    }
    if (Pulse.DataLong) {
      ShortestLong = std::min(ShortestLong, Pulse.High);
    } else {
      LongestShort = std::max(LongestShort, Pulse.High);
    }
  }
  const double Microseconds = 1e6 / Rate;
  Block.WindowFromUs = LongestShort * Microseconds;
  Block.WindowToUs = std::isinf(ShortestLong) ? 0 : ShortestLong * Microseconds;
  return Block;
}

// The part for each stretch: gaps and marks merged, each block a part of
// its own, numbered in order from Next on.
class TPartList {
 public:
  TPartList(std::vector<TTapePart>& Parts, const TTapePart& Like, int& Next)
      : FParts(Parts), FLike(Like), FNext(Next) {}

  void Add(const std::string& Pulses) {
    if (FParts.empty() || FParts.back().Block >= 0 || !SameTiming(FParts.back())) {
      FParts.push_back(FLike);
    }
    FParts.back().Pulses += Pulses;
  }
  void AddBlock(const TBytes& Bytes) {
    FParts.push_back(FLike);
    FParts.back().Pulses = expected::Block(Bytes);
    FParts.back().Block = FNext++;
  }
  // The machine's way of saving one block: start pulse, block, end pulse,
  // and with copies a short gap, the block again and an end pulse.
  void AddSaved(const TBytes& Bytes, bool Copies) {
    Add("1");
    AddBlock(Bytes);
    Add("1");
    if (Copies) {
      Add(expected::Repeat('0', 256));
      AddBlock(Bytes);
      Add("1");
    }
  }

 private:
  bool SameTiming(const TTapePart& Part) const {
    const auto Key = [](const TTapePart& P) {
      return P.Exact ? std::vector<int>{P.Exact->Log0Lo, P.Exact->Log0Hi, P.Exact->Log1Lo,
                                        P.Exact->Log1Hi, P.ExactRate,     P.HighFirst}
                     : std::vector<int>{P.HighFirst};
    };
    return Key(Part) == Key(FLike);
  }
  std::vector<TTapePart>& FParts;
  TTapePart FLike;
  int& FNext;
};

void AddStandardFile(std::vector<TTapePart>& Parts, const TTapePart& Like, const TBytes& Mzf,
                     bool Copies) {
  int Next = 0;
  TPartList List(Parts, Like, Next);
  List.Add(expected::Repeat('0', 22000) + expected::Repeat('1', 40) + expected::Repeat('0', 40));
  List.AddSaved(expected::Slice(Mzf, 0, 128), Copies);
  List.Add(expected::Repeat('0', 11000) + expected::Repeat('1', 20) + expected::Repeat('0', 20));
  List.AddSaved(expected::UserBody(Mzf), Copies);
}

// What follows a header in Kvetro's layout: a long pulse, 1000 + Gap
// short, the body's tape mark, the body and two end pulses.
void AddKvetroBody(TPartList& List, const TBytes& Body, int Gap) {
  List.Add("1" + expected::Repeat('0', 1000 + std::max(Gap, 0)) + expected::Repeat('1', 20) +
           expected::Repeat('0', 20) + "1");
  List.AddBlock(Body);
  List.Add("11");
}

}  // namespace

TPulseLengths MeasuredSave() {
  return {{3, {7, 25, 52, 16, 0.7}},
          {4, {7, 47, 27, 19, 0.7}},
          {8, {0.2, 27, 58, 14, 0.2}},
          {7, {0.2, 19, 39, 36, 6}}};
}

std::vector<TTapePart> MachineSave(const TBytes& Mzf, bool Copies) {
  std::vector<TTapePart> Parts;
  AddStandardFile(Parts, TTapePart{}, Mzf, Copies);
  return Parts;
}

std::vector<TTapePart> KvetroTape(const TBytes& Mzf, const expected::Conversion& C) {
  TTapePart User;
  User.Exact = expected::AtRate(C.User, C.Rate);
  User.ExactRate = C.Rate;
  User.HighFirst = false;
  std::vector<TTapePart> Parts;
  if (C.Tape != expected::Layout::FastLoader) {
    AddStandardFile(Parts, User, Mzf, C.Tape == expected::Layout::Standard);
    return Parts;
  }
  TTapePart Loader = User;
  Loader.Exact = expected::AtRate(expected::kStandardTiming, C.Rate);
  int Next = 0;
  TPartList LoaderList(Parts, Loader, Next);
  LoaderList.Add(expected::Repeat('0', C.LoaderGap) + expected::Repeat('1', 40) +
                 expected::Repeat('0', 40) + "1");
  LoaderList.AddBlock(expected::LoaderHeader(Mzf));
  AddKvetroBody(LoaderList, expected::LoaderBody(Mzf, C.MonitorConstant), C.BodyGap);
  TPartList UserList(Parts, User, Next);
  AddKvetroBody(UserList, expected::UserBody(Mzf), C.BodyGap);
  return Parts;
}

bool TBlockTruth::Readable() const {
  return WindowToUs > WindowFromUs && DroppedBytes.empty() && !ByteSamples.empty() &&
         ByteSamples.front() >= 0;
}

TTapeRecording RecordTape(const std::vector<TTapePart>& Parts, const TTapeConditions& Conditions) {
  if (Conditions.Bits != 8 && Conditions.Bits != 16) {
    throw std::invalid_argument("The tape model writes 8 or 16 bits, not " +
                                std::to_string(Conditions.Bits));
  }
  TRandom Random(Conditions.Seed);
  const TLaidTape Tape = LayOut(Parts, Conditions, Random);
  for (const TPulseEdit& Edit : Conditions.Edits) {
    const auto Laid = std::find_if(Tape.Blocks.begin(), Tape.Blocks.end(),
                                   [&](const TLaidBlock& B) { return B.Block == Edit.Block; });
    if (Laid == Tape.Blocks.end() || Edit.Byte < 0 || Edit.Pulse < 0 || Edit.Pulse > 8 ||
        static_cast<std::size_t>(Edit.Byte) * 9 >= Laid->Pulses.size()) {
      throw std::invalid_argument("The tape has no pulse " + std::to_string(Edit.Pulse) +
                                  " of byte " + std::to_string(Edit.Byte) + " in block " +
                                  std::to_string(Edit.Block) + " to edit");
    }
  }
  const std::vector<TInterval> Dropouts = DropoutSpans(Tape, Conditions);
  const double Shift = Conditions.StartSeconds * Conditions.Rate;

  std::vector<double> Signal = AreaSampled(Tape.Segments, Shift);
  SoftenEdges(Signal, Conditions.EdgeSamples);
  HighPass(Signal, Conditions.AcCouplingHz, Conditions.Rate);
  ApplyGain(Signal, Conditions, Dropouts, Shift);
  AddHiss(Signal, Conditions.Hiss, Conditions.Seed);

  TTapeRecording Recording;
  Recording.Wave = MonoWave(Quantised(Signal, Conditions.Bits, Conditions.Inverted),
                            Conditions.Rate, Conditions.Bits);
  for (const TLaidBlock& Laid : Tape.Blocks) {
    Recording.Blocks.push_back(Truth(Laid, Dropouts, Shift, Conditions.Rate));
  }
  return Recording;
}

}  // namespace kvetro::test
