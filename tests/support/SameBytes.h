#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kvetro {

// Compares two byte sequences and, when they differ, tells the sizes and the
// first differing offset instead of printing whole waves.
inline ::testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& Actual,
                                            const std::vector<std::uint8_t>& Expected) {
  const std::size_t Common = std::min(Actual.size(), Expected.size());
  for (std::size_t I = 0; I < Common; ++I) {
    if (Actual[I] != Expected[I]) {
      return ::testing::AssertionFailure()
             << "first difference at offset " << I << ": " << int{Actual[I]} << " instead of "
             << int{Expected[I]} << " (sizes " << Actual.size() << " and " << Expected.size()
             << ")";
    }
  }
  if (Actual.size() != Expected.size()) {
    return ::testing::AssertionFailure()
           << "size " << Actual.size() << " instead of " << Expected.size();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kvetro
