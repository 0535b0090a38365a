#include "cli/NearestName.h"

#include <algorithm>
#include <cstddef>

namespace kvetro {

namespace {

constexpr std::size_t kMostEdits = 2;

// Optimal string alignment distance: insertions, deletions, substitutions
// and swaps of neighbours, each one edit.
std::size_t EditDistance(std::string_view A, std::string_view B) {
  std::vector<std::vector<std::size_t>> D(A.size() + 1, std::vector<std::size_t>(B.size() + 1));
  for (std::size_t I = 0; I <= A.size(); ++I) {
    D[I][0] = I;
  }
  for (std::size_t J = 0; J <= B.size(); ++J) {
    D[0][J] = J;
  }
  for (std::size_t I = 1; I <= A.size(); ++I) {
    for (std::size_t J = 1; J <= B.size(); ++J) {
      const std::size_t Change = A[I - 1] == B[J - 1] ? 0 : 1;
      D[I][J] = std::min({D[I - 1][J] + 1, D[I][J - 1] + 1, D[I - 1][J - 1] + Change});
      if (I > 1 && J > 1 && A[I - 1] == B[J - 2] && A[I - 2] == B[J - 1]) {
        D[I][J] = std::min(D[I][J], D[I - 2][J - 2] + 1);
      }
    }
  }
  return D[A.size()][B.size()];
}

}  // namespace

std::optional<std::string> NearestName(std::string_view Given,
                                       const std::vector<std::string>& Names) {
  std::optional<std::string> Nearest;
  std::size_t Least = kMostEdits + 1;
  bool Tied = false;
  for (const std::string& Name : Names) {
    const std::size_t Distance = EditDistance(Given, Name);
    if (Distance < Least) {
      Least = Distance;
      Nearest = Name;
      Tied = false;
    } else if (Distance == Least) {
      Tied = true;
    }
  }
  return Tied ? std::nullopt : Nearest;
}

}  // namespace kvetro
