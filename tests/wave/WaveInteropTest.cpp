#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"
#include "wave/WaveFileStream.h"

namespace kvetro {
namespace {

std::string FindPython() {
  if (std::filesystem::exists("/usr/bin/python3")) {
    return "/usr/bin/python3";
  }
  return std::system("python3 -c \"\" >/dev/null 2>&1") == 0 ? "python3" : "";
}

std::string HexOf(const std::vector<std::uint8_t>& Bytes) {
  static const char Digits[] = "0123456789abcdef";
  std::string Hex;
  for (const std::uint8_t Byte : Bytes) {
    Hex += Digits[Byte >> 4];
    Hex += Digits[Byte & 0x0F];
  }
  return Hex;
}

// Another program's reader must take what we write: Python's wave module
// reports the parameters and the frames it finds.
TEST(WaveInteropTest, PythonWaveModuleReadsTheFile) {
  const std::string Python = FindPython();
  if (Python.empty()) {
    GTEST_SKIP() << "no python3 found";
  }
  const test::TScratchFolder Folder("wave-interop");
  const std::string Wave = Folder.PathOf("out.wav");
  const std::string Report = Folder.PathOf("report.txt");
  const std::string Script = Folder.PathOf("read.py");
  std::ofstream(Script) << "import sys, wave\n"
                           "w = wave.open(sys.argv[1], 'rb')\n"
                           "p = w.getparams()\n"
                           "f = w.readframes(p.nframes)\n"
                           "print(p.nchannels, p.sampwidth, p.framerate, p.nframes, p.comptype, "
                           "f.hex())\n";
  for (const std::size_t Count : {std::size_t{0}, std::size_t{1}, std::size_t{70001}}) {
    std::vector<std::uint8_t> Samples(Count);
    for (std::size_t I = 0; I < Count; ++I) {
      Samples[I] = (I / 9) % 2 == 0 ? 0x30 : 0xD0;
    }
    {
      TWaveFileStream Stream(Wave, fmCreate);
      Stream.SetPCMFormat(44100, 8, 1);
      Stream.Open(true);
      for (const std::uint8_t Sample : Samples) {
        Stream.WriteBuffer(&Sample, 1);
      }
      Stream.Close();
    }
    const std::string Command = Python + " " + Script + " " + Wave + " > " + Report + " 2>&1";
    const int Status = std::system(Command.c_str());
    const test::TBytes Output = test::ReadFile(Report);
    const std::string Text(Output.begin(), Output.end());
    ASSERT_EQ(Status, 0) << Text;
    EXPECT_EQ(Text, "1 1 44100 " + std::to_string(Count) + " NONE " + HexOf(Samples) + "\n");
  }
}

}  // namespace
}  // namespace kvetro
