#include "tests/support/ScriptedObserver.h"

#include <algorithm>

namespace kvetro::test {

void TScriptedObserver::Refused(const std::string& Text) {
  Record("Refused:" + Text);
  Messages.push_back(Text);
}

void TScriptedObserver::Warning(const std::string& Text) {
  Record("Warning:" + Text);
  Warnings.push_back(Text);
}

void TScriptedObserver::Writing() {
  Record("Writing");
}

void TScriptedObserver::FileStarts(const TPlannedFile& File) {
  Record(std::string("FileStarts:") + File.Label);
}

void TScriptedObserver::Written(const std::string& /*OutputName*/, std::uint64_t /*Samples*/,
                                std::int32_t /*Rate*/) {
  Record("Written");
}

int TScriptedObserver::CountOf(const std::string& Name) const {
  return static_cast<int>(std::count_if(
      Calls.begin(), Calls.end(),
      [&Name](const std::string& Call) { return Call.substr(0, Call.find(':')) == Name; }));
}

void TScriptedObserver::Record(std::string Call) {
  if (OnCall) {
    OnCall(Call);
  }
  Calls.push_back(std::move(Call));
}

}  // namespace kvetro::test
