#include "tape/InOutError.h"

#include "tape/RunMessages.h"

namespace kvetro {

EInOutError::EInOutError(const std::string& FileName, const std::string& Reason)
    : Exception(CannotReadText(FileName, Reason)) {}

}  // namespace kvetro
