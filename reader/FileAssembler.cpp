#include "reader/FileAssembler.h"

#include <algorithm>

#include "reader/BlockMerge.h"
#include "tape/FastLoaderFile.h"
#include "tape/MzfImage.h"
#include "tape/MzfName.h"

namespace kvetro {

namespace {

std::uint16_t WordAt(const std::vector<std::uint8_t>& Bytes, std::size_t Offset) {
  const auto At = [&Bytes](std::size_t I) { return I < Bytes.size() ? Bytes[I] : 0; };
  return static_cast<std::uint16_t>(At(Offset) | At(Offset + 1) << 8);
}

// The data bytes of a merged block, its checksum left off.
std::vector<std::uint8_t> DataOf(const TMergedBlock& Block) {
  std::vector<std::uint8_t> Data = Block.Bytes;
  Data.resize(Data.size() >= ChecksumBytes ? Data.size() - ChecksumBytes : 0);
  return Data;
}

bool Good(const TMergedBlock& Block) {
  return Block.Report.Source != TBlockSource::Neither;
}

// The merged block's report with the figures of the reading used; a block
// that failed gives no window.
TBlockReport Reported(const TMergedBlock& Block) {
  TBlockReport Report = Block.Report;
  if (Block.Used != nullptr) {
    const TPulseStatistics& Pulses = Block.Used->Pulses;
    Report.Short = Pulses.Short();
    Report.Long = Pulses.Long();
    Report.OtherPolarityWindow = Pulses.OtherPolarityWindow();
    Report.Histogram = Pulses.Histogram();
    Report.LostPulses = Block.Used->LostPulses;
    Report.LostSeconds = Block.Used->LostSeconds;
    if (Good(Block)) {
      Report.Window = Pulses.Window();
    }
  }
  return Report;
}

}  // namespace

std::int32_t TFileAssembler::BlockLength(TBlockKind Kind) {
  if (Kind == TBlockKind::Header) {
    return TMzfImage::HeaderSize;
  }
  if (!FFile || !FFile->HasHeader()) {
    return -1;
  }
  const TMergedBlock Header = MergeBlock(FFile->Header, FFile->HeaderCopy);
  if (!Good(Header)) {
    return -1;
  }
  const std::vector<std::uint8_t> HeaderBytes = DataOf(Header);
  if (!FFile->HasBody()) {
    return WordAt(HeaderBytes, TMzfImage::BodySizeOffset);
  }
  const TMergedBlock Body = MergeBlock(FFile->Body, FFile->BodyCopy);
  if (!FFile->FastBody && Good(Body) && IsLoaderFile(HeaderBytes, DataOf(Body))) {
    return WordAt(DataOf(Body), FastLoaderUserFieldsOffset);
  }
  return -1;
}

void TFileAssembler::Block(TBlockRead Block) {
  FGoodBlocks += Block.Good() ? 1 : 0;
  if (Block.Length < 0) {
    if (!Block.Orphan) {
      FProblems.push_back({TReadProblem::TKind::UnreadBlock, Block.StartSeconds, 0});
    }
    return;
  }
  if (Block.Orphan) {
    // Only its length tells what a copy met alone is.
    Block.Kind = Block.Length == TMzfImage::HeaderSize ? TBlockKind::Header : TBlockKind::Body;
  }
  if (Block.Kind == TBlockKind::Header) {
    AddHeader(std::move(Block));
  } else {
    AddBody(std::move(Block));
  }
  TellIfWhole();
}

void TFileAssembler::AddHeader(TBlockRead Block) {
  const bool CopyOfThis = Block.Copy && FFile && FFile->Header && !FFile->HeaderCopy &&
                          !FFile->HasBody() && !Block.Orphan;
  if (CopyOfThis) {
    FFile->HeaderCopy = std::move(Block);
    return;
  }
  CompleteFile();
  TFileBlocks& File = FFile.emplace();
  (Block.Copy ? File.HeaderCopy : File.Header) = std::move(Block);
}

void TFileAssembler::AddBody(TBlockRead Block) {
  if (FFile && !Block.Copy && !FFile->HasBody() && FFile->HasHeader()) {
    FFile->Body = std::move(Block);
    return;
  }
  if (FFile && Block.Copy && !FFile->BodyCopy && !FFile->FastBody &&
      (FFile->Body || (FFile->HasHeader() && Block.Orphan))) {
    FFile->BodyCopy = std::move(Block);
    return;
  }
  if (FFile && !Block.Copy && FFile->HasBody() && !FFile->FastBody && FFile->HasHeader() &&
      BlockLength(TBlockKind::Body) == Block.Length) {
    FFile->FastBody = std::move(Block);
    return;
  }
  if (FFile && Block.Copy && !FFile->HasHeader() && FFile->Body && !FFile->BodyCopy) {
    FFile->BodyCopy = std::move(Block);
    return;
  }
  // A body with no header before it: a file of its own.
  CompleteFile();
  TFileBlocks& File = FFile.emplace();
  (Block.Copy ? File.BodyCopy : File.Body) = std::move(Block);
}

void TFileAssembler::Finish() {
  CompleteFile();
}

bool TFileAssembler::IsLoaderFile(const std::vector<std::uint8_t>& Header,
                                  const std::vector<std::uint8_t>& Body) {
  return Body.size() >= FastLoaderUserFieldsOffset + FastLoaderUserFieldsSize &&
         WordAt(Header, TMzfImage::BodySizeOffset) == FastLoaderBodySize &&
         WordAt(Header, TMzfImage::LoadAddressOffset) == FastLoaderAddress &&
         WordAt(Header, TMzfImage::ExecAddressOffset) == FastLoaderAddress &&
         std::equal(FastLoaderCode.begin(), FastLoaderCode.end(), Body.begin());
}

void TFileAssembler::CompleteFile() {
  if (!FFile) {
    return;
  }
  TFileReport File = FileSoFar(*FFile);
  if (FObserver && !FFile->Told) {
    FObserver(File);
  }
  FFiles.push_back(std::move(File));
  FFile.reset();
}

// Once a file is whole, the blocks still to come (its copies) cannot spoil
// it: it is told at once.
void TFileAssembler::TellIfWhole() {
  if (!FObserver || !FFile || FFile->Told) {
    return;
  }
  const TFileReport File = FileSoFar(*FFile);
  if (File.Whole) {
    FObserver(File);
    FFile->Told = true;
  }
}

TFileReport TFileAssembler::FileSoFar(const TFileBlocks& Blocks) {
  TFileReport File;
  std::vector<std::uint8_t> Header;
  bool Whole = true;
  if (Blocks.HasHeader()) {
    const TMergedBlock Merged = MergeBlock(Blocks.Header, Blocks.HeaderCopy);
    File.Header = Reported(Merged);
    File.StartSeconds = File.Header->StartSeconds;
    Whole = Good(Merged);
    Header = DataOf(Merged);
  }
  Header.resize(TMzfImage::HeaderSize, 0);
  File.Type = Header[0];
  File.Name = HeaderName(Header);

  std::optional<std::vector<std::uint8_t>> Body;
  if (Blocks.HasBody()) {
    const TMergedBlock Merged = MergeBlock(Blocks.Body, Blocks.BodyCopy);
    File.Body = Reported(Merged);
    Whole = Whole && Good(Merged);
    Body = DataOf(Merged);
    if (!Blocks.HasHeader()) {
      File.StartSeconds = File.Body->StartSeconds;
      File.Size = static_cast<std::uint16_t>(File.Body->Length);
    }
  }
  File.FastLoader = Blocks.HasHeader() && Body && Whole && IsLoaderFile(Header, *Body);
  if (File.FastLoader) {
    // The user's size and addresses go back into the header, from the
    // loader's parameter block, and the body is the one at the fast speed.
    File.MonitorConstant = (*Body)[FastLoaderMonitorConstantOffset];
    std::copy_n(Body->begin() + FastLoaderUserFieldsOffset, FastLoaderUserFieldsSize,
                Header.begin() + TMzfImage::BodySizeOffset);
    Body.reset();
    if (Blocks.FastBody) {
      const TMergedBlock Merged = MergeBlock(Blocks.FastBody, std::nullopt);
      File.FastBody = Reported(Merged);
      Whole = Whole && Good(Merged);
      Body = DataOf(Merged);
    }
  }
  if (Blocks.HasHeader()) {
    File.Size = WordAt(Header, TMzfImage::BodySizeOffset);
    File.LoadAddress = WordAt(Header, TMzfImage::LoadAddressOffset);
    File.ExecAddress = WordAt(Header, TMzfImage::ExecAddressOffset);
  }
  File.Whole = Whole && Blocks.HasHeader() && Body.has_value();
  File.Mzf = std::move(Header);
  if (Body) {
    File.Mzf.insert(File.Mzf.end(), Body->begin(), Body->end());
  }
  return File;
}

}  // namespace kvetro
