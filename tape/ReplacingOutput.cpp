#include "tape/ReplacingOutput.h"

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
  return EWriteError::CannotWrite(FChosenName, FStream.ErrorCode());
}

std::unique_ptr<TConversionOutput> TFileOutputOpener::Open(const std::string& Name,
                                                           std::uint64_t /*FileSize*/) {
  return std::make_unique<TReplacingOutput>(Name);
}

}  // namespace kvetro
