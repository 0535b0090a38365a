#include "reader/BlockMerge.h"

#include <algorithm>

namespace kvetro {

namespace {

using TSure = TBlockRead::TSure;

enum class TWinner : std::uint8_t { Both, First, Copy, Undecided, Nobody };

// Byte ranges of the bytes where Pick holds, timed by Timing.
template <typename TPick>
std::vector<TByteRange> Ranges(std::size_t Count, const TBlockRead& Timing, TPick Pick) {
  std::vector<TByteRange> Found;
  for (std::size_t I = 0; I < Count; ++I) {
    if (!Pick(I)) {
      continue;
    }
    const auto Byte = static_cast<std::int32_t>(I);
    const double Seconds = I < Timing.ByteSeconds.size() ? Timing.ByteSeconds[I] : 0;
    if (!Found.empty() && Found.back().Last + 1 == Byte) {
      Found.back().Last = Byte;
      Found.back().ToSeconds = Seconds;
    } else {
      Found.push_back({Byte, Byte, Seconds, Seconds});
    }
  }
  return Found;
}

// Which reading to believe for one byte.
TWinner Winner(const TBlockRead& First, const TBlockRead& Copy, std::size_t I) {
  const TSure A = First.Sure[I];
  const TSure B = Copy.Sure[I];
  if (A == TSure::NotRead && B == TSure::NotRead) {
    return TWinner::Nobody;
  }
  if (B == TSure::NotRead) {
    return TWinner::First;
  }
  if (A == TSure::NotRead) {
    return TWinner::Copy;
  }
  if (First.Bytes[I] == Copy.Bytes[I]) {
    return TWinner::Both;
  }
  if (A != B) {
    return A == TSure::Clear ? TWinner::First : TWinner::Copy;
  }
  return TWinner::Undecided;
}

TBlockReport Basics(const TBlockRead& Read) {
  TBlockReport Report;
  Report.StartSeconds = Read.StartSeconds;
  Report.Length = Read.Length;
  Report.Rate = Read.Rate;
  return Report;
}

// A block read from one reading alone.
TMergedBlock Alone(const TBlockRead& Read, TBlockSource Good) {
  TMergedBlock Merged;
  Merged.Report = Basics(Read);
  Merged.Bytes = Read.Bytes;
  Merged.Used = &Read;
  if (Read.Good() && Read.NearPulses == 0) {
    Merged.Report.Source = Good;
  } else if (Read.Good()) {
    // The checksum only counts one bits: with nothing to compare with, a
    // pulse that might have read either way leaves the bytes unsure.
    Merged.Report.NearPulses = Read.NearPulses;
  } else {
    Merged.Report.BadBytes = Ranges(
        Read.Sure.size(), Read, [&Read](std::size_t I) { return Read.Sure[I] == TSure::NotRead; });
  }
  return Merged;
}

TMergedBlock Merge(const std::optional<TBlockRead>& First, const std::optional<TBlockRead>& Copy) {
  if (!First && !Copy) {
    return {};
  }
  const bool Comparable = First && Copy && First->Length >= 0 && Copy->Length == First->Length;
  if (!Comparable) {
    // Only one reading, or two of different lengths: the good one, or the
    // first as far as it went.
    const bool UseCopy = !First || (Copy && (Copy->Good() || First->Length < 0) && !First->Good());
    TMergedBlock Merged =
        UseCopy ? Alone(*Copy, TBlockSource::Copy) : Alone(*First, TBlockSource::First);
    Merged.Report.FirstFound = First.has_value();
    Merged.Report.CopyFound = Copy.has_value();
    return Merged;
  }

  const std::size_t Count = First->Bytes.size();
  std::vector<TWinner> Winners(Count);
  for (std::size_t I = 0; I < Count; ++I) {
    Winners[I] = Winner(*First, *Copy, I);
  }
  const auto Any = [&Winners](TWinner Which) {
    return std::find(Winners.begin(), Winners.end(), Which) != Winners.end();
  };
  // Where both read the byte and differ.
  const auto Differ = [&](std::size_t I) {
    return First->Sure[I] != TSure::NotRead && Copy->Sure[I] != TSure::NotRead &&
           First->Bytes[I] != Copy->Bytes[I];
  };

  TMergedBlock Merged;
  Merged.Report = Basics(*First);
  Merged.Report.CopyFound = true;
  Merged.Used = &*First;
  Merged.Bytes.resize(Count);
  for (std::size_t I = 0; I < Count; ++I) {
    Merged.Bytes[I] = Winners[I] == TWinner::Copy ? Copy->Bytes[I] : First->Bytes[I];
  }
  // Whether the reading wins every byte where the two differ; a reading
  // that holds its checksum also wins those where neither is surer, as the
  // machine would take it.
  bool Disagree = false;
  bool FirstWins = true;
  bool CopyWins = true;
  for (std::size_t I = 0; I < Count; ++I) {
    if (Differ(I)) {
      Disagree = true;
      const bool Undecided = Winners[I] == TWinner::Undecided;
      FirstWins = FirstWins && (Winners[I] == TWinner::First || (Undecided && First->Good()));
      CopyWins = CopyWins && (Winners[I] == TWinner::Copy || (Undecided && Copy->Good()));
    }
  }

  if (First->Good() && Copy->Good() && Disagree) {
    // Both hold their checksums, yet differ: compensating errors in one.
    Merged.Report.Conflicts = Ranges(Count, *First, Differ);
    const bool Settled = std::none_of(Winners.begin(), Winners.end(),
                                      [](TWinner W) { return W == TWinner::Undecided; }) &&
                         (FirstWins != CopyWins);
    if (Settled) {
      Merged.Report.ConflictSettled = true;
      Merged.Report.Source = FirstWins ? TBlockSource::First : TBlockSource::Copy;
      Merged.Bytes = FirstWins ? First->Bytes : Copy->Bytes;
      Merged.Used = FirstWins ? &*First : &*Copy;
    }
    return Merged;
  }
  if (First->Good() && FirstWins) {
    Merged.Report.Source = TBlockSource::First;
    Merged.Bytes = First->Bytes;
    return Merged;
  }
  if (Copy->Good() && CopyWins) {
    Merged.Report.Source = TBlockSource::Copy;
    Merged.Bytes = Copy->Bytes;
    Merged.Used = &*Copy;
    return Merged;
  }
  const bool Complete = !Any(TWinner::Nobody) && !Any(TWinner::Undecided);
  if (Complete && TBlockRead::ChecksumRight(Merged.Bytes)) {
    Merged.Report.Source = TBlockSource::Merged;
    // Each timed where its damage lies: in the other reading.
    Merged.Report.Repaired =
        Ranges(Count, *First, [&Winners](std::size_t I) { return Winners[I] == TWinner::Copy; });
    Merged.Report.RepairedFromFirst = Ranges(Count, *Copy, [&](std::size_t I) {
      return Winners[I] == TWinner::First && Copy->Sure[I] == TSure::NotRead;
    });
    const auto NotRead = [](const TBlockRead& Read) {
      return std::count(Read.Sure.begin(), Read.Sure.end(), TSure::NotRead);
    };
    if (NotRead(*Copy) < NotRead(*First)) {
      Merged.Used = &*Copy;
    }
    return Merged;
  }
  Merged.Report.BadBytes =
      Ranges(Count, *First, [&Winners](std::size_t I) { return Winners[I] == TWinner::Nobody; });
  Merged.Report.Conflicts = Ranges(Count, *First, Differ);
  return Merged;
}

}  // namespace

TMergedBlock MergeBlock(const std::optional<TBlockRead>& First,
                        const std::optional<TBlockRead>& Copy) {
  TMergedBlock Merged = Merge(First, Copy);
  if (Merged.Report.Source != TBlockSource::First) {
    for (const std::optional<TBlockRead>* Read : {&First, &Copy}) {
      if (*Read && (*Read)->Spot) {
        Merged.Report.BadSpot = (*Read)->Spot;
        break;
      }
    }
  }
  return Merged;
}

}  // namespace kvetro
