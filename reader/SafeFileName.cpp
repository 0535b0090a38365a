#include "reader/SafeFileName.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

#include "tape/MzCharacterSet.h"

namespace kvetro {

namespace {

constexpr char Replacement = '_';

// Separators of paths, and what Windows refuses in a name.
constexpr std::string_view UnsafeSigns = "/\\:*?\"<>|";

// Names that Windows opens as devices, whatever the extension.
constexpr std::array<std::string_view, 22> DeviceNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",
};

bool IsDeviceName(const std::string& Name) {
  std::string Upper = Name;
  std::transform(Upper.begin(), Upper.end(), Upper.begin(),
                 [](unsigned char C) { return static_cast<char>(std::toupper(C)); });
  return std::find(DeviceNames.begin(), DeviceNames.end(), Upper) != DeviceNames.end();
}

}  // namespace

std::string SafeFileName(const std::vector<std::uint8_t>& MachineName) {
  std::string Name;
  for (const std::uint8_t Code : MachineName) {
    const std::optional<char> Ascii = MzCharacterAsAscii(Code);
    const bool Unsafe = !Ascii || UnsafeSigns.find(*Ascii) != std::string_view::npos;
    Name += Unsafe ? Replacement : *Ascii;
  }
  for (char& Character : Name) {
    if (Character != '.') {
      break;
    }
    Character = Replacement;
  }
  if (Name.empty() || IsDeviceName(Name)) {
    Name += Replacement;
  }
  return Name;
}

}  // namespace kvetro
