#pragma once

// Bytes from the device shown to a person on one line: control bytes (the
// packed commands' 0x1C, a carriage return, the noise of a bad line) and
// bytes above 0x7E become \xHH, everything else stays as it is.

#include <string>
#include <string_view>

namespace kyrvana {

std::string printableText(std::string_view bytes);

}  // namespace kyrvana
