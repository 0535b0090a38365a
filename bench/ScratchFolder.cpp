#include "bench/ScratchFolder.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <system_error>

namespace kvetro::bench {

TScratchFolder::TScratchFolder() {
  const char* Chosen = std::getenv("KVETRO_BENCH_DIR");
  const std::filesystem::path Base = Chosen != nullptr && *Chosen != '\0'
                                         ? std::filesystem::path(Chosen)
                                         : std::filesystem::temp_directory_path();
  std::random_device Seed;
  std::mt19937_64 Random(Seed());
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const std::filesystem::path Candidate = Base / ("kvetro-bench-" + std::to_string(Random()));
    if (std::filesystem::create_directory(Candidate)) {
      FPath = Candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch folder in " + Base.string());
}

TScratchFolder::~TScratchFolder() {
  std::error_code Ignored;
  std::filesystem::remove_all(FPath, Ignored);
}

}  // namespace kvetro::bench
