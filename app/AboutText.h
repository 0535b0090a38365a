#pragma once

#include <QString>

namespace kvetro {

// "O programu": what the program is, its version and licence, and where to
// read more about it.
QString AboutText();

}  // namespace kvetro
