#pragma once

// A number shown in an edit field, together with the value behind its text.
// The text is the shortest that reads back as the value (at the precision
// the value is kept in), and a field the user did not touch gives back the
// value itself rather than a fresh reading of its text: pressing Apply in a
// dialog must not change a number the user never changed.

#include <string>
#include <string_view>

namespace kyrvana {

struct ShownNumber {
    std::string text;
    double value = 0.0;
};

// A double shown as its shortest text.
ShownNumber shownNumber(double value);
// A value kept in single precision, shown as the shortest text that reads
// back as the same single-precision number.
ShownNumber shownSingle(float value);

// What a field that showed `shown` and now holds `text` stands for: the
// shown value while the text is unchanged, else the text read as atof reads
// it.
double fieldValue(const ShownNumber& shown, std::string_view text);

}  // namespace kyrvana
