#pragma once

#include <string>

#include "fuzz/ConversionCase.h"

namespace kvetro {

// Converts the case into samples held in memory, step by step as the
// conversion run does (the loader file at the standard timing, the image
// loaded again, the body at the user's timing), wraps them in a WAV, and
// answers what went wrong; an empty answer means that:
//  - both encoder runs end, each after exactly its counted pulses plus one
//    step per counted phase;
//  - the renderer writes the same samples as the encoder's steps;
//  - the samples number what PlanConversion counted before writing, hold only
//    the two levels, and as many of the first-half level as the pulse counts
//    give;
//  - the WAV has the planned file size and a complete RIFF header, and read
//    back it holds exactly the counted samples;
//  - an output that fills up before the end fails with "Stream write error"
//    and holds exactly the samples that fitted; one with room never fails.
//
// A case whose body would need more samples than a fast check can afford is
// sent at the shortest pulses instead (each count brought into 1..2), which
// keeps every byte and every path through the encoder in play.
std::string CheckConversion(const TConversionCase& Case);

}  // namespace kvetro
