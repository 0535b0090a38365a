#pragma once

#include <cstddef>
#include <cstdint>

#include "tape/TapeSignal.h"

namespace kvetro {

// The step encoder's phase numbers: the positions of the parts of the fast
// loader's table. A full run starts at LeadGap, a body run (no header) at
// BodyLead.
enum class TPhase : std::int32_t {
  LeadGap = 0,          // short pulses, as many as the loader gap
  HeaderMarkLong = 1,   // the tape mark before the header: 40 long,
  HeaderMarkShort = 2,  // then 40 short
  HeaderLead = 3,       // one long pulse
  HeaderBytes = 4,      // the 128 header bytes
  HeaderChecksum = 5,
  BodyLead = 6,        // one long pulse
  BodyLeadGap = 7,     // 1000 short pulses
  BodyGap = 8,         // short pulses, as many as the body gap
  BodyMarkLong = 9,    // the tape mark before the body: 20 long,
  BodyMarkShort = 10,  // then 20 short
  BodyMarkEnd = 11,    // one long pulse
  BodyBytes = 12,      // the L body bytes
  BodyChecksum = 13,
  EndPulse = 14,   // one long pulse
  LastPulse = 15,  // one long pulse; the run ends with it
};

static_assert(static_cast<std::size_t>(TPhase::LastPulse) + 1 == kFastLoaderSignal.size());
static_assert(static_cast<std::size_t>(TPhase::BodyLead) == FastBodyStart);

constexpr const TSignalPart& PartOf(TPhase Phase) {
  return kFastLoaderSignal[static_cast<std::size_t>(Phase)];
}

// The encoder takes one step without a pulse at the end of each counted
// part, so a run takes this many steps more than it writes pulses.
constexpr std::uint64_t StepsBeyondPulses(const TTapeLayout& Layout) {
  std::uint64_t Steps = 0;
  for (const TSignalPart& Part : Layout.Parts) {
    Steps += Part.Kind == TPartKind::Counted ? 1 : 0;
  }
  return Steps;
}

}  // namespace kvetro
