#include "tape/FastLoaderFile.h"

#include <cstddef>

namespace kvetro {

namespace {

constexpr std::int32_t BodyOffset(std::int32_t Offset) {
  return TMzfImage::HeaderSize + Offset;
}

}  // namespace

std::uint16_t BuildFastLoaderFile(TMzfImage& Image, std::int32_t MonitorConstant) {
  Image.SetByte(BodyOffset(FastLoaderMonitorConstantOffset),
                static_cast<std::uint8_t>(MonitorConstant & 0xFF));
  Image.SetByte(BodyOffset(FastLoaderFlagOffset), 0x01);

  // The user's size, load and execution address go to the target through the
  // parameter block; copy them before the header is rewritten below.
  for (std::int32_t I = 0; I < FastLoaderUserFieldsSize; ++I) {
    Image.SetByte(BodyOffset(FastLoaderUserFieldsOffset + I),
                  Image.ByteAt(TMzfImage::BodySizeOffset + I));
  }

  Image.SetWord(TMzfImage::BodySizeOffset, FastLoaderBodySize);
  Image.SetWord(TMzfImage::LoadAddressOffset, FastLoaderAddress);
  Image.SetWord(TMzfImage::ExecAddressOffset, FastLoaderAddress);

  for (std::size_t I = 0; I < FastLoaderCode.size(); ++I) {
    Image.SetByte(BodyOffset(static_cast<std::int32_t>(I)), FastLoaderCode[I]);
  }
  return Image.BodySize();
}

}  // namespace kvetro
