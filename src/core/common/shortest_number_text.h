#pragma once

// The texts number fields show: the shortest plain decimal (no exponent)
// that reads back as exactly the value held, so that a field the user leaves
// alone does not change the value, and the user sees "1.001" rather than a
// long binary expansion of it.

#include <string>

namespace kyrvana {

// Reads back through atof as `value`. Not-a-number and the infinities, which
// no plain decimal reads back as, give "nan", "inf" or "-inf".
std::string shortestNumberText(double value);

// Reads back through atof, narrowed to single precision, as `value`: for
// values the device keeps in single precision (1.1f shows as "1.1").
std::string shortestSingleText(float value);

}  // namespace kyrvana
