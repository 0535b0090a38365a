#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

namespace kvetro {

// Reads the arguments against the options the parser knows, before the
// parser does, so that every mistake of form is told in one way whatever the
// option: an unknown option (with the nearest known one when the name is
// close), a value missing or given twice, a value given to a flag. The
// option's description says what value it takes. Answers the one line of a
// usage error, or nothing when the form is right; the values themselves are
// checked later.
std::optional<std::string> CheckArgumentForm(const CLI::App& App,
                                             const std::vector<std::string>& Arguments);

// "--constant wants a whole number from 1 to 255, got '0'"; Got is the
// value as given, in quotes, or "nothing".
std::string WantsText(const CLI::Option& Option, const std::string& Got);
std::string Quoted(const std::string& Text);

}  // namespace kvetro
