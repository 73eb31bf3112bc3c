#pragma once

// The recording and image rates in words and numbers. A data frequency is
// written either as a rate in Hz or as a period in milliseconds; both forms
// may appear in a file.

#include <cstdint>
#include <string_view>

#include "core/protocol/enumerations.h"

namespace kyrvana {

// Exactly "None", or a number equal to 100, 10, 1, 0.1, 0.01 or 0.001
// ("0.10" is 0.1); anything else is Unknown.
DataFrequency dataFrequencyFromHz(std::string_view text);
// "100" ... "0.001", "None"; "InvalidDataFrequency" for other codes.
std::string_view dataFrequencyHzText(DataFrequency code);

// The text read as an integer period is stored in periodMs; the periods 10,
// 100, ... 1000000 give their rate and every other period gives None (the
// device does not record).
DataFrequency dataFrequencyFromMs(std::string_view text, std::int32_t& periodMs);
// The period that belongs to a rate; 0 for None and for unknown codes.
std::int32_t dataFrequencyMs(DataFrequency code);

// A number equal to one of the image rates; 10 is an older spelling of 5.
ImageFrequency imageFrequencyFromText(std::string_view text);
// "60" ... "0.001", "0"; "InvalidImageFrequency" for other codes.
std::string_view imageFrequencyText(ImageFrequency code);

}  // namespace kyrvana
