// The machine's own saves as worn tapes and real decks play them (the tape
// model in tests/support): each block the oracle says a fixed read point
// reads is read, with a window within a sample of the oracle's; damage costs
// only its bytes, block and copy repair each other, and no file is ever
// written as good with a wrong byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/TapeModel.h"

namespace kvetro::test {

namespace {

constexpr double Rate = TPulseLengths::ReferenceRate;
constexpr double SampleUs = 1e6 / Rate;
enum TBlockNumber { Header, HeaderCopy, Body, BodyCopy };

enum class TOutcome { Read, Repaired, Refused };

struct TCase {
  std::string What;
  TTapeConditions Conditions;
  TOutcome Outcome = TOutcome::Read;
  TBlockSource HeaderSource = TBlockSource::First;
  TBlockSource BodySource = TBlockSource::First;
};

// A bit of the header block whose value is Bit, from its byte From on:
// {byte, pulse of the byte}.
std::pair<int, int> HeaderBitOf(const TBytes& File, int From, bool Bit) {
  for (int Byte = From;; ++Byte) {
    for (int Pulse = 1; Pulse <= 8; ++Pulse) {
      if (((File[static_cast<std::size_t>(Byte)] >> (8 - Pulse)) & 1) == (Bit ? 1 : 0)) {
        return {Byte, Pulse};
      }
    }
  }
}

// The header block's first recording with a 0 read as 1 and a 1 read as 0:
// the count of one bits, all the checksum knows, stays right.
std::vector<TPulseEdit> CompensatingErrors(const TBytes& File, double ZeroHigh, double OneHigh) {
  const auto [ZeroByte, ZeroPulse] = HeaderBitOf(File, 20, false);
  const auto [OneByte, OnePulse] = HeaderBitOf(File, 40, true);
  return {{Header, ZeroByte, ZeroPulse, true, ZeroHigh},
          {Header, OneByte, OnePulse, false, OneHigh}};
}

std::vector<TCase> Cases(const TBytes& File, const TTapeRecording& Clean) {
  std::vector<TCase> Table;
  TTapeConditions Hard;
  Table.push_back({"hard edges", Hard});
  for (std::uint32_t Seed = 1; Seed <= 4; ++Seed) {
    TTapeConditions Worn;
    Worn.Seed = Seed;
    Worn.EdgeSamples = 2;
    Worn.Hiss = 0.03;
    Table.push_back({"soft edges, hiss 3 %, seed " + std::to_string(Seed), Worn});
    if (Seed <= 2) {
      Worn.DriftPercent = 3;
      Worn.FlutterPercent = 0.5;
      Table.push_back({"and drift 3 %, seed " + std::to_string(Seed), Worn});
    }
  }
  TTapeConditions Dropout;
  Dropout.Hiss = 0.01;
  Dropout.Dropouts = {{Body, 1000, 13, -30}};
  Table.push_back({"a dropout in the body", Dropout, TOutcome::Repaired, TBlockSource::First,
                   TBlockSource::Copy});
  Dropout.Dropouts.push_back({BodyCopy, 2500, 20, -40});
  Table.push_back({"dropouts in body and copy", Dropout, TOutcome::Repaired, TBlockSource::First,
                   TBlockSource::Merged});
  Dropout.Dropouts = {{Body, 1500, 13, -30}, {BodyCopy, 1500, 13, -30}};
  Table.push_back({"dropouts at the same byte", Dropout, TOutcome::Refused, TBlockSource::First,
                   TBlockSource::Neither});
  TTapeConditions Late;
  Late.StartSeconds = static_cast<double>(Clean.Blocks[Header].ByteSamples[64]) / Rate;
  Table.push_back({"starts inside the header", Late, TOutcome::Repaired, TBlockSource::Copy});
  TTapeConditions Compensating;
  Compensating.Edits = CompensatingErrors(File, 7.6, 7.25);
  Table.push_back({"compensating errors near the read point", Compensating, TOutcome::Repaired,
                   TBlockSource::Copy});
  Compensating.Edits = CompensatingErrors(File, 0, 0);
  Table.push_back({"compensating errors written cleanly", Compensating, TOutcome::Refused,
                   TBlockSource::Neither});
  return Table;
}

std::string SourceName(const std::optional<TBlockReport>& Block) {
  if (!Block) {
    return "missing";
  }
  switch (Block->Source) {
    case TBlockSource::First:
      return "first";
    case TBlockSource::Copy:
      return Block->ConflictSettled ? "copy, by margin" : "copy";
    case TBlockSource::Merged:
      return "merged";
    case TBlockSource::Neither:
      break;
  }
  const auto& Ranges = Block->BadBytes.empty() ? Block->Conflicts : Block->BadBytes;
  if (Ranges.empty()) {
    return "checksum";
  }
  char Text[64];
  std::snprintf(Text, sizeof Text, "%s %d-%d at %.3f s",
                Block->BadBytes.empty() ? "conflict" : "bad", Ranges[0].First, Ranges[0].Last,
                Ranges[0].FromSeconds);
  return Text;
}

// The reported window against the oracle's, of the block whose first
// recording was used.
void ExpectWindowOfOracle(const std::optional<TBlockReport>& Block, const TBlockTruth& Truth) {
  if (Block && Block->Source == TBlockSource::First && Truth.Readable()) {
    ASSERT_TRUE(Block->Window);
    EXPECT_NEAR(Block->Window->FromUs, Truth.WindowFromUs, SampleUs);
    EXPECT_NEAR(Block->Window->ToUs, Truth.WindowToUs, SampleUs);
  }
}

TEST(WornTape, ReadsWhatTheOracleReadsAndNeverPassesAWrongFile) {
  const TBytes File = RandomMzf(3000, 3000, 25);
  const std::vector<TTapePart> Parts = MachineSave(File, true);
  const TTapeRecording Clean = RecordTape(Parts, {});
  std::printf("%-40s %-8s %-26s %-40s %s\n", "case", "outcome", "header", "body",
              "body window (oracle), µs");
  for (const TCase& Case : Cases(File, Clean)) {
    SCOPED_TRACE(Case.What);
    const TTapeRecording Recording = RecordTape(Parts, Case.Conditions);
    const TTapeReport Report = ReadTape(Recording.Wave, "worn.wav");
    ASSERT_EQ(Report.Files.size(), 1u);
    const TFileReport& Read = Report.Files[0];
    const TBlockTruth& BodyTruth = Recording.Blocks[Body];
    const auto& Window = Read.Body ? Read.Body->Window : std::nullopt;
    std::printf("%-40s %-8s %-26s %-40s %s (%.1f-%.1f)\n", Case.What.c_str(),
                Read.Whole ? "whole" : "refused", SourceName(Read.Header).c_str(),
                SourceName(Read.Body).c_str(),
                Window ? (std::to_string(Window->FromUs).substr(0, 5) + "-" +
                          std::to_string(Window->ToUs).substr(0, 5))
                             .c_str()
                       : "none",
                BodyTruth.WindowFromUs, BodyTruth.WindowToUs);
    EXPECT_EQ(Read.Whole, Case.Outcome != TOutcome::Refused);
    if (Read.Whole) {
      EXPECT_EQ(Read.Mzf, File);
    }
    ASSERT_TRUE(Read.Header && Read.Body);
    EXPECT_EQ(Read.Header->Source, Case.HeaderSource);
    EXPECT_EQ(Read.Body->Source, Case.BodySource);
    ExpectWindowOfOracle(Read.Header, Recording.Blocks[Header]);
    ExpectWindowOfOracle(Read.Body, Recording.Blocks[Body]);
    for (const TBlockTruth& Truth : Recording.Blocks) {
      // A block that a fixed read point reads is never lost (unless the
      // other reading holds its checksum as well, with other bytes).
      if (Truth.Readable() && Case.Conditions.Edits.empty()) {
        const auto& Block = Truth.Block < Body ? Read.Header : Read.Body;
        EXPECT_NE(Block->Source, TBlockSource::Neither) << "block " << Truth.Block;
      }
    }
  }
}

// Where block and copy lost the same bytes, the report names them and their
// place in the recording, as an audio editor shows it.
TEST(WornTape, NamesTheBytesLostInBothReadingsAndWhereTheyLie) {
  const TBytes File = RandomMzf(2000, 2000, 7);
  TTapeConditions Conditions;
  Conditions.Dropouts = {{Body, 1200, 13, -40}, {BodyCopy, 1201, 8, -40}};
  const TTapeRecording Recording = RecordTape(MachineSave(File, true), Conditions);
  const TTapeReport Report = ReadTape(Recording.Wave, "lost.wav");
  ASSERT_EQ(Report.Files.size(), 1u);
  const std::optional<TBlockReport>& Body = Report.Files[0].Body;
  ASSERT_TRUE(Body);
  ASSERT_EQ(Body->BadBytes.size(), 1u) << ReportText(Report);
  const TByteRange& Lost = Body->BadBytes[0];
  const std::vector<int>& Dropped = Recording.Blocks[BodyCopy].DroppedBytes;
  EXPECT_LE(Lost.First, Dropped.front());
  EXPECT_GE(Lost.Last, Dropped.back());
  EXPECT_GE(Lost.First, Dropped.front() - 4);
  EXPECT_LE(Lost.Last, Recording.Blocks[::kvetro::test::Body].DroppedBytes.back() + 4);
  // Within half a pulse: the bytes not read are placed between those read.
  constexpr double HalfPulse = 8;
  const auto& Bytes = Recording.Blocks[::kvetro::test::Body].ByteSamples;
  const auto SampleOf = [&Bytes](std::int32_t Byte) {
    return static_cast<double>(Bytes[static_cast<std::size_t>(Byte)]);
  };
  EXPECT_NEAR(Lost.FromSeconds * Rate, SampleOf(Lost.First), HalfPulse);
  EXPECT_NEAR(Lost.ToSeconds * Rate, SampleOf(Lost.Last), HalfPulse);
  EXPECT_FALSE(Report.Files[0].Whole);
}

}  // namespace

}  // namespace kvetro::test
