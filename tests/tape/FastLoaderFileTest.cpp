#include "tape/FastLoaderFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/MzfBuilder.h"

namespace kvetro::test {
namespace {

// Just enough of a Z80 for the loader's instructions, on the memory map it
// is written for: below 0x1000 two banks answer at the same addresses, the
// monitor ROM after a write to port 0xE4 and RAM after a write to port 0xE0;
// above is plain RAM. The monitor's entry point is not run: a call returns
// at once, as the monitor does after reading the user's body.
class TLoaderMachine {
 public:
  std::array<std::uint8_t, 0x1000> Rom{}, Ram{};
  std::vector<std::uint8_t> Memory = std::vector<std::uint8_t>(0x10000, 0);
  std::vector<std::pair<std::uint8_t, std::uint8_t>> PortWrites;  // port, data
  std::vector<std::uint16_t> Calls;
  std::uint16_t BC = 0, DE = 0, HL = 0, AltBC = 0, AltDE = 0, AltHL = 0, SP = 0x10F0;

  TLoaderMachine() {
    for (std::size_t Address = 0; Address < Rom.size(); ++Address) {
      Rom[Address] = static_cast<std::uint8_t>(0x80 | (Address % 127));
    }
  }

  // Runs from 0xD400 until a jump leaves the loader; answers its target.
  std::uint16_t Run(std::uint16_t EntryHL) {
    HL = EntryHL;
    PC = 0xD400;
    const std::map<std::uint8_t, std::function<void()>> Instructions = {
        {0x3E, [this] { A = Fetch(); }},                             // LD A,n
        {0xD3, [this] { Out(Fetch()); }},                            // OUT (n),A
        {0xE5, [this] { Push(HL); }},                                // PUSH HL
        {0xE1, [this] { HL = Pop(); }},                              // POP HL
        {0x21, [this] { HL = Fetch16(); }},                          // LD HL,nn
        {0x11, [this] { DE = Fetch16(); }},                          // LD DE,nn
        {0x01, [this] { BC = Fetch16(); }},                          // LD BC,nn
        {0x7E, [this] { A = Read(HL); }},                            // LD A,(HL)
        {0x77, [this] { Write(HL, A); }},                            // LD (HL),A
        {0x23, [this] { ++HL; }},                                    // INC HL
        {0x7C, [this] { A = static_cast<std::uint8_t>(HL >> 8); }},  // LD A,H
        {0xFE, [this] { Zero = A == Fetch(); }},                     // CP n
        {0x20, [this] { Relative(!Zero); }},                         // JR NZ,e
        {0x28, [this] { Relative(Zero); }},                          // JR Z,e
        {0x3A, [this] { A = Read(Fetch16()); }},                     // LD A,(nn)
        {0x32, [this] { Write(Fetch16(), A); }},                     // LD (nn),A
        {0x2A, [this] { HL = ReadWord(Fetch16()); }},                // LD HL,(nn)
        {0x22, [this] { WriteWord(Fetch16(), HL); }},                // LD (nn),HL
        {0xD9, [this] { Exchange(); }},                              // EXX
        {0xCD, [this] { Calls.push_back(Fetch16()); }},              // CALL nn
        {0xC3, [this] { PC = Fetch16(); }},                          // JP nn
        {0xED, [this] { Ldir(); }},                                  // LDIR
    };
    for (long Step = 0; Step < 1'000'000; ++Step) {
      const std::uint8_t Op = Fetch();
      const auto Instruction = Instructions.find(Op);
      if (Instruction == Instructions.end()) {
        throw std::runtime_error("not a loader instruction: " + std::to_string(Op) + " at " +
                                 std::to_string(PC - 1));
      }
      Instruction->second();
      if (PC < 0xD400 || PC >= 0xD44B) {
        return PC;
      }
    }
    throw std::runtime_error("the loader does not leave");
  }

  std::uint16_t ReadWord(std::uint16_t At) const {
    return static_cast<std::uint16_t>(Read(At) | Read(static_cast<std::uint16_t>(At + 1)) << 8);
  }

