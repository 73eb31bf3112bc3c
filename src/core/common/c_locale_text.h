#pragma once

// Number <-> text conversions that behave as in the "C" locale whatever the
// process locale is. The device, the protocol files and the displays all use
// '.' as the decimal point; Qt calls setlocale() from the user's environment,
// and in a German locale plain atof("4.60") would give 4 and refuse every
// stimulator. Everything in the program converts through these functions.

#include <cstdarg>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kyrvana {

// atoi(): skip leading white space, optional sign, decimal digits, stop at the
// first other character; no number gives 0. Saturates instead of overflowing.
int cAtoi(std::string_view text);

// atol() on 64 bits, same rules as cAtoi.
long long cAtoll(std::string_view text);

// A count that must be exact (a file's size in bytes): decimal digits only,
// with white space around them allowed; nothing for a sign, any other
// character, no digits at all, or a value beyond 64 bits.
std::optional<std::int64_t> cWholeNumber(std::string_view text);

// atof(): strtod in the "C" locale on the leading number; no number gives 0.
double cAtof(std::string_view text);

// strtod() in the "C" locale: parses a leading number and tells how many
// characters it used (0 when there was no number).
double cStrtod(std::string_view text, std::size_t* used);

// printf-style formatting in the "C" locale.
std::string cFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string cFormatV(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));

// strerror() in the "C" locale: "No space left on device".
std::string cErrorText(int error);

// Upper-cases the letters a to z only; every other byte is kept as it is.
std::string cToUpper(std::string_view text);
// Lower-cases the letters A to Z only; every other byte is kept as it is.
std::string cToLower(std::string_view text);

// The standard stream's default form of a floating-point number: printf "%g"
// with precision 6 (1000, 0.5, 100000, 1e+06).
std::string cDefaultFloatText(double value);

}  // namespace kyrvana
