#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "reader/BlockReader.h"
#include "reader/TapeReport.h"

namespace kvetro {

// The blocks of the tape file under way, as they came.
struct TFileBlocks {
  std::optional<TBlockRead> Header;
  std::optional<TBlockRead> HeaderCopy;
  std::optional<TBlockRead> Body;
  std::optional<TBlockRead> BodyCopy;
  std::optional<TBlockRead> FastBody;
  bool Told = false;  // to the observer, when it became whole
  bool HasHeader() const { return Header || HeaderCopy; }
  bool HasBody() const { return Body || BodyCopy; }
};

// Puts the blocks together into tape files, in the order they come: a
// header, then its body, each maybe with a copy; the two readings of a
// block are merged (reader/BlockMerge.h). A header of Kvetro's loader file
// (size 90, loaded and started at 0xD400) whose body is the loader's code is
// followed by the user's body alone at another speed: from the two the
// user's MZF file is rebuilt, with the size and the addresses from the
// loader's parameter block. A copy met without its first block (the
// recording starts inside that block) stands in for it; a body without a
// header is a file of its own, its header missing.
class TFileAssembler : public TBlockConsumer {
 public:
  std::int32_t BlockLength(TBlockKind Kind) override;
  void Block(TBlockRead Block) override;
  // The recording has ended: the file under way is complete as far as it
  // got.
  void Finish();
  // Told of each file once: the moment it is whole (its copies may still
  // follow), or else when it is complete, before it joins Files().
  void OnFile(std::function<void(const TFileReport&)> Observer) { FObserver = std::move(Observer); }

  const std::vector<TFileReport>& Files() const { return FFiles; }
  const std::vector<TReadProblem>& Problems() const { return FProblems; }
  // How many blocks were read right, first or copy.
  std::int32_t GoodBlocks() const { return FGoodBlocks; }

 private:
  static bool IsLoaderFile(const std::vector<std::uint8_t>& Header,
                           const std::vector<std::uint8_t>& Body);
  void AddHeader(TBlockRead Block);
  void AddBody(TBlockRead Block);
  void CompleteFile();
  void TellIfWhole();
  static TFileReport FileSoFar(const TFileBlocks& Blocks);

  std::optional<TFileBlocks> FFile;  // the file under way
  std::vector<TFileReport> FFiles;
  std::vector<TReadProblem> FProblems;
  std::int32_t FGoodBlocks = 0;
  std::function<void(const TFileReport&)> FObserver;
};

}  // namespace kvetro
