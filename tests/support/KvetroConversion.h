#pragma once

#include "tape/ConversionSettings.h"
#include "tape/MzfTape.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"

namespace kvetro::test {

// The run's settings for a conversion of the reference model.
TConversionSettings SettingsOf(const expected::Conversion& C);

// The whole WAV that Kvetro's conversion run writes for File, all in memory;
// a refusal is thrown as std::runtime_error.
TBytes KvetroWave(const TBytes& File, const TConversionSettings& Settings);
// The same for several input files, one tape of all their files.
TBytes KvetroWave(const std::vector<TTapeInput>& Inputs, const TConversionSettings& Settings);

}  // namespace kvetro::test
