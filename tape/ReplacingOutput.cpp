#include "tape/ReplacingOutput.h"

#include "wave/PlatformFile.h"
#include "wave/StreamErrors.h"

namespace kvetro {

TReplacingOutput::TReplacingOutput(const std::string& ChosenName)
    : FChosenName(ChosenName), FFinalName(PlatformResolveLink(ChosenName)) {
  FTemporary = PlatformPathKind(FFinalName) != TPathKind::Other;
  FWriteName = FTemporary ? PlatformTempNameBeside(FFinalName) : FChosenName;
}

TReplacingOutput::~TReplacingOutput() {
  if (FTemporary && !FCommitted) {
    PlatformRemoveFile(FWriteName);
  }
}

void TReplacingOutput::Commit() {
  if (!FTemporary) {
    FCommitted = true;
    return;
  }
  // The new file takes over the access rights of the one it replaces.
  if (PlatformPathKind(FFinalName) == TPathKind::RegularFile) {
    PlatformCopyPermissions(FFinalName, FWriteName);
  }
  if (!PlatformReplaceFile(FWriteName, FFinalName)) {
    throw EFCreateError(FChosenName);
  }
  FCommitted = true;
}

}  // namespace kvetro
