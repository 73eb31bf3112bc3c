#pragma once

// The texts of the device commands that the transport itself sends. Commands
// carry no terminator: each is written exactly as formatted here.

#include <string>
#include <string_view>

namespace kyrvana::command {

// Reads `count` raw bytes of EEPROM from `address` ("GetEepromData(3840, 2)").
std::string GetEepromData(int address, int count);
// Announces a counted text item of `length` bytes at `address`.
std::string SetEepromDataLength(int address, unsigned length);
// Stores a chunk of text at `address` (quoted, as the firmware expects).
std::string SetEepromDataChunk(int address, std::string_view chunk);
// Asks for one of the device's numbered internal values.
std::string QueryInternalValue(int index);
// 0 when every motor is idle.
inline constexpr std::string_view kGetMotorsState = "GetMotorsState";
// Starts reading a file of the SD card; the answer line is its size in bytes.
std::string ReadFileOnSdCardFirst(std::string_view fileName);
// The next piece of the file: min(1024, remaining) raw bytes.
inline constexpr std::string_view kReadFileOnSdCardNext = "ReadFileOnSDCardNext";

}  // namespace kyrvana::command
