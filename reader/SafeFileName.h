#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvetro {

// A tape header's file name (the machine's character codes, up to the 0x0D
// that ends it) made into a name that can stand for one file in a folder on
// any system, for the command line's outputs and the page's downloads. No
// extension is added.
//
// Codes with an ASCII counterpart (tape/MzCharacterSet.h) become it; every
// other code, the signs that separate or stand for paths or are refused by
// some file systems (/ \ : * ? " < > |), and the dots that lead the name
// become '_'. So the result is never empty, never "." or "..", holds no
// separator and cannot leave the folder. A name that Windows keeps for a
// device (CON, NUL, COM1...) gets a '_' after it.
std::string SafeFileName(const std::vector<std::uint8_t>& MachineName);

}  // namespace kvetro
