#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvetro {

// Opens arbitrary bytes as a wave for reading (a TMemoryStream holding them),
// then seeks, reads and overwrites in place as a script taken from the last
// bytes of the input says, and answers what went wrong; an empty answer means
// that:
//  - opening either succeeds or fails with "Wave is invalid" (for bytes that
//    do not start "RIFF", size, "WAVE") or "Stream read error", and a second
//    opening says "Stream has already been opened";
//  - the data found lies inside the bytes, and opening changed none of them;
//  - every Seek lands in [0, data size] and agrees with Position;
//  - every Read answers what lies between the position and the end of the
//    data, byte for byte, and every Write changes exactly the bytes it
//    answers, inside the data, never making the bytes longer.
// A walk over the chunks that never ends shows up as the fuzzer's timeout.
std::string CheckWaveReading(const std::uint8_t* Data, std::size_t Size);

}  // namespace kvetro
