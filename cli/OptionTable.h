#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/NumberArgument.h"
#include "tape/ConversionSettings.h"

namespace kvetro {

struct TCommandLine;

// What an option takes after its name.
enum class TOptionKind {
  Flag,    // nothing
  Pulse,   // LO,HI: two whole numbers in Range
  Number,  // a whole number in Range
  Text,    // any text
};

// A value as given, read as its option's kind.
struct TOptionValue {
  std::string Text{};
  std::int32_t Number = 0;
  TPulseHalves Halves{};
};

// One option of a command: everything about it is said here, once. The
// parser is set up from it, the usage checks and the "did you mean" guess
// know it by its name, and the help text is made from it.
struct TOption {
  const char* Name;  // "--zero"
  TOptionKind Kind = TOptionKind::Flag;
  const char* ValueName = "";  // "LO,HI", "N": how the help writes the value
  TSettingRange Range{};       // Pulse and Number
  // Text: what the value is, as its usage errors say ("a folder"); the other
  // kinds say it from Range.
  const char* Wants = "";
  // The lines of its help, and the default shown in brackets in the help's
  // default column on the line DefaultLine (empty: none shown).
  std::vector<std::string> Help{};
  std::string Default{};
  std::size_t DefaultLine = 0;
  // It belongs to the fast loader, and the machine's own layout refuses it.
  bool LoaderOnly = false;
  // What it sets: a flag when given, a value option with its value, read and
  // checked.
  std::function<void(TCommandLine&, const TOptionValue&)> Set{};
};

using TOptionTable = std::vector<TOption>;

// A usage error: the one line that says what is wrong.
class TUsageError {
 public:
  explicit TUsageError(std::string Text) : FText(std::move(Text)) {}
  const std::string& Text() const { return FText; }

 private:
  std::string FText;
};

// The options as CLI11 reads them: each bound to its text or its flag, in
// the order of the table.
class TParsedOptions {
 public:
  TParsedOptions(CLI::App& App, const TOptionTable& Table);

  bool Given(const TOption& Option) const;
  // Sets every flag given, then every value given, in the table's order; a
  // value that is not what its option wants is a TUsageError.
  void SetFlags(TCommandLine& Line) const;
  void SetValues(TCommandLine& Line) const;

 private:
  struct TBound {
    const TOption* Option = nullptr;
    const CLI::Option* Parsed = nullptr;
    std::string Text;
    bool Flag = false;
  };
  const TBound& Bound(const TOption& Option) const;

  std::vector<TBound> FBound;
};

// "from 1 to 128"; "1..128" or "0 or more" as the help says it.
std::string RangeWords(TSettingRange Range);
std::string RangeHint(TSettingRange Range);

// The help's lines of the options of Table, names and values in the first
// column, defaults in brackets in the last.
std::string OptionsHelp(const TOptionTable& Table);
// A line of help in the option's column, for options that CLI11 provides.
std::string HelpLine(const std::string& Names, const std::string& Text);

}  // namespace kvetro
