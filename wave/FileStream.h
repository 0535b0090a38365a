#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "io/PlatformFile.h"
#include "io/StreamErrors.h"
#include "wave/Stream.h"
#include "wave/UninitializedBytes.h"

namespace kvetro {

// Open modes of a file stream. The create mode makes the file, replacing an
// existing one by an empty one, for reading and writing; the others open an
// existing file.
inline constexpr std::uint16_t fmCreate = 0xFFFF;
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;

// A byte stream over a file of the platform. Read and Write answer 0 when
// the platform's call fails; Seek may go past the end of the file, and a
// write there fills the hole with zeros.
//
// Writes are collected in a buffer and reach the file in large pieces; the
// position and the size are kept here, so Seek and Size cost no call of the
// platform. The buffer is written out when a write does not fit it, before
// a read, and by Close.
//
// A write that lands in the buffer counts as written. When the platform
// later takes only part of the buffer, that is the first moment the loss can
// be known: the size falls back to what reached the file, the write that
// needed the room answers 0 (so WriteBuffer raises "Stream write error"),
// and Close raises EWriteError. A write as large as the buffer goes straight
// to the file and answers the count the platform took.
class TFileStream : public TStream {
 public:
  static constexpr std::size_t BufferCapacity = 1024 * 1024;

  // Raises EFCreateError (create mode) or EFOpenError with the file name.
  TFileStream(const std::string& FileName, std::uint16_t Mode);
  // Writes to a file that is already open, standing at what becomes this
  // stream's position 0: one made by the platform layer, or standard output.
  // CloseFile false leaves it open (Close only flushes it).
  TFileStream(std::FILE* OpenFile, bool CloseFile);
  // Reads a file that the platform layer opened for reading, such as
  // io/PlatformInputFile.h's OpenInputFile, from its start; owns it.
  explicit TFileStream(TFileHandle InputFile);
  // Closes the file if Close was not called; a failure is swallowed here.
  ~TFileStream() override;

  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  std::int32_t Seek(std::int32_t Offset, std::uint16_t Origin) override;

  // Writes out what is buffered and closes the file. Raises EWriteError when
  // a write of this stream was lost or the platform fails to close the file;
  // the file is released all the same. Afterwards Read and Write answer 0.
  void Close();

  // The platform's reason (an errno value) for the first write or close that
  // failed; 0 while none did or the platform gave none.
  int ErrorCode() const { return FErrorCode; }

 private:
  // Takes the size of the file as it is now; the platform stands at its end.
  void MeasureFile();
  // Answers false when the platform took fewer bytes than were buffered.
  bool Flush();
  // Moves the platform's position to Where, unless it stands there already:
  // a pipe or a terminal cannot seek, but a stream written strictly forward
  // never needs to.
  bool PlaceAt(std::int64_t Where);
  // Hands the bytes to the platform; with a file that has a buffer of its
  // own (standard output) that buffer is emptied too, so that a failure
  // shows here.
  std::size_t Put(const void* Buffer, std::size_t Count);
  void NoteFailure();
  // Writes at the position, bypassing the empty buffer.
  std::int32_t WriteThrough(const void* Buffer, std::int32_t Count);
  // What the file will hold once the buffer is written out.
  std::int64_t LogicalSize() const {
    return FBufferLength == 0 ? FFileSize : std::max(FFileSize, FBufferStart + FBufferLength);
  }

  TFileHandle FFile;
  bool FWritable = false;  // and open: cleared by Close
  bool FCloseFile = true;
  TUninitializedBytes FBuffer;     // BufferCapacity bytes, allocated once
  std::int64_t FBufferStart = 0;   // where the buffered bytes go in the file
  std::int64_t FBufferLength = 0;  // how many are buffered
  std::int64_t FPosition = 0;
  std::int64_t FFileSize = 0;  // what the file itself holds
  std::int64_t FFileAt = 0;    // where the platform stands; -1 when not known
  bool FWriteLost = false;
  int FErrorCode = 0;
};

}  // namespace kvetro
