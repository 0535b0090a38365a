#include "cli/ArgumentCheck.h"

#include <map>

#include "cli/NearestName.h"

namespace kvetro {

namespace {

// "-x", "--name", "--name=value"; not "-" (standard output), not "-1" (a
// number given as a value), not "--" (the end of the options).
bool LooksLikeOption(const std::string& Argument) {
  if (Argument.size() < 2 || Argument.front() != '-' || Argument == "--") {
    return false;
  }
  return Argument[1] < '0' || Argument[1] > '9';
}

bool TakesValue(const CLI::Option& Option) {
  return Option.get_items_expected_max() > 0;
}

const CLI::Option* KnownOption(const CLI::App& App, const std::string& Name) {
  for (const CLI::Option* Option : App.get_options()) {
    for (const std::string& Long : Option->get_lnames()) {
      if (Name == "--" + Long) {
        return Option;
      }
    }
    for (const std::string& Short : Option->get_snames()) {
      if (Name == "-" + Short) {
        return Option;
      }
    }
  }
  return nullptr;
}

std::string UnknownText(const CLI::App& App, const std::string& Name) {
  std::string Text = "Unknown option " + Name;
  // One letter after a dash is too short to guess from.
  if (Name.size() <= 2) {
    return Text;
  }
  std::vector<std::string> LongNames;
  for (const CLI::Option* Option : App.get_options()) {
    for (const std::string& Long : Option->get_lnames()) {
      LongNames.push_back("--" + Long);
    }
  }
  if (const auto Meant = NearestName(Name, LongNames)) {
    Text += "; did you mean " + *Meant + "?";
  }
  return Text;
}

// An option as written: its name, and a value written into the same
// argument ("--zero=3,1", or what follows a short flag's letter).
struct TWrittenOption {
  std::string Name;
  std::optional<std::string> Attached;
};

TWrittenOption Split(const CLI::App& App, const std::string& Argument) {
  if (Argument.rfind("--", 0) == 0) {
    const std::size_t Equals = Argument.find('=');
    if (Equals == std::string::npos) {
      return {Argument, std::nullopt};
    }
    return {Argument.substr(0, Equals), Argument.substr(Equals + 1)};
  }
  const std::string Short = Argument.substr(0, 2);
  if (Argument.size() > 2 && KnownOption(App, Short) != nullptr) {
    return {Short, Argument.substr(2)};
  }
  return {Argument.substr(0, Argument.find('=')), std::nullopt};
}

}  // namespace

std::string Quoted(const std::string& Text) {
  return "'" + Text + "'";
}

std::string WantsText(const CLI::Option& Option, const std::string& Got) {
  return Option.get_name() + " wants " + Option.get_description() + ", got " + Got;
}

std::optional<std::string> CheckArgumentForm(const CLI::App& App,
                                             const std::vector<std::string>& Arguments) {
  std::map<const CLI::Option*, int> Given;
  for (std::size_t At = 0; At < Arguments.size(); ++At) {
    const std::string& Argument = Arguments[At];
    if (Argument == "--") {
      break;
    }
    if (!LooksLikeOption(Argument)) {
      continue;
    }
    const TWrittenOption Written = Split(App, Argument);
    const CLI::Option* const Option = KnownOption(App, Written.Name);
    if (Option == nullptr) {
      return UnknownText(App, Written.Name);
    }
    if (!TakesValue(*Option)) {
      if (Written.Attached) {
        return Written.Name + " takes no value, got " + Quoted(*Written.Attached);
      }
      continue;
    }
    if (++Given[Option] > 1) {
      return Written.Name + " may be given only once";
    }
    if (Written.Attached && Written.Attached->empty()) {
      return WantsText(*Option, "nothing");
    }
    if (!Written.Attached) {
      if (At + 1 == Arguments.size() || LooksLikeOption(Arguments[At + 1]) ||
          Arguments[At + 1] == "--") {
        return WantsText(*Option, "nothing");
      }
      ++At;
    }
  }
  return std::nullopt;
}

}  // namespace kvetro
