#pragma once

#include <filesystem>
#include <string>

namespace kvetro::bench {

// A fresh folder for a benchmark's files, removed with everything in it when
// the object goes. It lies in KVETRO_BENCH_DIR when that is set (scripts/bench
// points it at the disk that is measured), else in the system's temporary
// folder.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string PathOf(const std::string& Name) const { return (FPath / Name).string(); }

 private:
  std::filesystem::path FPath;
};

}  // namespace kvetro::bench
