#include "core/common/decimal_text.h"

#include <limits>

#include "core/common/c_locale_text.h"
#include "core/common/shortest_number_text.h"

namespace kyrvana {
namespace {

// Exponents beyond this make every value 0 or out of range anyway; clamping
// keeps the arithmetic on them within 64 bits.
constexpr long long kExponentLimit = 100000;

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// strtod reads "0x" followed by a hexadecimal digit (or a point and one) as a
// hexadecimal number.
bool startsHexadecimal(std::string_view text) {
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    return isHexDigit(text[2]) || (text[2] == '.' && text.size() > 3 && isHexDigit(text[3]));
}

// The exponent part at the start of `text` ("e-3"), or 0 and nothing used
// when no digit follows the letter and its sign.
long long exponentPart(std::string_view text) {
    if (text.empty() || (text[0] != 'e' && text[0] != 'E')) {
        return 0;
    }
    std::size_t i = 1;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long exponent = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (exponent < kExponentLimit) {
            exponent = exponent * 10 + (text[i] - '0');
        }
    }
    return negative ? -exponent : exponent;
}

// The digits times a small whole number, in decimal.
std::string multiplied(const std::string& digits, std::uint32_t multiplier) {
    std::string product(digits.size(), '0');
    std::uint64_t carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const std::uint64_t value =
            static_cast<std::uint64_t>(digits[i] - '0') * multiplier + carry;
        product[i] = static_cast<char>('0' + value % 10);
        carry = value / 10;
    }
    std::string head;
    for (; carry > 0; carry /= 10) {
        head.insert(head.begin(), static_cast<char>('0' + carry % 10));
    }
    return head + product;
}

}  // namespace

std::optional<DecimalText> leadingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) {
        ++i;
    }
    DecimalText value;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        value.negative = text[i] == '-';
        ++i;
    }
    if (startsHexadecimal(text.substr(i))) {
        return std::nullopt;
    }
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (!isDigit(c)) {
            break;
        }
        anyDigit = true;
        if (afterPoint) {
            --value.exponent;
        }
        // Leading zeros carry no weight; those after the point are counted
        // in the exponent.
        if (c != '0' || !value.digits.empty()) {
            value.digits.push_back(c);
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    value.exponent += exponentPart(text.substr(i));
    while (!value.digits.empty() && value.digits.back() == '0') {
        value.digits.pop_back();
        ++value.exponent;
    }
    if (value.digits.empty()) {
        value.exponent = 0;
    }
    return value;
}

std::int64_t floorTimes(const DecimalText& value, std::uint32_t multiplier) {
    if (value.digits.empty() || multiplier == 0) {
        return 0;
    }
    const std::string product = multiplied(value.digits, multiplier);
    const auto length = static_cast<long long>(product.size());
    // The whole part's digits and whether anything is left after the point.
    std::string_view whole = product;
    bool fraction = false;
    if (value.exponent < 0) {
        const std::size_t kept =
            length + value.exponent > 0 ? static_cast<std::size_t>(length + value.exponent) : 0;
        whole = whole.substr(0, kept);
        fraction =
            std::string_view(product).substr(kept).find_first_not_of('0') != std::string_view::npos;
    }
    const std::size_t zeros = value.exponent > 0 ? static_cast<std::size_t>(value.exponent) : 0;
    // The magnitude is gathered up to 2^63, the largest a negative result
    // can take; anything beyond saturates.
    constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::uint64_t kLimit = kMax + 1;
    std::uint64_t magnitude = 0;
    bool saturated = whole.size() + zeros > 20;
    for (std::size_t i = 0; !saturated && i < whole.size() + zeros; ++i) {
        const unsigned digit = i < whole.size() ? static_cast<unsigned>(whole[i] - '0') : 0;
        saturated = magnitude > (kLimit - digit) / 10;
        magnitude = magnitude * 10 + digit;
    }
    if (value.negative) {
        // Down from a negative value with a fraction is one further away.
        if (saturated || magnitude + (fraction ? 1 : 0) > kLimit) {
            return std::numeric_limits<std::int64_t>::lowest();
        }
        magnitude += fraction ? 1 : 0;
        return magnitude == kLimit ? std::numeric_limits<std::int64_t>::lowest()
                                   : -static_cast<std::int64_t>(magnitude);
    }
    if (saturated || magnitude > kMax) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(magnitude);
}

double timesAsDouble(const DecimalText& value, std::uint32_t multiplier) {
    if (value.digits.empty() || multiplier == 0) {
        return 0.0;
    }
    // strtod rounds a decimal text correctly: one rounding, at the end.
    // Appended piece by piece: GCC 12 at -O3 warns falsely of an overlapping
    // copy (-Wrestrict) when a literal is put in front of a string.
    std::string text = value.negative ? "-" : "";
    text += multiplied(value.digits, multiplier);
    text += 'e';
    text += std::to_string(value.exponent);
    return cAtof(text);
}

DecimalText decimalOf(double value) {
    return leadingDecimal(shortestNumberText(value)).value_or(DecimalText{});
}

}  // namespace kyrvana
