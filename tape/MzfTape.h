#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tape/MzfImage.h"

namespace kvetro {

// One input file of a tape: its bytes, and its name as messages say it.
struct TTapeInput {
  std::string Name;
  std::vector<std::uint8_t> Bytes;
};

// The MZF files of one tape, in the order they go out, taken from one or
// more input files in the order given. An MZF file (.mzf, also called .m12)
// and an MZT file are alike: one or more MZF images back to back, each a
// 128-byte header followed by as many body bytes as its header's size says,
// the next image right behind. The first image of an input is taken whatever
// it holds, as a lone MZF file always is: what it lacks of its header or its
// body reads as zeros. A part shorter than a header behind an image is no
// image: it stays with the image before it as its left-over bytes, which are
// reported and never sent.
class TMzfTape {
 public:
  // An input file this large or larger holds far more than a cassette side.
  static constexpr std::size_t MaxInputSize = 16 * 1024 * 1024;

  // TooLarge: the input is MaxInputSize bytes or more. WaveFile: it is a
  // RIFF/WAVE file, a recording rather than a tape image. The tape then stays
  // as it was.
  enum class TAddResult { Added, TooLarge, WaveFile };

  TAddResult Add(TTapeInput Input);
  // Reads the named file; raises EInOutError, naming the file and the
  // reason, when it cannot be read or is no regular file.
  TAddResult AddFile(const std::string& FileName);

  // The number of MZF images, the files the tape holds.
  std::size_t Count() const { return FImages.size(); }
  // Image Index as its input holds it, left-over bytes included.
  std::span<const std::uint8_t> Bytes(std::size_t Index) const;
  // The bytes behind image Index that are too few for a header.
  std::size_t LeftOver(std::size_t Index) const { return FImages.at(Index).LeftOver; }
  const std::string& InputName(std::size_t Index) const;
  // Loads image Index into Image, as a lone MZF file of its bytes would load:
  // TooLarge for an image of 65536 bytes or more.
  TMzfImage::LoadResult Fill(std::size_t Index, TMzfImage& Image) const;

  // "File 2 of 3 (tape.mzt)": image Index as messages and listings name it.
  std::string Label(std::size_t Index) const;
  // Text said of image Index: as it is when the tape holds one file, else
  // after the image's label.
  std::string About(std::size_t Index, const std::string& Text) const;

 private:
  struct TImage {
    std::size_t Input = 0;
    std::size_t Start = 0;
    std::size_t Length = 0;  // left-over bytes included
    std::size_t LeftOver = 0;
  };

  std::vector<TTapeInput> FInputs;
  std::vector<TImage> FImages;
};

}  // namespace kvetro
