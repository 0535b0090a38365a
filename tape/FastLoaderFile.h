#pragma once

#include <array>
#include <cstdint>

#include "tape/MzfImage.h"

namespace kvetro {

// The first tape file of every output: a small Z80 program that the target's
// monitor ROM loads and starts at 0xD400. It copies the monitor at
// 0x0000-0x0FFF onto itself through ports 0xE4/0xE0 (so that it can be
// patched), writes the monitor constant to 0x0A4B and 0x01 to 0x0512, hands
// the user's body size, load address and execution address to the monitor
// (13 bytes copied to 0x1102-0x110E) and calls back into it at 0x002A, which
// then reads the user's body at the fast timing.
inline constexpr std::uint16_t FastLoaderAddress = 0xD400;
inline constexpr std::uint16_t FastLoaderBodySize = 90;

// The loader's code, loaded at 0xD400. It reads its parameter block at the
// absolute addresses 0xD44B-0xD459, so it only runs where it was loaded.
inline constexpr auto FastLoaderCode = std::to_array<std::uint8_t>({
    0x3E, 0x08, 0xD3, 0xCE, 0xE5, 0x21, 0x00, 0x00, 0xD3, 0xE4, 0x7E, 0xD3, 0xE0, 0x77, 0x23,
    0x7C, 0xFE, 0x10, 0x20, 0xF4, 0x3A, 0x4B, 0xD4, 0x32, 0x4B, 0x0A, 0x3A, 0x4C, 0xD4, 0x32,
    0x12, 0x05, 0x21, 0x4D, 0xD4, 0x11, 0x02, 0x11, 0x01, 0x0D, 0x00, 0xED, 0xB0, 0xE1, 0x7C,
    0xFE, 0xD4, 0x28, 0x12, 0x2A, 0x04, 0x11, 0xD9, 0x21, 0x00, 0x12, 0x22, 0x04, 0x11, 0xCD,
    0x2A, 0x00, 0xD3, 0xE4, 0xC3, 0x9A, 0xE9, 0xCD, 0x2A, 0x00, 0xD3, 0xE4, 0xC3, 0x24, 0x01,
});

// Where the loader writes the monitor constant in the monitor's copy: the
// address of its LD (nn),A.
inline constexpr std::uint16_t MonitorConstantAddress = 0x0A4B;
static_assert((FastLoaderCode[24] | FastLoaderCode[25] << 8) == MonitorConstantAddress);

// Body offsets of the parameter block, right behind the code.
inline constexpr auto FastLoaderMonitorConstantOffset =
    static_cast<std::int32_t>(FastLoaderCode.size());
inline constexpr std::int32_t FastLoaderFlagOffset = FastLoaderMonitorConstantOffset + 1;
// The user's body size, load address and execution address, as in the header.
inline constexpr std::int32_t FastLoaderUserFieldsOffset = FastLoaderFlagOffset + 1;
inline constexpr std::int32_t FastLoaderUserFieldsSize = 6;

// Rewrites the user's file, as just loaded into Image, into the loader file:
// the user's size and addresses are saved into the parameter block before
// the header is changed to size 90 and addresses 0xD400, then the code goes
// in. Every other byte keeps what the load left (header bytes 0x00-0x11 and
// 0x18-0x7F, body offsets 83-89). Answers the body length of the rewritten
// header, 90.
std::uint16_t BuildFastLoaderFile(TMzfImage& Image, std::int32_t MonitorConstant);

}  // namespace kvetro
