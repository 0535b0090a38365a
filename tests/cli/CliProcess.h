#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestFiles.h"

namespace kvetro::test {

// Where the program's standard output goes.
enum class TStdout { File, Terminal, ClosedPipe };

// What one run of the kvetro-cli binary left.
struct TCliResult {
  int ExitCode = -1;
  std::vector<std::uint8_t> Out;  // standard output, byte for byte
  std::string Errors;             // standard error
  std::string OutText() const { return std::string(Out.begin(), Out.end()); }
};

// Runs the built kvetro-cli with the arguments, standard input empty and
// TMPDIR set to the scratch folder's Temp(), so that a test sees every
// temporary file the program leaves.
TCliResult RunCli(const std::vector<std::string>& Arguments, const TScratch& Scratch,
                  TStdout Stdout = TStdout::File);

}  // namespace kvetro::test
