#pragma once

#include "reader/TapeReport.h"

namespace kvetro {

// Watches a recording read as it comes (reader/TapeReader.h's
// ReadTapeStream), so that a front end can keep each file as soon as it is
// read and show how far the reading has got.
class TTapeObserver {
 public:
  virtual ~TTapeObserver() = default;

  // The recording's format is known; nothing has been read yet.
  virtual void Started(const TTapeReport& Head) = 0;
  // A file read whole, the moment its last block is; Inverted tells the
  // polarity that read it. Files not read whole are told at the end, in the
  // report, since the other polarity may still read them.
  virtual void FileRead(const TFileReport& File, bool Inverted) = 0;
  // After each block of samples: where the reading stands and the loudest
  // sample of the block in dB of full scale. True ends the reading as the
  // end of the recording would.
  virtual bool Progress(double Seconds, double PeakDb) = 0;
};

}  // namespace kvetro
