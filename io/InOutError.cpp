#include "io/InOutError.h"

namespace kvetro {

EInOutError::EInOutError(const std::string& FileName, const std::string& Reason)
    : Exception("Cannot read " + FileName + ": " + Reason) {}

}  // namespace kvetro
