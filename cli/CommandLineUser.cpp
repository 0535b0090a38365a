#include "cli/CommandLineUser.h"

namespace kvetro {

TCommandLineUser::TCommandLineUser(const TCliSettings& Settings, std::string OutputName,
                                   std::ostream& Errors)
    : FSettings(Settings),
      FOutputName(std::move(OutputName)),
      FErrors(Errors),
      FTiming(Settings.Conversion.UserTiming) {}

void TCommandLineUser::ShowMessage(const std::string& Text) {
  FErrors << Text << '\n';
}

void TCommandLineUser::ShowWarning(const std::string& Text) {
  FErrors << WarningPrefix << Text << '\n';
}

}  // namespace kvetro
