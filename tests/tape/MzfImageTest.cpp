#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/InOutError.h"
#include "tape/MzfImage.h"

namespace kvetro::test {
namespace {

namespace fs = std::filesystem;

class MzfImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("kvetro-mzf-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string WriteFile(const std::string& Name, const std::vector<std::uint8_t>& Bytes) {
    const fs::path Path = Dir / Name;
    std::ofstream Out(Path, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(Bytes.data()),
              static_cast<std::streamsize>(Bytes.size()));
    return Path.string();
  }

  static std::vector<std::uint8_t> Pattern(std::size_t Length, std::uint8_t Seed) {
    std::vector<std::uint8_t> Bytes(Length);
    for (std::size_t I = 0; I < Length; ++I) {
      Bytes[I] = static_cast<std::uint8_t>(I * 7 + Seed);
    }
    return Bytes;
  }

  fs::path Dir;
  TMzfImage Image;
};

TEST_F(MzfImageLoad, LargestFileLoadsWholeAndLeavesTheLastByteZero) {
  const auto Bytes = Pattern(65535, 1);
  ASSERT_EQ(Image.LoadFromFile(WriteFile("big.mzf", Bytes)), TMzfImage::LoadResult::Loaded);
  EXPECT_TRUE(std::equal(Bytes.begin(), Bytes.end(), Image.Bytes().begin()));
  EXPECT_EQ(Image.Bytes()[65535], 0);
  EXPECT_EQ(Image.FileLength(), 65535);
}

TEST_F(MzfImageLoad, FileOf64KiBIsRefusedAndTheBufferKept) {
  const auto First = Pattern(300, 3);
  Image.LoadFromFile(WriteFile("small.mzf", First));
  const auto Before = Image.Bytes();
  EXPECT_EQ(Image.LoadFromFile(WriteFile("huge.mzf", Pattern(65536, 9))),
            TMzfImage::LoadResult::TooLarge);
  EXPECT_EQ(Image.Bytes(), Before);
  EXPECT_EQ(Image.FileLength(), 300);
}

TEST_F(MzfImageLoad, ShorterFileLeavesNothingOfTheEarlierOne) {
  Image.LoadFromFile(WriteFile("long.mzf", Pattern(5000, 5)));
  const auto Short = Pattern(60, 11);  // shorter than the header, too
  ASSERT_EQ(Image.LoadFromFile(WriteFile("short.mzf", Short)), TMzfImage::LoadResult::Loaded);
  EXPECT_TRUE(std::equal(Short.begin(), Short.end(), Image.Bytes().begin()));
  EXPECT_TRUE(std::all_of(Image.Bytes().begin() + 60, Image.Bytes().end(),
                          [](std::uint8_t B) { return B == 0; }));

  ASSERT_EQ(Image.LoadFromFile(WriteFile("empty.mzf", {})), TMzfImage::LoadResult::Loaded);
  EXPECT_TRUE(std::all_of(Image.Bytes().begin(), Image.Bytes().end(),
                          [](std::uint8_t B) { return B == 0; }));
  EXPECT_EQ(Image.FileLength(), 0);
}

TEST_F(MzfImageLoad, HeaderFieldsAreLittleEndian) {
  std::vector<std::uint8_t> Header(128, 0);
  Header[0x12] = 0x34;
  Header[0x13] = 0x12;
  Header[0x14] = 0x00;
  Header[0x15] = 0xD4;
  Image.LoadFromFile(WriteFile("header.mzf", Header));
  EXPECT_EQ(Image.BodySize(), 0x1234);
  EXPECT_EQ(Image.Word(TMzfImage::LoadAddressOffset), 0xD400);
  EXPECT_EQ(Image.ByteAt(-1), 0);
  EXPECT_EQ(Image.ByteAt(65536), 0);
}

TEST_F(MzfImageLoad, FailuresReachTheCallerWithTheirTexts) {
  Image.LoadFromFile(WriteFile("kept.mzf", Pattern(200, 2)));
  const auto Before = Image.Bytes();
  auto TextOfLoad = [this](const std::string& Name) {
    try {
      Image.LoadFromFile(Name);
    } catch (const EInOutError& Error) {
      return Error.Message();
    }
    return std::string("loaded");
  };
  const std::string Missing = (Dir / "missing.mzf").string();
  const std::string Inside = (Dir / "kept.mzf" / "inside").string();
  const std::string Pipe = (Dir / "pipe.mzf").string();
  ASSERT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
  EXPECT_EQ(TextOfLoad(Missing), "Cannot read " + Missing + ": No such file or directory");
  EXPECT_EQ(TextOfLoad(Dir.string()), "Cannot read " + Dir.string() + ": Is a directory");
  EXPECT_EQ(TextOfLoad(Inside), "Cannot read " + Inside + ": Not a directory");
  // A pipe without a writer: refused at once, not waited on.
  EXPECT_EQ(TextOfLoad(Pipe), "Cannot read " + Pipe + ": Not a regular file");
  EXPECT_EQ(Image.Bytes(), Before);
  EXPECT_EQ(Image.FileLength(), 200);
}

}  // namespace
}  // namespace kvetro::test
