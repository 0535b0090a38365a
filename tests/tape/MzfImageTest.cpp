#include "tape/MzfImage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "io/InOutError.h"
#include "tape/MzfImage.h"
#include "tape/MzfName.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ScratchFolder.h"

namespace kvetro::test {
namespace {

bool AllZeroFrom(const TMzfImage& Image, std::size_t Position) {
  return std::all_of(Image.Bytes().begin() + static_cast<long>(Position), Image.Bytes().end(),
                     [](std::uint8_t Byte) { return Byte == 0; });
}

bool Holds(const TMzfImage& Image, const TBytes& File) {
  return std::equal(File.begin(), File.end(), Image.Bytes().begin()) &&
         AllZeroFrom(Image, File.size());
}

class MzfImageLoad : public ::testing::Test {
 protected:
  TScratchFolder Folder{"mzf"};
  TMzfImage Image;
};

TEST_F(MzfImageLoad, LargestFileLoadsWholeAndLeavesTheLastByteZero) {
  const TBytes Bytes = CountingBody(65535, 1);
  ASSERT_EQ(Image.LoadFromFile(Folder.Write("big.mzf", Bytes)), TMzfImage::LoadResult::Loaded);
  EXPECT_TRUE(Holds(Image, Bytes));
  EXPECT_EQ(Image.FileLength(), 65535);
}

TEST_F(MzfImageLoad, FileOf64KiBIsRefusedAndTheBufferKept) {
  Image.LoadFromFile(Folder.Write("small.mzf", CountingBody(300, 3)));
  const auto Before = Image.Bytes();
  EXPECT_EQ(Image.LoadFromFile(Folder.Write("huge.mzf", CountingBody(65536, 9))),
            TMzfImage::LoadResult::TooLarge);
  EXPECT_EQ(Image.Bytes(), Before);
  EXPECT_EQ(Image.FileLength(), 300);
}

TEST_F(MzfImageLoad, ShorterFileLeavesNothingOfTheEarlierOne) {
  Image.LoadFromFile(Folder.Write("long.mzf", CountingBody(5000, 5)));
  const TBytes Short = CountingBody(60, 11);  // shorter than the header, too
  ASSERT_EQ(Image.LoadFromFile(Folder.Write("short.mzf", Short)), TMzfImage::LoadResult::Loaded);
  EXPECT_TRUE(Holds(Image, Short));
  ASSERT_EQ(Image.LoadFromFile(Folder.Write("empty.mzf", {})), TMzfImage::LoadResult::Loaded);
  EXPECT_TRUE(AllZeroFrom(Image, 0));
  EXPECT_EQ(Image.FileLength(), 0);
}

TEST_F(MzfImageLoad, HeaderFieldsAreLittleEndian) {
  Image.LoadFromFile(Folder.Write("header.mzf", MzfFile(0x01, "", 0x1234, 0xD400, 0x5678, {})));
  EXPECT_EQ(Image.BodySize(), 0x1234);
  EXPECT_EQ(Image.Word(TMzfImage::LoadAddressOffset), 0xD400);
  EXPECT_EQ(Image.Word(TMzfImage::ExecAddressOffset), 0x5678);
  EXPECT_EQ(Image.ByteAt(-1), 0);
  EXPECT_EQ(Image.ByteAt(65536), 0);
}

TEST_F(MzfImageLoad, FailuresReachTheCallerWithTheirTexts) {
  Image.LoadFromFile(Folder.Write("kept.mzf", CountingBody(200, 2)));
  const auto Before = Image.Bytes();
  const std::string Pipe = Folder.PathOf("pipe.mzf");
  ASSERT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
  const std::string Root = Folder.Root().string();
  const struct {
    std::string Name, Reason;
  } Cases[] = {
      {Folder.PathOf("missing.mzf"), "No such file or directory"},
      {Root, "Is a directory"},
      {Folder.PathOf("kept.mzf/inside"), "Not a directory"},
      // A pipe without a writer: refused at once, not waited on.
      {Pipe, "Not a regular file"},
  };
  for (const auto& Case : Cases) {
    try {
      Image.LoadFromFile(Case.Name);
      ADD_FAILURE() << Case.Name << " loaded";
    } catch (const EInOutError& Error) {
      EXPECT_EQ(Error.Message(), "Cannot read " + Case.Name + ": " + Case.Reason);
    }
  }
  EXPECT_EQ(Image.Bytes(), Before);
  EXPECT_EQ(Image.FileLength(), 200);
}

// The header's name as --info, the report and the file names take it: up to
// the 0x0D, at most 17 codes, the machine's letters as ASCII and the rest as
// '?'.
TEST(MzfName, EndsAtTheMarkOrTheSeventeenthCodeAndShowsTheMachinesLetters) {
  const struct {
    TBytes Header;
    TBytes Codes;
    std::string Text;
  } Cases[] = {
      {{0x01, 'G', 'O', 0x0D, 'X'}, {'G', 'O'}, "GO"},
      {{0x01, 0xA1, 0x9A, 'a', 0x5E, 0x0D}, {0xA1, 0x9A, 'a', 0x5E}, "ab??"},
      {TBytes(20, 'Z'), TBytes(17, 'Z'), std::string(17, 'Z')},
      {{0x05, 'S', 'H'}, {'S', 'H'}, "SH"},
      {{}, {}, ""},
  };
  for (const auto& Case : Cases) {
    const std::vector<std::uint8_t> Codes = HeaderName(Case.Header);
    EXPECT_EQ(Codes, Case.Codes);
    EXPECT_EQ(NameText(Codes), Case.Text);
  }
}

}  // namespace
}  // namespace kvetro::test
