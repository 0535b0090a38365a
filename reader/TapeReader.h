#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reader/ReadOptions.h"
#include "reader/TapeObserver.h"
#include "reader/TapeReport.h"
#include "wave/Stream.h"

namespace kvetro {

// Reads a recording of tapes (a WAV) back into the MZF files on it, and
// says for every block how much room the machine has to read it right.
//
// The stages, each in a file pair of its own: the samples of one channel
// (SampleSource), then those of reader/ReadingStages.h: edges from a Schmitt
// trigger that follows the peaks (EdgeDetector), pulses timed as the machine
// times them (PulseMaker), blocks read with a read point learned from each
// tape mark (BlockReader) and files (FileAssembler). Nothing is printed: all
// that was found is in the report, which ReportText turns into text.
// reader/LiveReader.h reads samples pushed in as they are recorded.
//
// The recording is read as a stream, a block of samples at a time, twice
// at most (once to find the strongest channel of several), so the memory it
// takes does not grow with its length; the reading goes back only for the
// few samples under a block's damage, which the report holds.

// Stream holds the WAV from its current position on; it is not owned. Name
// names it in messages. Raises EWaveFormatError ("Cannot read NAME: why")
// for an empty file, one that is no WAV, is cut short or whose data chunk
// runs past its end, one without a format or a data chunk, a format that is
// not read (see wave/WaveFormat.h), and a channel the recording lacks.
TTapeReport ReadTape(TStream& Stream, const std::string& Name, const TReadOptions& Options = {});
// The same for a WAV that comes as a stream (a pipe, a device), read
// strictly forward, once: sizes of 0, 0x7FFFFFFF or 0xFFFFFFFF mean "until
// the end of the stream" (wave/StreamedWaveHeader.h). The channel is
// Options.Channel or the first, as there is no going back to compare them.
// Observer hears of each file read whole as it completes and may end the
// reading early; the report returned holds every file, those told first.
TTapeReport ReadTapeStream(TStream& Stream, const std::string& Name, const TReadOptions& Options,
                           TTapeObserver& Observer);
// The same for a WAV held in memory (the page has no file).
TTapeReport ReadTape(std::vector<std::uint8_t> Bytes, const std::string& Name,
                     const TReadOptions& Options = {});

}  // namespace kvetro
