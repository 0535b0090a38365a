#pragma once

#include <string>
#include <vector>

#include "cli/CliSettings.h"
#include "cli/ReadSettings.h"

namespace kvetro {

enum class TCommandKind { Convert, Info, Read, Help, Version, UsageError };

// The line that follows every usage error: the help of the command that was
// meant.
inline constexpr const char* UsageHint = "Run 'kvetro-cli --help' to see the options.";
inline constexpr const char* ReadUsageHint = "Run 'kvetro-cli read --help' to see the options.";

// The subcommand that reads recordings back; as the first argument only.
inline constexpr const char* ReadCommandName = "read";

// What the arguments ask for. Text holds the help or version text to print,
// or for a usage error the one line that says what is wrong, and Hint the
// line that follows it. Settings is for converting and describing an MZF,
// Read for reading a recording.
struct TCommandLine {
  TCommandKind Kind = TCommandKind::UsageError;
  TCliSettings Settings;
  TReadSettings Read;
  std::string Text;
  const char* Hint = UsageHint;
};

// Reads the arguments that follow the program's name.
TCommandLine ParseCommandLine(const std::vector<std::string>& Arguments);

// The texts of --help, read --help and --version.
std::string HelpText();
std::string ReadHelpText();
std::string VersionText();

}  // namespace kvetro
