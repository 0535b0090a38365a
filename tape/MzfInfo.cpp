#include "tape/MzfInfo.h"

#include <algorithm>
#include <memory>
#include <span>
#include <utility>

#include "tape/InputCheck.h"
#include "tape/MzfName.h"
#include "tape/RunMessages.h"
#include "tape/SettingsCheck.h"

namespace kvetro {

namespace {

TMzfInfo HeaderFields(const TMzfImage& Image, const TConversionSettings& Settings) {
  TMzfInfo Info;
  Info.Settings = Settings;
  Info.FileLength = Image.FileLength();
  Info.Type = Image.ByteAt(0);
  Info.Name = HeaderName(std::span(Image.Bytes()).first(TMzfImage::HeaderSize));
  Info.BodySize = Image.BodySize();
  Info.LoadAddress = Image.Word(TMzfImage::LoadAddressOffset);
  Info.ExecAddress = Image.Word(TMzfImage::ExecAddressOffset);
  Info.BodyInFile = Image.BodyBytesInFile();
  Info.AfterHeader = std::max(Image.FileLength() - TMzfImage::HeaderSize, 0);
  return Info;
}

}  // namespace

TMzfInfo DescribeMzf(const TMzfImage& Image, const TConversionSettings& Settings) {
  TMzfInfo Info = HeaderFields(Image, Settings);
  if (const auto Refusal = SettingsRefusal(Settings)) {
    Info.Refusal = *Refusal;
  } else if (Image.BodySize() == 0) {
    Info.Refusal = BodySizeZeroText;
  } else {
    Info.Plan = PlanConversion(Image, Settings);
    if (!Info.Plan->FitsWaveFile()) {
      Info.Refusal = OutputTooLargeText;
    } else {
      Info.Samples = Info.Plan->DataSize();
    }
  }
  // As in the run: a file that is refused gets no warning besides.
  if (!Info.Refusal) {
    Info.Warning = HeaderWarning(Image);
  }
  return Info;
}

TTapeInfo DescribeTape(const TMzfTape& Tape, const TConversionSettings& Settings) {
  TTapeInfo Info;
  Info.Settings = Settings;
  // As in the run: the settings first, then the files.
  Info.Refusal = SettingsRefusal(Settings);
  if (!Info.Refusal) {
    Info.Refusal = TapeRefusal(Tape, Settings.Layout);
  }
  if (!Info.Refusal) {
    Info.Plan = PlanConversion(Tape, Settings);
    if (!Info.Plan->FitsWaveFile()) {
      Info.Refusal = OutputTooLargeText;
    } else {
      Info.Samples = Info.Plan->DataSize();
      Info.Warnings = TapeWarnings(Tape, TWarningsFor::Description);
    }
  }
  const auto Image = std::make_unique<TMzfImage>();
  for (std::size_t Index = 0; Index < Tape.Count(); ++Index) {
    if (Tape.Fill(Index, *Image) != TMzfImage::LoadResult::Loaded) {
      Info.Files.clear();
      break;
    }
    TTapeFileInfo File{Tape.Label(Index), HeaderFields(*Image, Settings)};
    if (Info.Plan) {
      for (const TPlannedFile& Planned : Info.Plan->Files) {
        File.Samples += Planned.Image == Index ? Planned.Samples : 0;
      }
    }
    Info.Files.push_back(std::move(File));
  }
  return Info;
}

}  // namespace kvetro
