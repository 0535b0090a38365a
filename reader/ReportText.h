#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reader/TapeReport.h"

namespace kvetro {

// The report as the user reads it: what `kvetro-cli read` prints and the page
// shows, one line or a few per file and block, ending with a newline.
// Positions in the recording are given as m:ss.s, pulse times in µs.
std::string ReportText(const TTapeReport& Report);

// The blocks of a file as the report names them: "header" and "body", for
// Kvetro's fast loader "loader header", "loader body" and "body", for a body
// without its header "body" alone.
struct TNamedBlock {
  const char* Label;
  const std::optional<TBlockReport>& Block;
};
std::vector<TNamedBlock> NamedBlocks(const TFileReport& File);

// Its parts, for a recording reported while it is read: one file, numbered
// from 1, read with the polarity Inverted tells; and what follows the files
// (the notes and the count).
std::string FileReportText(int Number, const TFileReport& File, bool Inverted);
std::string ReportEndText(const TTapeReport& Report);

// A stream's report comes in three parts: the format as soon as it is known
// (Head as reader/TapeObserver.h hands it over), the files as each is read
// whole, and at the end the length and polarity, the files after the first
// Told that were not read whole, and what follows the files.
std::string StreamStartText(const TTapeReport& Head);
std::string StreamEndText(const TTapeReport& Report, int Told);

// A position in the recording as m:ss.s ("0:07.1", "12:03.5").
std::string RecordingTime(double Seconds);
// The same to the thousandth, as audio editors show it ("0:45.123").
std::string PreciseRecordingTime(double Seconds);

}  // namespace kvetro
