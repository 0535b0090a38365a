#pragma once

#include <string>

#include "reader/TapeReport.h"

namespace kvetro {

// The report as the user reads it: what `kvetro-cli read` prints and the page
// shows, one line or a few per file and block, ending with a newline.
// Positions in the recording are given as m:ss.s, pulse times in µs.
std::string ReportText(const TTapeReport& Report);

// A position in the recording as m:ss.s ("0:07.1", "12:03.5").
std::string RecordingTime(double Seconds);
// The same to the thousandth, as audio editors show it ("0:45.123").
std::string PreciseRecordingTime(double Seconds);

}  // namespace kvetro
