#include "tape/FastLoaderFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace kvetro {
namespace {

// The loader's code as listed for the target, sixteen bytes a row.
const std::vector<std::uint8_t> kListedCode = {
    0x3E, 0x08, 0xD3, 0xCE, 0xE5, 0x21, 0x00, 0x00, 0xD3, 0xE4, 0x7E, 0xD3, 0xE0, 0x77, 0x23,
    0x7C, 0xFE, 0x10, 0x20, 0xF4, 0x3A, 0x4B, 0xD4, 0x32, 0x4B, 0x0A, 0x3A, 0x4C, 0xD4, 0x32,
    0x12, 0x05, 0x21, 0x4D, 0xD4, 0x11, 0x02, 0x11, 0x01, 0x0D, 0x00, 0xED, 0xB0, 0xE1, 0x7C,
    0xFE, 0xD4, 0x28, 0x12, 0x2A, 0x04, 0x11, 0xD9, 0x21, 0x00, 0x12, 0x22, 0x04, 0x11, 0xCD,
    0x2A, 0x00, 0xD3, 0xE4, 0xC3, 0x9A, 0xE9, 0xCD, 0x2A, 0x00, 0xD3, 0xE4, 0xC3, 0x24, 0x01,
};

std::vector<std::uint8_t> RandomFile(std::size_t Length, std::uint32_t Seed) {
  std::mt19937 Random(Seed);
  std::vector<std::uint8_t> Bytes(Length);
  for (auto& Byte : Bytes) {
    Byte = static_cast<std::uint8_t>(Random());
  }
  return Bytes;
}

std::unique_ptr<TMzfImage> Loaded(const std::vector<std::uint8_t>& File) {
  auto Image = std::make_unique<TMzfImage>();
  EXPECT_EQ(Image->Assign(File.data(), File.size()), TMzfImage::LoadResult::Loaded);
  return Image;
}

void SetHeaderFields(std::vector<std::uint8_t>& File, std::uint16_t Size, std::uint16_t Load,
                     std::uint16_t Exec) {
  const std::uint16_t Fields[3] = {Size, Load, Exec};
  for (int I = 0; I < 3; ++I) {
    File[0x12 + 2 * I] = static_cast<std::uint8_t>(Fields[I] & 0xFF);
    File[0x13 + 2 * I] = static_cast<std::uint8_t>(Fields[I] >> 8);
  }
}

TEST(FastLoaderFile, CodeIsTheListedProgram) {
  ASSERT_EQ(FastLoaderCode.size(), kListedCode.size());
  EXPECT_TRUE(std::equal(FastLoaderCode.begin(), FastLoaderCode.end(), kListedCode.begin()));

  auto Image = Loaded(RandomFile(300, 1));
  BuildFastLoaderFile(*Image, 1);
  for (std::size_t I = 0; I < kListedCode.size(); ++I) {
    EXPECT_EQ(Image->ByteAt(128 + static_cast<std::int64_t>(I)), kListedCode[I]) << "offset " << I;
  }
}

TEST(FastLoaderFile, HeaderGetsSize90AndAddressesD400AndKeepsTheRest) {
  for (std::uint32_t Seed = 1; Seed <= 5; ++Seed) {
    const auto File = RandomFile(128 + 40 * Seed, Seed);
    auto Image = Loaded(File);
    EXPECT_EQ(BuildFastLoaderFile(*Image, 7), 90);

    EXPECT_EQ(Image->BodySize(), 90);
    const std::uint8_t Rewritten[6] = {0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4};
    for (int I = 0; I < 6; ++I) {
      EXPECT_EQ(Image->ByteAt(0x12 + I), Rewritten[I]);
    }
    for (int I = 0; I < 128; ++I) {
      if (I < 0x12 || I > 0x17) {
        EXPECT_EQ(Image->ByteAt(I), File[static_cast<std::size_t>(I)]) << "header byte " << I;
      }
    }
  }
}

TEST(FastLoaderFile, ParameterBlockCarriesConstantFlagAndTheUsersFields) {
  auto File = RandomFile(400, 9);
  SetHeaderFields(File, 0x1000, 0x1200, 0x1200);

  struct Case {
    std::int32_t Constant;
    std::uint8_t Stored;
  };
  for (const Case C : {Case{1, 0x01}, Case{255, 0xFF}, Case{0x1A5, 0xA5}}) {
    auto Image = Loaded(File);
    BuildFastLoaderFile(*Image, C.Constant);
    EXPECT_EQ(Image->ByteAt(128 + 75), C.Stored);
    EXPECT_EQ(Image->ByteAt(128 + 76), 0x01);
    const std::uint8_t Fields[6] = {0x00, 0x10, 0x00, 0x12, 0x00, 0x12};
    for (int I = 0; I < 6; ++I) {
      EXPECT_EQ(Image->ByteAt(128 + 77 + I), Fields[I]) << "parameter byte " << 77 + I;
    }
  }
}

TEST(FastLoaderFile, BlockHoldsTheUsersValuesNotTheRewrittenOnes) {
  auto File = RandomFile(300, 3);
  SetHeaderFields(File, 0x0123, 0x4567, 0x89AB);
  auto Image = Loaded(File);
  BuildFastLoaderFile(*Image, 1);
  EXPECT_EQ(Image->Word(128 + 77), 0x0123);
  EXPECT_EQ(Image->Word(128 + 79), 0x4567);
  EXPECT_EQ(Image->Word(128 + 81), 0x89AB);

  // A user header that already says 90 and 0xD400 passes them on unchanged.
  SetHeaderFields(File, 90, 0xD400, 0xD400);
  Image = Loaded(File);
  BuildFastLoaderFile(*Image, 1);
  EXPECT_EQ(Image->Word(128 + 77), 90);
  EXPECT_EQ(Image->Word(128 + 79), 0xD400);
  EXPECT_EQ(Image->Word(128 + 81), 0xD400);
}

TEST(FastLoaderFile, TailOfTheBlockAndEverythingElseKeepTheLoadedBytes) {
  // At least 218 bytes: body offsets 83 to 89 are the user's own, and no byte
  // outside the rewritten ranges changes.
  const auto Long = RandomFile(1000, 4);
  auto Image = Loaded(Long);
  const auto Before = Image->Bytes();
  BuildFastLoaderFile(*Image, 1);
  for (std::size_t I = 0; I < Before.size(); ++I) {
    const bool Header = I >= 0x12 && I <= 0x17;
    const bool Written = I >= 128 && I < 128 + 83;
    if (!Header && !Written) {
      ASSERT_EQ(Image->Bytes()[I], Before[I]) << "position " << I;
    }
  }
  for (int I = 83; I < 90; ++I) {
    EXPECT_EQ(Image->ByteAt(128 + I), Long[static_cast<std::size_t>(128 + I)]);
  }

  // A file that ends inside the block: what it does not reach is zero, as a
  // load leaves it.
  const auto Short = RandomFile(214, 5);
  Image = Loaded(Short);
  BuildFastLoaderFile(*Image, 1);
  for (int I = 83; I < 86; ++I) {
    EXPECT_EQ(Image->ByteAt(128 + I), Short[static_cast<std::size_t>(128 + I)]);
  }
  for (int I = 86; I < 90; ++I) {
    EXPECT_EQ(Image->ByteAt(128 + I), 0x00);
  }
}

TEST(FastLoaderFile, EmptyOrHeaderOnlyFileStillGivesACompleteLoader) {
  auto Image = Loaded({});
  BuildFastLoaderFile(*Image, 1);
  EXPECT_EQ(Image->BodySize(), 90);
  EXPECT_EQ(Image->Word(128 + 77), 0);
  EXPECT_EQ(Image->Word(128 + 79), 0);
  EXPECT_EQ(Image->Word(128 + 81), 0);
  for (int I = 0; I < 0x12; ++I) {
    EXPECT_EQ(Image->ByteAt(I), 0x00);
  }
  EXPECT_EQ(Image->ByteAt(128 + 74), 0x01);  // last code byte, JP 0x0124
}

}  // namespace
}  // namespace kvetro
