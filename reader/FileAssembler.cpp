#include "reader/FileAssembler.h"

#include <algorithm>

#include "tape/FastLoaderFile.h"
#include "tape/MzfImage.h"
#include "tape/MzfName.h"

namespace kvetro {

namespace {

std::uint16_t WordAt(const std::vector<std::uint8_t>& Bytes, std::size_t Offset) {
  const auto At = [&Bytes](std::size_t I) { return I < Bytes.size() ? Bytes[I] : 0; };
  return static_cast<std::uint16_t>(At(Offset) | At(Offset + 1) << 8);
}

// The block to use: the first if it was read right, else its copy if that
// was, else the one that got furthest.
const TBlockRead& Chosen(const TBlockRead& First, const std::optional<TBlockRead>& Copy) {
  if (First.Good() || !Copy) {
    return First;
  }
  if (Copy->Good() || Copy->Bytes.size() > First.Bytes.size()) {
    return *Copy;
  }
  return First;
}

}  // namespace

std::int32_t TFileAssembler::BlockLength(TBlockKind Kind) {
  if (Kind == TBlockKind::Header) {
    return TMzfImage::HeaderSize;
  }
  if (!FFile) {
    return -1;
  }
  if (!FFile->Body) {
    const TBlockRead& Header = Chosen(*FFile->Header, FFile->HeaderCopy);
    const auto SizeEnd = static_cast<std::size_t>(TMzfImage::BodySizeOffset + 2);
    return Header.Bytes.size() >= SizeEnd ? WordAt(Header.Bytes, TMzfImage::BodySizeOffset) : -1;
  }
  if (IsLoaderFile(*FFile) && !FFile->FastBody) {
    return WordAt(Chosen(*FFile->Body, FFile->BodyCopy).Bytes, FastLoaderUserFieldsOffset);
  }
  return -1;
}

void TFileAssembler::Block(TBlockRead Block) {
  FGoodBlocks += Block.Good() ? 1 : 0;
  if (Block.Length < 0) {
    FProblems.push_back({TReadProblem::TKind::BodyWithoutHeader, Block.StartSeconds, 0});
    return;
  }
  if (Block.Kind == TBlockKind::Header) {
    if (!Block.Copy) {
      CompleteFile();
      FFile.emplace().Header = std::move(Block);
    } else if (FFile && !FFile->Body && !FFile->HeaderCopy) {
      FFile->HeaderCopy = std::move(Block);
    }
    return;
  }
  if (!FFile) {
    return;
  }
  if (!Block.Copy) {
    if (!FFile->Body) {
      FFile->Body = std::move(Block);
    } else if (!FFile->FastBody) {
      FFile->FastBody = std::move(Block);
    }
  } else if (FFile->Body && !FFile->BodyCopy && !FFile->FastBody) {
    FFile->BodyCopy = std::move(Block);
  }
}

void TFileAssembler::Finish() {
  CompleteFile();
}

bool TFileAssembler::IsLoaderFile(const TFileBlocks& File) {
  if (!File.Body) {
    return false;
  }
  const TBlockRead& Header = Chosen(*File.Header, File.HeaderCopy);
  const TBlockRead& Body = Chosen(*File.Body, File.BodyCopy);
  return Header.Good() && Body.Good() &&
         Body.Bytes.size() >= FastLoaderUserFieldsOffset + FastLoaderUserFieldsSize &&
         WordAt(Header.Bytes, TMzfImage::BodySizeOffset) == FastLoaderBodySize &&
         WordAt(Header.Bytes, TMzfImage::LoadAddressOffset) == FastLoaderAddress &&
         WordAt(Header.Bytes, TMzfImage::ExecAddressOffset) == FastLoaderAddress &&
         std::equal(FastLoaderCode.begin(), FastLoaderCode.end(), Body.Bytes.begin());
}

TBlockReport TFileAssembler::BlockReport(const TBlockRead& First,
                                         const std::optional<TBlockRead>& Copy) {
  TBlockReport Report;
  Report.CopyFound = Copy.has_value();
  Report.StartSeconds = First.StartSeconds;
  Report.Length = First.Length;
  const bool CopyGood = Copy && Copy->Good();
  Report.Source = First.Good() ? TBlockSource::First
                  : CopyGood   ? TBlockSource::Copy
                               : TBlockSource::Neither;
  const TBlockRead& Used = Report.Source == TBlockSource::Copy ? *Copy : First;
  if (Report.Source == TBlockSource::Copy) {
    FProblems.push_back({TReadProblem::TKind::CopyUsed, Copy->StartSeconds, 0});
  }
  if (Report.Source == TBlockSource::Neither) {
    // Where a block broke off, or where the two readings disagree; when
    // neither shows it, the checksum is all that is known to be wrong.
    Report.FirstBadByte = First.Length;
    Report.FirstBadSeconds = First.StartSeconds;
    const auto Consider = [&Report](std::int32_t Byte, double Seconds) {
      if (Byte < Report.FirstBadByte) {
        Report.FirstBadByte = Byte;
        Report.FirstBadSeconds = Seconds;
      }
    };
    for (const TBlockRead* Reading : {&First, Copy ? &*Copy : nullptr}) {
      if (Reading != nullptr && Reading->BrokenAt >= 0) {
        Consider(Reading->BrokenAt, Reading->BrokenSeconds);
      }
    }
    if (Copy) {
      const auto Common = std::min(First.Bytes.size(), Copy->Bytes.size());
      const auto Differ =
          std::mismatch(First.Bytes.begin(), First.Bytes.begin() + Common, Copy->Bytes.begin());
      Consider(static_cast<std::int32_t>(Differ.first - First.Bytes.begin()), First.StartSeconds);
    }
  }
  Report.Short = Used.Pulses.Short();
  Report.Long = Used.Pulses.Long();
  Report.Window = Used.Pulses.Window();
  Report.OtherPolarityWindow = Used.Pulses.OtherPolarityWindow();
  return Report;
}

void TFileAssembler::CompleteFile() {
  if (!FFile) {
    return;
  }
  const TFileBlocks& Blocks = *FFile;
  TFileReport File;
  File.StartSeconds = Blocks.Header->StartSeconds;
  File.Header = BlockReport(*Blocks.Header, Blocks.HeaderCopy);

  std::vector<std::uint8_t> Header = Chosen(*Blocks.Header, Blocks.HeaderCopy).Bytes;
  Header.resize(TMzfImage::HeaderSize, 0);
  File.Type = Header[0];
  File.Name = HeaderName(Header);

  bool Whole = File.Header.Source != TBlockSource::Neither;
  const TBlockRead* BodyRead = nullptr;
  if (Blocks.Body) {
    File.Body = BlockReport(*Blocks.Body, Blocks.BodyCopy);
    Whole = Whole && File.Body->Source != TBlockSource::Neither;
    BodyRead = &Chosen(*Blocks.Body, Blocks.BodyCopy);
  }
  File.FastLoader = IsLoaderFile(Blocks);
  if (File.FastLoader) {
    // The user's size and addresses go back into the header, from the
    // loader's parameter block, and the body is the one at the fast speed.
    File.MonitorConstant = BodyRead->Bytes[FastLoaderMonitorConstantOffset];
    std::copy_n(BodyRead->Bytes.begin() + FastLoaderUserFieldsOffset, FastLoaderUserFieldsSize,
                Header.begin() + TMzfImage::BodySizeOffset);
    BodyRead = nullptr;
    if (Blocks.FastBody) {
      File.FastBody = BlockReport(*Blocks.FastBody, std::nullopt);
      Whole = Whole && File.FastBody->Source != TBlockSource::Neither;
      BodyRead = &*Blocks.FastBody;
    }
  }
  File.Size = WordAt(Header, TMzfImage::BodySizeOffset);
  File.LoadAddress = WordAt(Header, TMzfImage::LoadAddressOffset);
  File.ExecAddress = WordAt(Header, TMzfImage::ExecAddressOffset);
  File.Whole = Whole && BodyRead != nullptr;
  File.Mzf = std::move(Header);
  if (BodyRead != nullptr) {
    File.Mzf.insert(File.Mzf.end(), BodyRead->Bytes.begin(), BodyRead->Bytes.end());
  }
  FFiles.push_back(std::move(File));
  FFile.reset();
}

}  // namespace kvetro
