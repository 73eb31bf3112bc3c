#pragma once

// SHA-256 of a file, as a lower-case hexadecimal text (what sha256sum
// prints), for tests that check a downloaded file against the device's card
// without holding either in memory.

#include <filesystem>
#include <string>
#include <string_view>

namespace kyrvana::test_support {

std::string sha256Hex(std::string_view bytes);
// Empty when the file cannot be read.
std::string sha256OfFile(const std::filesystem::path& file);

}  // namespace kyrvana::test_support