 private:
  std::uint8_t Read(std::uint16_t At) const {
    return At >= 0x1000 ? Memory[At] : RomSelected ? Rom[At] : Ram[At];
  }
  void Write(std::uint16_t At, std::uint8_t Value) {
    if (At >= 0x1000) {
      Memory[At] = Value;
    } else if (!RomSelected) {
      Ram[At] = Value;
    }
  }
  void WriteWord(std::uint16_t At, std::uint16_t Value) {
    Write(At, static_cast<std::uint8_t>(Value & 0xFF));
    Write(static_cast<std::uint16_t>(At + 1), static_cast<std::uint8_t>(Value >> 8));
  }
  std::uint8_t Fetch() { return Read(PC++); }
  std::uint16_t Fetch16() {
    const std::uint16_t Word = ReadWord(PC);
    PC = static_cast<std::uint16_t>(PC + 2);
    return Word;
  }
  void Exchange() {
    std::swap(BC, AltBC);
    std::swap(DE, AltDE);
    std::swap(HL, AltHL);
  }
  void Ldir() {
    if (Fetch() != 0xB0) {
      throw std::runtime_error("not a loader instruction after 0xED");
    }
    do {
      Write(DE++, Read(HL++));
    } while (--BC != 0);
  }
  void Relative(bool Taken) {
    const auto Offset = static_cast<std::int8_t>(Fetch());
    PC = static_cast<std::uint16_t>(Taken ? PC + Offset : PC);
  }
  void Push(std::uint16_t Value) { WriteWord(SP = static_cast<std::uint16_t>(SP - 2), Value); }
  std::uint16_t Pop() {
    const std::uint16_t Value = ReadWord(SP);
    SP = static_cast<std::uint16_t>(SP + 2);
    return Value;
  }
  void Out(std::uint8_t Port) {
    PortWrites.emplace_back(Port, A);
    RomSelected = Port == 0xE0 ? false : Port == 0xE4 ? true : RomSelected;
  }

