#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tape/ConversionOutput.h"

namespace kvetro {

// Outputs held in memory, for checking a whole run without a file system.
// A write limit makes the output fill up like a full disk.
class TMemoryOutputs : public TOutputOpener {
 public:
  // What the latest output was asked for and what it got.
  struct TRecord {
    std::string Name;
    std::uint64_t AnnouncedSize = 0;
    std::vector<std::uint8_t> Bytes;  // all that was written, committed or not
    bool Committed = false;
  };

  // At most WriteLimit bytes per output; -1 for no limit.
  explicit TMemoryOutputs(std::int32_t WriteLimit = -1) : FWriteLimit(WriteLimit) {}

  std::unique_ptr<TConversionOutput> Open(const std::string& Name, std::uint64_t FileSize) override;

  // Valid once the output that the run opened has gone.
  const TRecord& Latest() const { return FLatest; }

 private:
  std::int32_t FWriteLimit;
  TRecord FLatest;
};

}  // namespace kvetro
