#include "SignalRecorder.h"

#include <bitset>
#include <stdexcept>

namespace kvetro::test {

std::vector<Pulse> SplitPulses(const std::vector<std::uint8_t>& Samples) {
  std::vector<Pulse> Pulses;
  std::size_t I = 0;
  while (I < Samples.size()) {
    Pulse P;
    while (I < Samples.size() && Samples[I] == 0x30) {
      ++P.Lo;
      ++I;
    }
    while (I < Samples.size() && Samples[I] == 0xD0) {
      ++P.Hi;
      ++I;
    }
    if (P.Lo == 0 && P.Hi == 0) {
      throw std::runtime_error("sample that is neither LO nor HI");
    }
    Pulses.push_back(P);
  }
  return Pulses;
}

std::string PulseBits(const std::vector<Pulse>& Pulses, const PulseTiming& Timing) {
  std::string Bits;
  for (const Pulse& P : Pulses) {
    if (P == Pulse{Timing.Log0Lo, Timing.Log0Hi}) {
      Bits += '0';
    } else if (P == Pulse{Timing.Log1Lo, Timing.Log1Hi}) {
      Bits += '1';
    } else {
      Bits += '?';
    }
  }
  return Bits;
}

std::string Framed(std::uint8_t Byte) {
  // The start pulse is bit 8, always set. One bitset rather than "1" + the
  // eight bits: that concatenation draws a false -Wrestrict from GCC 12 at -O3.
  return std::bitset<9>(0x100U | Byte).to_string();
}

std::string Repeat(char C, std::size_t N) {
  return std::string(N, C);
}

long RunToEnd(TTapeEncoder& Encoder, long StepLimit) {
  long Steps = 0;
  while (Encoder.Running()) {
    Encoder.Step();
    if (++Steps > StepLimit) {
      throw std::runtime_error("the run does not end");
    }
  }
  return Steps;
}

}  // namespace kvetro::test
