#pragma once

#include <cstdint>

#include "wave/CustomWaveStream2.h"
#include "wave/Stream.h"

namespace kvetro {

// A RIFF/WAVE image inside an underlying stream, starting where that stream
// stood when the wave stream was made. The underlying stream is not owned:
// its giver frees it after the wave stream.
//
// Written layout (S the start offset, F the format size, N the sample bytes):
//   S+0 "RIFF", S+4 size of all that follows, S+8 "WAVE",
//   S+12 "fmt ", S+16 F, S+20 the format record,
//   S+20+F "data", S+24+F N, S+28+F the samples; no pad byte after an odd N.
// The RIFF header and N are filled in when the stream is closed, unless the
// writer announced N before opening: then the header goes out complete at
// once and the wave is written strictly forward, so that a pipe or a device
// can take it.
class TWaveStream : public TCustomWaveStream2 {
 public:
  explicit TWaveStream(TStream& AStream);
  // Closes the stream if Close was not called; a failure is swallowed here,
  // so call Close to learn of it.
  ~TWaveStream() override;

  std::int32_t GetDataSize() override;
  std::int32_t ReadWaveData(void* Buffer, std::int32_t Count) override;
  std::int32_t WriteWaveData(const void* Buffer, std::int32_t Count) final;
  // A write where the underlying stream already stands goes straight to it:
  // the general way would only clamp a position that is inside the data and
  // move the underlying stream to where it is. That is every write of a wave
  // written forward (the renderer's blocks, the encoder's pulses), as long
  // as nothing but this stream moves the underlying one: it owns it, or the
  // size was announced.
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;

  // The number of sample bytes that will be written, told before Open(true).
  // Close then checks that exactly these arrived at the end of the stream
  // and raises EWaveStreamError if not: a header must not promise other
  // sizes than the wave has.
  void AnnounceDataSize(std::int32_t DataSize) { FAnnouncedSize = DataSize; }

  // After Open(false): the size the data chunk's header claims, which is
  // more than GetDataSize when the file ends inside the chunk (the samples
  // that are present stay readable); -1 when no data chunk was found.
  std::int64_t ClaimedDataSize() const { return FClaimedDataSize; }

  // True lays down the header for writing; false reads an existing wave.
  // Accepted once in the life of the object.
  void Open(bool WriteMode);
  // Completes the header of a stream opened for writing and leaves the
  // underlying stream at its end. Raises EWriteError when the underlying
  // stream refuses the bytes. Only the first call does anything.
  virtual void Close();

 protected:
  // For a derived class that makes its underlying stream in its own
  // constructor and attaches it right after; Owned: nothing else moves it.
  TWaveStream() = default;
  void Attach(TStream& AStream, bool Owned = false);
  void CloseQuietly() noexcept;
  // The data chunk header is in place: FDataOffset is set. Until then there
  // is nowhere to put samples.
  bool DataPlaced() const { return FDataOffset != 0; }

  std::int32_t FDataOffset = 0;
  std::int32_t FDataHeaderOffset = 0;
  bool FOpened = false;
  std::int32_t FStartOffset = 0;
  bool FReadMode = false;
  std::int32_t FDataSize = 0;
  TStream* FStream = nullptr;

 private:
  void OpenForWriting();
  void OpenForReading();
  void CompleteHeader();
  void CheckAnnouncedSize();
  // After a transfer at Here that moved Moved bytes: where the underlying
  // stream now stands, if this stream is the only one that moves it.
  void Follow(std::int32_t Here, std::int32_t Moved);
  bool FClosed = false;
  bool FOwnsStream = false;
  std::int32_t FAnnouncedSize = -1;  // -1: the sizes are filled in by Close
  std::int64_t FClaimedDataSize = -1;
  // The data position at which the underlying stream stands; -1 when that
  // is not known.
  std::int32_t FUnderlyingAt = -1;
};

}  // namespace kvetro
