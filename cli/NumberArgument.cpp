#include "cli/NumberArgument.h"

#include <charconv>

namespace kvetro {

std::optional<std::int32_t> ParseDecimal(std::string_view Text, std::int32_t Min,
                                         std::int32_t Max) {
  if (Text.empty() || Text.front() < '0' || Text.front() > '9') {
    return std::nullopt;
  }
  std::int64_t Value = 0;
  const char* const End = Text.data() + Text.size();
  const auto [Stop, Error] = std::from_chars(Text.data(), End, Value, 10);
  if (Error != std::errc() || Stop != End || Value < Min || Value > Max) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(Value);
}

std::optional<TPulseHalves> ParsePulseHalves(std::string_view Text, std::int32_t Min,
                                             std::int32_t Max) {
  const std::size_t Comma = Text.find(',');
  if (Comma == std::string_view::npos) {
    return std::nullopt;
  }
  const auto Lo = ParseDecimal(Text.substr(0, Comma), Min, Max);
  const auto Hi = ParseDecimal(Text.substr(Comma + 1), Min, Max);
  if (!Lo || !Hi) {
    return std::nullopt;
  }
  return TPulseHalves{*Lo, *Hi};
}

}  // namespace kvetro
