#pragma once

#include <string>
#include <vector>

#include "cli/CliSettings.h"

namespace kvetro {

enum class TCommandKind { Convert, Info, Help, Version, UsageError };

// What the arguments ask for. Text holds the help or version text to print,
// or for a usage error the one line that says what is wrong.
struct TCommandLine {
  TCommandKind Kind = TCommandKind::UsageError;
  TCliSettings Settings;
  std::string Text;
};

// Reads the arguments that follow the program's name.
TCommandLine ParseCommandLine(const std::vector<std::string>& Arguments);

// The texts of --help and --version.
std::string HelpText();
std::string VersionText();
// The line that follows every usage error.
inline constexpr const char* UsageHint = "Run 'kvetro-cli --help' to see the options.";

}  // namespace kvetro
