#include "tape/ReplacingOutput.h"

#include <system_error>

namespace kvetro {

TReplacingOutput::TReplacingOutput(const std::string& ChosenName)
    : FChosenName(ChosenName), FFile(ChosenName), FStream(FFile.File(), false) {}

void TReplacingOutput::Commit() {
  try {
    FStream.Close();
  } catch (const EWriteError&) {
    throw WriteFailure();
  }
  FFile.Commit();
}

EWriteError TReplacingOutput::WriteFailure() const {
  const int Code = FStream.ErrorCode();
  if (Code == 0) {
    return EWriteError("Cannot write " + FChosenName);
  }
  return EWriteError("Cannot write " + FChosenName + ": " + std::generic_category().message(Code));
}

std::unique_ptr<TConversionOutput> TFileOutputOpener::Open(const std::string& Name,
                                                           std::uint64_t /*FileSize*/) {
  return std::make_unique<TReplacingOutput>(Name);
}

}  // namespace kvetro
