#include "wave/WaveFileStream.h"

namespace kvetro {

TWaveFileStream::TWaveFileStream(const std::string& FileName, std::uint16_t Mode)
    : FFileStream(std::make_unique<TFileStream>(FileName, Mode)) {
  Attach(*FFileStream, true);
}

// The file stream member dies before the inherited destructor runs, so the
// header is completed and the file closed here, while both still exist.
TWaveFileStream::~TWaveFileStream() {
  CloseQuietly();
}

void TWaveFileStream::Close() {
  try {
    TWaveStream::Close();
  } catch (...) {
    try {
      FFileStream->Close();
    } catch (...) {
      // The header's failure is the one to report.
    }
    throw;
  }
  FFileStream->Close();
}

}  // namespace kvetro
