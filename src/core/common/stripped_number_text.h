#pragma once

#include <string>

namespace kyrvana {

// A number as the lists show it: printed with "%f" in the "C" locale, then
// trailing "0" characters removed, then a trailing "." removed, so 13.0 reads
// "13", 200.5 reads "200.5" and 0.0 reads "0". Values smaller than a
// millionth keep the sign that "%f" gives them ("-0").
std::string strippedNumberText(double value);

}  // namespace kyrvana
