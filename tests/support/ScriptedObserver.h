#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tape/ConversionObserver.h"

namespace kvetro::test {

// An observer of a conversion run that records every call in order, as
// "Name" or "Name:argument" ("Refused:...", "Warning:...", "Writing",
// "FileStarts:<label>", "Written").
class TScriptedObserver : public TConversionObserver {
 public:
  // Run at every recorded call, with its record, before the call has any
  // effect: the way to change things while the run goes on, or to fail as a
  // window could.
  std::function<void(const std::string&)> OnCall;

  std::vector<std::string> Calls;
  std::vector<std::string> Messages;  // refusals
  std::vector<std::string> Warnings;

  void Refused(const std::string& Text) override;
  void Warning(const std::string& Text) override;
  void Writing() override;
  void FileStarts(const TPlannedFile& File) override;
  void Written(const std::string& OutputName, std::uint64_t Samples, std::int32_t Rate) override;

  // The calls whose name (the part before ':') is Name.
  int CountOf(const std::string& Name) const;

 private:
  void Record(std::string Call);
};

}  // namespace kvetro::test