  std::uint16_t PC = 0;
  std::uint8_t A = 0;
  bool Zero = false;
  bool RomSelected = true;
};

struct TCase {
  const char* Name;
  TBytes File;
  std::int32_t Constant;
  std::uint16_t EntryHL;  // its high byte 0xD4 takes the second exit
  // Body offsets 75 to 89: the constant, 0x01, the user's size, load and
  // execution address, and the user's own body bytes 83 to 89.
  std::array<std::uint8_t, 15> Parameters;
};

const TCase kCases[] = {
    {"object_at_0x1200",
     MzfFile(0x01, "GAME", 0x1000, 0x1200, 0x1200, CountingBody(300, 1)),
     1,
     0x1234,
     {0x01, 0x01, 0x00, 0x10, 0x00, 0x12, 0x00, 0x12, 84, 85, 86, 87, 88, 89, 90}},
    {"largest_constant",
     MzfFile(0x01, "GAME", 0x1000, 0x1200, 0x1200, CountingBody(300, 1)),
     255,
     0xD400,
     {0xFF, 0x01, 0x00, 0x10, 0x00, 0x12, 0x00, 0x12, 84, 85, 86, 87, 88, 89, 90}},
    {"constant_beyond_a_byte",
     MzfFile(0x05, "X", 0x0123, 0x4567, 0x89AB, CountingBody(300, 16)),
     0x1A5,
     0x0000,
     {0xA5, 0x01, 0x23, 0x01, 0x67, 0x45, 0xAB, 0x89, 99, 100, 101, 102, 103, 104, 105}},
    // The user's fields are saved before the header is rewritten, even when
    // they equal what it is rewritten to; the file just reaches offset 89.
    {"fields_like_the_loaders",
     MzfFile(0x01, "L", 90, 0xD400, 0xD400, CountingBody(90, 1)),
     7,
     0xD4FF,
     {0x07, 0x01, 0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4, 84, 85, 86, 87, 88, 89, 90}},
    // Offsets the file does not reach hold zeros, as a load leaves them.
    {"file_ending_inside_the_block",
     MzfFile(0x01, "S", 0x0200, 0x2000, 0x2003, CountingBody(86, 1)),
     1,
     0x1234,
     {0x01, 0x01, 0x00, 0x02, 0x00, 0x20, 0x03, 0x20, 84, 85, 86, 0, 0, 0, 0}},
    {"empty_file", {}, 1, 0x1234, {0x01, 0x01}},
};

TEST(FastLoaderFile, HeaderAndParameterBlockCarryTheLoaderAndTheUsersValues) {
  for (const TCase& Case : kCases) {
    SCOPED_TRACE(Case.Name);
    auto Image = std::make_unique<TMzfImage>();
    ASSERT_EQ(Image->Assign(Case.File.data(), Case.File.size()), TMzfImage::LoadResult::Loaded);
    const auto Loaded = Image->Bytes();
    EXPECT_EQ(BuildFastLoaderFile(*Image, Case.Constant), 90);

    // Size 90, load and execution address 0xD400; nothing else changes but
    // the code and the parameters before offset 83.
    const std::uint8_t Fields[6] = {0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4};
    for (std::size_t I = 0; I < 6; ++I) {
      EXPECT_EQ(Image->Bytes()[0x12 + I], Fields[I]) << "header byte " << 0x12 + I;
    }
    for (std::size_t I = 0; I < Loaded.size(); ++I) {
      if ((I < 0x12 || I > 0x17) && (I < 128 || I >= 128 + 83)) {
        ASSERT_EQ(Image->Bytes()[I], Loaded[I]) << "position " << I;
      }
    }
    for (std::size_t I = 0; I < Case.Parameters.size(); ++I) {
      EXPECT_EQ(Image->Bytes()[128 + 75 + I], Case.Parameters[I]) << "body offset " << 75 + I;
    }
  }
}

// The loader as the target runs it, loaded at 0xD400 from the rewritten
// body: it copies the monitor into RAM, patches the copy at 0x0A4B and 0x0512,
// copies the 13 bytes from body offset 77 to 0x1102-0x110E, calls the monitor
// at 0x002A and leaves by one of its two exits.
TEST(FastLoaderFile, TheLoaderPatchesTheMonitorAndHandsItTheUsersFile) {
  for (const TCase& Case : kCases) {
    SCOPED_TRACE(Case.Name);
    auto Image = std::make_unique<TMzfImage>();
    Image->Assign(Case.File.data(), Case.File.size());
    BuildFastLoaderFile(*Image, Case.Constant);
    TLoaderMachine Machine;
    for (std::uint16_t I = 0; I < 90; ++I) {
      Machine.Memory[0xD400 + I] = Image->ByteAt(128 + I);
    }
    const std::uint16_t Entry = Case.EntryHL;
    const bool SecondExit = Entry >> 8 == 0xD4;
    ASSERT_EQ(Machine.Run(Entry), SecondExit ? 0x0124 : 0xE99A);

    EXPECT_EQ(Machine.Calls, std::vector<std::uint16_t>{0x002A});
    EXPECT_EQ(Machine.SP, 0x10F0);
    // Port 0xCE gets 0x08; then 4096 times 0xE4 and 0xE0 in turn; after the
    // call, 0xE4 again.
    ASSERT_EQ(Machine.PortWrites.size(), 1u + 2u * 4096u + 1u);
    EXPECT_EQ(Machine.PortWrites.front(), (std::pair<std::uint8_t, std::uint8_t>{0xCE, 0x08}));
    for (std::size_t I = 1; I < Machine.PortWrites.size(); ++I) {
      ASSERT_EQ(Machine.PortWrites[I].first, I % 2 == 1 ? 0xE4 : 0xE0) << "port write " << I;
    }
    for (std::size_t Address = 0; Address < 0x1000; ++Address) {
      const std::uint8_t Expected = Address == 0x0A4B   ? Case.Parameters[0]
                                    : Address == 0x0512 ? 0x01
                                                        : Machine.Rom[Address];
      ASSERT_EQ(Machine.Ram[Address], Expected) << "address " << Address;
    }
    for (std::size_t I = 0; I < 13; ++I) {
      if (SecondExit || (I != 2 && I != 3)) {
        EXPECT_EQ(Machine.Memory[0x1102 + I], Case.Parameters[2 + I]) << "address " << 0x1102 + I;
      }
    }
    // The first exit hands the load address over in the alternate HL and
    // puts 0x1200 in its place.
    const std::uint16_t Load =
        static_cast<std::uint16_t>(Case.Parameters[4] | Case.Parameters[5] << 8);
    EXPECT_EQ(Machine.ReadWord(0x1104), SecondExit ? Load : 0x1200);
    if (!SecondExit) {
      EXPECT_EQ(Machine.AltHL, Load);
    }
  }
}

}  // namespace
}  // namespace kvetro::test
