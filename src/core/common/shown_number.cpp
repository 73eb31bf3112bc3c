#include "core/common/shown_number.h"

#include "core/common/c_locale_text.h"
#include "core/common/shortest_number_text.h"

namespace kyrvana {

ShownNumber shownNumber(double value) {
    return {shortestNumberText(value), value};
}

ShownNumber shownSingle(float value) {
    return {shortestSingleText(value), static_cast<double>(value)};
}

double fieldValue(const ShownNumber& shown, std::string_view text) {
    return text == shown.text ? shown.value : cAtof(text);
}

}  // namespace kyrvana
