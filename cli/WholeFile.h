#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvetro {

// Writes Bytes as the file Name, whole or not at all, as the WAVs are
// written: the name holds what it held before or the complete file. Raises
// the platform's failures, naming the file and the reason.
void WriteWholeFile(const std::string& Name, const std::vector<std::uint8_t>& Bytes);

}  // namespace kvetro
