#include "tape/MzfName.h"

#include <algorithm>

#include "tape/MzCharacterSet.h"
#include "tape/MzfImage.h"

namespace kvetro {

std::vector<std::uint8_t> HeaderName(std::span<const std::uint8_t> Header) {
  const std::size_t Start = std::min<std::size_t>(TMzfImage::NameOffset, Header.size());
  const std::size_t Length = std::min<std::size_t>(TMzfImage::NameLength, Header.size() - Start);
  const auto Codes = Header.subspan(Start, Length);
  return {Codes.begin(), std::find(Codes.begin(), Codes.end(), TMzfImage::NameEnd)};
}

std::string NameText(const std::vector<std::uint8_t>& Name) {
  std::string Text;
  for (const std::uint8_t Code : Name) {
    Text += MzCharacterAsAscii(Code).value_or('?');
  }
  return Text;
}

}  // namespace kvetro
