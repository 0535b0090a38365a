#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "tape/ConversionOutput.h"

namespace kvetro {

// The output "-": the WAV streams straight into the program's standard
// output as it is made, so a player reading the pipe starts at once. Nothing
// can be taken back there: a failed run leaves the reader a cut-off WAV,
// which its header's sizes give away.
class TStandardOutputOpener : public TOutputOpener {
 public:
  explicit TStandardOutputOpener(std::FILE* Output) : FOutput(Output) {}

  std::unique_ptr<TConversionOutput> Open(const std::string& Name, std::uint64_t FileSize) override;

 private:
  std::FILE* FOutput;
};

}  // namespace kvetro
