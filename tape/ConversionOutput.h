#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/StreamErrors.h"
#include "wave/Stream.h"

namespace kvetro {

// Where one run's WAV goes. The run writes every byte of it, strictly
// forward, into Stream, then calls Commit; an output dropped without Commit
// leaves nothing of itself under its name.
class TConversionOutput {
 public:
  virtual ~TConversionOutput() = default;

  virtual TStream& Stream() = 0;
  // Makes the finished WAV the output. Raises EWriteError (or EFCreateError)
  // with the output's name and the reason.
  virtual void Commit() = 0;
  // The failure to raise when Stream refused bytes: says which output and,
  // where it is known, why.
  virtual EWriteError WriteFailure() const = 0;
};

// Makes the outputs of runs: files for the window and the command line,
// standard output for "-", memory for the fuzzer.
class TOutputOpener {
 public:
  virtual ~TOutputOpener() = default;

  // Name as the user chose it; FileSize the whole WAV's size in bytes.
  // Raises what the output's kind raises when it cannot be made.
  virtual std::unique_ptr<TConversionOutput> Open(const std::string& Name,
                                                  std::uint64_t FileSize) = 0;
};

}  // namespace kvetro
