#include "tape/MzfInfo.h"

#include <algorithm>
#include <span>

#include "tape/InputCheck.h"
#include "tape/MzfName.h"
#include "tape/RunMessages.h"
#include "tape/SettingsCheck.h"

namespace kvetro {

TMzfInfo DescribeMzf(const TMzfImage& Image, const TConversionSettings& Settings) {
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

}  // namespace kvetro
