// The report as kvetro-cli read prints it and the page shows it.
#include <gtest/gtest.h>

#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"

namespace kvetro::test {

namespace {

TEST(ReportText, SaysWhatWasReadBlockByBlock) {
  const TBytes File = MzfFile(0x01, "HELLO", 40, 0x1200, 0x1234, CountingBody(40, 0));
  expected::Conversion C;
  C.Tape = expected::Layout::StandardNoCopies;
  C.User = expected::kStandardTiming;
  // Counted from the format: the header holds 29 one bits, its checksum 4,
  // so its long pulses are 40 + 1 + 130 start pulses + 33 = 204 and its short
  // ones 40 + 1040 - 33 = 1047; the body (0 to 39) holds 100, its checksum 3.
  EXPECT_EQ(ReportText(ReadTape(expected::ConvertedFile(File, C), "hello.wav")),
            "hello.wav: 44100 Hz, 8-bit PCM, 1 channel, 0:15.9 long; channel 1, normal polarity "
            "(inverted reads too)\n"
            "File 1 at 0:10.0: \"HELLO\", type 0x01, 40 bytes, load 0x1200, exec 0x1234: read "
            "whole\n"
            "  header at 0:10.0, 128 bytes: first block read\n"
            "    short pulses: HIGH 249.4 ± 0.0 µs, LOW 204.1 ± 0.0 µs (1047)\n"
            "    long  pulses: HIGH 430.8 ± 0.0 µs, LOW 408.2 ± 0.0 µs (204)\n"
            "    read window 249.4 to 430.8 µs (181.4 µs wide)\n"
            "    if inverted: 204.1 to 408.2 µs (204.1 µs wide)\n"
            "  body at 0:15.6, 40 bytes: first block read\n"
            "    short pulses: HIGH 249.4 ± 0.0 µs, LOW 204.1 ± 0.0 µs (253)\n"
            "    long  pulses: HIGH 430.8 ± 0.0 µs, LOW 408.2 ± 0.0 µs (166)\n"
            "    read window 249.4 to 430.8 µs (181.4 µs wide)\n"
            "    if inverted: 204.1 to 408.2 µs (204.1 µs wide)\n"
            "1 file found, 1 read whole\n");
}

// A long path once lost the first line's break.
TEST(ReportText, SaysWhatToTryWhenNothingWasFound) {
  for (const std::string& Name : {std::string("quiet.wav"), std::string(300, 'd') + "/quiet.wav"}) {
    EXPECT_EQ(ReportText(ReadTape(expected::WaveFile(TBytes(8000, 0x80)), Name)),
              Name +
                  ": 44100 Hz, 8-bit PCM, 1 channel, 0:00.2 long; channel 1, normal polarity "
                  "(inverted reads nothing)\n"
                  "No tape file found in " +
                  Name + "; try another level, the other polarity or another channel\n");
  }
}

TEST(ReportText, GivesPositionsAsMinutesAndSeconds) {
  const struct {
    double Seconds;
    const char* Text;
  } Cases[] = {{0, "0:00.0"}, {7.06, "0:07.1"}, {59.96, "1:00.0"}, {723.5, "12:03.5"}};
  for (const auto& Case : Cases) {
    EXPECT_EQ(RecordingTime(Case.Seconds), Case.Text);
  }
}

}  // namespace

}  // namespace kvetro::test
