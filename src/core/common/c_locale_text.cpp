#include "core/common/c_locale_text.h"

#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace kyrvana {
namespace {

// The "C" locale object, made once and kept for the life of the process.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Switches the calling thread to the "C" locale for the lifetime of the
// object; other threads keep theirs.
class ThreadLocaleScope {
  public:
    ThreadLocaleScope() : previous_(uselocale(cLocale())) {}
    ~ThreadLocaleScope() { uselocale(previous_); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

  private:
    locale_t previous_;
};

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The 26 letters starting at `from` become those starting at `to`, whatever
// the locale says about case; every other byte stays.
std::string withLettersMoved(std::string_view text, char from, char to) {
    std::string moved(text);
    for (char& c : moved) {
        if (c >= from && c < from + 26) {
            c = static_cast<char>(c - from + to);
        }
    }
    return moved;
}

}  // namespace

long long cAtoll(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that the lowest value fits.
    long long value = 0;
    constexpr long long lowest = std::numeric_limits<long long>::lowest();
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (saturated || value < (lowest + digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (saturated) {
        return negative ? lowest : std::numeric_limits<long long>::max();
    }
    if (negative) {
        return value;
    }
    return value == lowest ? std::numeric_limits<long long>::max() : -value;
}

int cAtoi(std::string_view text) {
    const long long value = cAtoll(text);
    if (value < std::numeric_limits<int>::lowest()) {
        return std::numeric_limits<int>::lowest();
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

std::optional<std::int64_t> cWholeNumber(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isCSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isCSpace(text[end - 1])) {
        --end;
    }
    if (begin == end) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9' ||
            value > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

double cStrtod(std::string_view text, std::size_t* used) {
    // strtod needs a terminated string; copy, as answers are short.
    const std::string copy(text.substr(0, text.find('\0')));
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, cLocale());
    if (used != nullptr) {
        *used = static_cast<std::size_t>(end - copy.c_str());
    }
    return value;
}

double cAtof(std::string_view text) {
    return cStrtod(text, nullptr);
}

std::string cFormatV(const char* format, va_list arguments) {
    ThreadLocaleScope scope;
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string cFormat(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = cFormatV(format, arguments);
    va_end(arguments);
    return text;
}

std::string cErrorText(int error) {
    return strerror_l(error, cLocale());
}

std::string cToUpper(std::string_view text) {
    return withLettersMoved(text, 'a', 'A');
}

std::string cToLower(std::string_view text) {
    return withLettersMoved(text, 'A', 'a');
}

std::string cDefaultFloatText(double value) {
    return cFormat("%g", value);
}

}  // namespace kyrvana
