// When the files put together from the blocks are told to an observer.
#include <gtest/gtest.h>

#include <bit>
#include <numeric>

#include "reader/FileAssembler.h"
#include "tape/MzfImage.h"
#include "tests/support/MzfBuilder.h"

namespace kvetro::test {

namespace {

// A block read as Bytes say, its checksum after them; Lost: not read.
TBlockRead ReadBlock(TBlockKind Kind, bool Copy, const TBytes& Data, bool Lost = false) {
  TBlockRead Read;
  Read.Kind = Kind;
  Read.Copy = Copy;
  Read.Length = static_cast<std::int32_t>(Data.size());
  Read.Bytes = Data;
  const auto Ones = std::accumulate(Data.begin(), Data.end(), 0, [](int Sum, std::uint8_t Byte) {
    return Sum + std::popcount(Byte);
  });
  Read.Bytes.push_back(static_cast<std::uint8_t>(Ones >> 8));
  Read.Bytes.push_back(static_cast<std::uint8_t>(Ones & 0xFF));
  Read.Sure.assign(Read.Bytes.size(), Lost ? TBlockRead::TSure::NotRead : TBlockRead::TSure::Clear);
  Read.Margin.assign(Read.Bytes.size(), Lost ? 0 : 50);
  Read.ByteSeconds.assign(Read.Bytes.size(), 0.0);
  return Read;
}

}  // namespace

// A whole file is told the moment its body is read, before its copy; one
// whose body and copy were lost is told when the next file's header begins.
TEST(FileAssembler, TellsAWholeFileAtOnceAndAnotherWhenTheNextBegins) {
  const TBytes Lost = CountingMzf(50, 1);
  const TBytes Whole = CountingMzf(60, 2);
  const auto HeaderOf = [](const TBytes& Mzf) {
    return TBytes(Mzf.begin(), Mzf.begin() + TMzfImage::HeaderSize);
  };
  const auto BodyOf = [](const TBytes& Mzf) {
    return TBytes(Mzf.begin() + TMzfImage::HeaderSize, Mzf.end());
  };
  TFileAssembler Files;
  std::vector<bool> Told;  // whether each file told was whole
  Files.OnFile([&Told](const TFileReport& File) { Told.push_back(File.Whole); });
  const struct {
    TBlockRead Block;
    std::vector<bool> TellsAfter;
  } Steps[] = {
      {ReadBlock(TBlockKind::Header, false, HeaderOf(Lost)), {}},
      {ReadBlock(TBlockKind::Body, false, BodyOf(Lost), true), {}},
      {ReadBlock(TBlockKind::Body, true, BodyOf(Lost), true), {}},
      {ReadBlock(TBlockKind::Header, false, HeaderOf(Whole)), {false}},
      {ReadBlock(TBlockKind::Body, false, BodyOf(Whole)), {false, true}},
      {ReadBlock(TBlockKind::Body, true, BodyOf(Whole)), {false, true}},
  };
  for (const auto& Step : Steps) {
    Files.Block(Step.Block);
    EXPECT_EQ(Told, Step.TellsAfter) << Told.size();
  }
  Files.Finish();
  EXPECT_EQ(Told, (std::vector<bool>{false, true}));
  ASSERT_EQ(Files.Files().size(), 2u);
  EXPECT_EQ(Files.Files()[1].Mzf, Whole);
}

}  // namespace kvetro::test
