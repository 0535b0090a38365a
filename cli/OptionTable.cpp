#include "cli/OptionTable.h"

#include <algorithm>

#include "cli/ArgumentCheck.h"

namespace kvetro {

namespace {

// Where the help's second column (what an option does) and its defaults
// start.
constexpr std::size_t HelpColumn = 19;
constexpr std::size_t DefaultColumn = 70;

// What a value option wants, as its usage errors say it; the parser keeps it
// as the option's description.
std::string Wants(const TOption& Option) {
  switch (Option.Kind) {
    case TOptionKind::Pulse:
      return "LO,HI, two whole numbers " + RangeWords(Option.Range);
    case TOptionKind::Number:
      return "a whole number " + RangeWords(Option.Range);
    case TOptionKind::Flag:
    case TOptionKind::Text:
      break;
  }
  return Option.Wants;
}

// Reads Text as Option's kind; nothing when it is not what the option wants.
std::optional<TOptionValue> ValueOf(const TOption& Option, const std::string& Text) {
  TOptionValue Value{Text};
  if (Option.Kind == TOptionKind::Pulse) {
    const auto Halves = ParsePulseHalves(Text, Option.Range.Min, Option.Range.Max);
    if (!Halves) {
      return std::nullopt;
    }
    Value.Halves = *Halves;
  } else if (Option.Kind == TOptionKind::Number) {
    const auto Number = ParseDecimal(Text, Option.Range.Min, Option.Range.Max);
    if (!Number) {
      return std::nullopt;
    }
    Value.Number = *Number;
  }
  return Value;
}

}  // namespace

std::string RangeWords(TSettingRange Range) {
  return "from " + std::to_string(Range.Min) + " to " + std::to_string(Range.Max);
}

std::string RangeHint(TSettingRange Range) {
  // A range that reaches as far as a setting goes has no upper end worth
  // naming.
  if (Range.Max == LargestSetting) {
    return std::to_string(Range.Min) + " or more";
  }
  return std::to_string(Range.Min) + ".." + std::to_string(Range.Max);
}

TParsedOptions::TParsedOptions(CLI::App& App, const TOptionTable& Table) {
  // CLI11 keeps pointers into FBound: it is not to grow after this.
  FBound.resize(Table.size());
  for (std::size_t Index = 0; Index < Table.size(); ++Index) {
    const TOption& Option = Table[Index];
    TBound& Bound = FBound[Index];
    Bound.Option = &Option;
    if (Option.Kind == TOptionKind::Flag) {
      Bound.Parsed = App.add_flag(Option.Name, Bound.Flag);
    } else {
      Bound.Parsed =
          App.add_option(Option.Name, Bound.Text, Wants(Option))->type_name(Option.ValueName);
    }
  }
}

const TParsedOptions::TBound& TParsedOptions::Bound(const TOption& Option) const {
  return *std::find_if(FBound.begin(), FBound.end(),
                       [&Option](const TBound& Bound) { return Bound.Option == &Option; });
}

bool TParsedOptions::Given(const TOption& Option) const {
  return Bound(Option).Parsed->count() > 0;
}

void TParsedOptions::SetFlags(TCommandLine& Line) const {
  for (const TBound& Bound : FBound) {
    if (Bound.Option->Kind == TOptionKind::Flag && Bound.Flag) {
      Bound.Option->Set(Line, {});
    }
  }
}

void TParsedOptions::SetValues(TCommandLine& Line) const {
  for (const TBound& Bound : FBound) {
    if (Bound.Option->Kind == TOptionKind::Flag || Bound.Parsed->count() == 0) {
      continue;
    }
    const std::optional<TOptionValue> Value = ValueOf(*Bound.Option, Bound.Text);
    if (!Value) {
      throw TUsageError(WantsText(*Bound.Parsed, Quoted(Bound.Text)));
    }
    Bound.Option->Set(Line, *Value);
  }
}

std::string HelpLine(const std::string& Names, const std::string& Text) {
  std::string Line = "  " + Names;
  Line.resize(std::max(Line.size() + 1, HelpColumn), ' ');
  return Line + Text + "\n";
}

std::string OptionsHelp(const TOptionTable& Table) {
  std::string Help;
  for (const TOption& Option : Table) {
    std::string Names = Option.Name;
    if (Option.Kind != TOptionKind::Flag) {
      Names += std::string(" ") + Option.ValueName;
    }
    for (std::size_t Index = 0; Index < Option.Help.size(); ++Index) {
      std::string Line = HelpLine(Index == 0 ? Names : "", Option.Help[Index]);
      if (Index == Option.DefaultLine && !Option.Default.empty()) {
        Line.pop_back();
        Line.resize(std::max(Line.size() + 1, DefaultColumn), ' ');
        Line += "[" + Option.Default + "]\n";
      }
      Help += Line;
    }
  }
  return Help;
}

}  // namespace kvetro
