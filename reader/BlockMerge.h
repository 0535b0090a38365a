#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/BlockDecoder.h"
#include "reader/TapeReport.h"

namespace kvetro {

// What a block's first recording and its copy, either of which may be
// missing, tell together. The machine takes the copy only when the first
// fails its checksum; more is known from both: a byte framed in either is
// taken, where both framed it they must agree, and where they differ the
// one whose pulses lay clearly on their side of the read point wins. A
// result whose checksum does not hold is never taken for right, nor two
// readings that both hold it but differ, each as sure as the other, nor a
// reading alone with pulses so near the read point that they might have
// read either way.
struct TMergedBlock {
  TBlockReport Report;  // all but the pulse figures' source
  // The block's bytes, data then checksum: the right ones, or for Neither
  // the best that was read.
  std::vector<std::uint8_t> Bytes;
  // The reading whose pulses the figures come from.
  const TBlockRead* Used = nullptr;
};

TMergedBlock MergeBlock(const std::optional<TBlockRead>& First,
                        const std::optional<TBlockRead>& Copy);

}  // namespace kvetro
