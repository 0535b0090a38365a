#pragma once

#include <string>

#include "fuzz/ConversionCase.h"

namespace kvetro {

// Converts the case by a whole conversion run (TConversionRun::Execute),
// from its MZF file in the temporary folder (a tape of one or more files)
// into an output held in memory, and answers what went wrong; an empty
// answer means that:
//  - refused settings and a tape that cannot be sent (several files for the
//    fast loader, a file of 64 KiB, an empty body) are refused once and
//    nothing is committed; any other case is written;
//  - the output was announced with the size that PlanConversion counted, and
//    the committed WAV has exactly that size and a complete RIFF header;
//  - its samples hold only the two levels, as many of the first-half level
//    as the pulse counts give, and read back they number what was counted;
//  - with the fast loader, at any rate, they are the very samples of the
//    encoder's steps, and each encoder run ends after exactly its counted
//    pulses plus one step per counted phase;
//  - an output that fills up before the end fails with "Cannot write
//    fuzz.wav: No space left on device", holds exactly the bytes that fitted
//    and is not committed; one with room never fails.
//
// A case whose body would need more samples than a fast check can afford is
// sent at the shortest pulses instead (each count brought into 1..2), which
// keeps every byte and every path through the encoder in play.
std::string CheckConversion(const TConversionCase& Case);

}  // namespace kvetro
