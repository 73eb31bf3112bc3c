#include "sim_test_helpers.h"

#include <algorithm>
#include <cstdint>

#include "core/common/c_locale_text.h"

namespace kyrvana::sim_tests {

bool writeItemOverWire(RawPort& port, int address, const std::string& text) {
    bool ok =
        port.ask(cFormat("SetEepromData(%d,%d)", address, static_cast<int>(text.size()))) == "OK\r";
    for (std::size_t offset = 0; offset < text.size(); offset += 200) {
        const std::string chunk = text.substr(offset, 200);
        ok = port.ask(cFormat("SetEepromData(%d,\"%s\")", address + 2 + static_cast<int>(offset),
                              chunk.c_str())) == "OK\r" &&
             ok;
    }
    return ok;
}

std::string readItemOverWire(RawPort& port, int address) {
    port.send(cFormat("GetEepromData(%d, %d)", address, 2));
    const std::string lengthBytes = port.readExact(2);
    if (lengthBytes.size() != 2) {
        return "<no length>";
    }
    const int length = static_cast<std::uint8_t>(lengthBytes[0]) |
                       (static_cast<std::uint8_t>(lengthBytes[1]) << 8);
    std::string text;
    for (int offset = 0; offset < length; offset += 256) {
        const int chunk = std::min(256, length - offset);
        port.send(cFormat("GetEepromData(%d, %d)", address + 2 + offset, chunk));
        text += port.readExact(static_cast<std::size_t>(chunk));
    }
    return text;
}

}  // namespace kyrvana::sim_tests
