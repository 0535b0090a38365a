#pragma once

#include <string>

#include "io/PlatformOutput.h"
#include "tape/ConversionOutput.h"
#include "wave/FileStream.h"

namespace kvetro {

// A run's output in the file system (the policy is TPlatformOutput's): the
// chosen name holds either what it held before or the complete new WAV,
// never a part of it, and nothing is left beside it.
class TReplacingOutput : public TConversionOutput {
 public:
  // Raises EWriteProtectedError or EFCreateError naming ChosenName.
  explicit TReplacingOutput(const std::string& ChosenName);

  TStream& Stream() override { return FStream; }
  void Commit() override;
  EWriteError WriteFailure() const override;

 private:
  std::string FChosenName;
  TPlatformOutput FFile;  // outlives the stream, which writes to its file
  TFileStream FStream;
};

// The outputs of the window and the command line.
class TFileOutputOpener : public TOutputOpener {
 public:
  std::unique_ptr<TConversionOutput> Open(const std::string& Name, std::uint64_t FileSize) override;
};

}  // namespace kvetro
