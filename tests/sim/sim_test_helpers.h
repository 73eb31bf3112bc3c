#pragma once

// Exchanges of the program's command transport, spelled out over a raw port:
// the chunked EEPROM item transfer in both directions and a poll with a
// deadline.

#include <chrono>
#include <functional>
#include <string>

#include "raw_port.h"

namespace kyrvana::sim_tests {

// SetEepromData(address,length), then chunks of 200 at address + 2 + offset.
// False when any answer is not "OK\r".
bool writeItemOverWire(RawPort& port, int address, const std::string& text);
// GetEepromData(address, 2) for the length, then chunks of 256.
std::string readItemOverWire(RawPort& port, int address);

// Polls `condition` every few milliseconds until it holds or `timeout` ends.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace kyrvana::sim_tests
