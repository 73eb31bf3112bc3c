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

// Revision text `index` of the device.
std::string QueryRev(int index);
// The test state query; the only command that carries its own carriage return.
inline constexpr std::string_view kQueryTestState = "QueryInternalValue(1)\r";
// Micrometres per motor microstep of a well.
std::string QueryUmPerUstep(int well);
// Control setting `index` of well 0 (the device answers 4 raw bytes).
std::string GetEepromControlSettingsData(unsigned index);
std::string SetEepromControlSettingsData(unsigned well, unsigned index, unsigned value);
// `item` 0: the test sequence, 1: the well calibration.
std::string UpdateFromSdIni(int source, int item);
inline constexpr std::string_view kListFilesOnSdCard = "ListFilesOnSDCard";
inline constexpr std::string_view kQuerySdVolumeSizeKb = "QuerySDVolumeSizeKB";
std::string DeleteFileFromSdCard(std::string_view fileName);
std::string Positioning(int well, unsigned mode, int target);
std::string QueryMotorPos(int well);
inline constexpr std::string_view kHoming = "Homing";

// Packed commands: the byte 0x1C, a command letter, then the arguments.
inline constexpr char kPackedCommandByte = 0x1C;
// Z: jog a well's actuator (direction 0 or 1; speed 0 stops it).
std::string PackedJog(int well, int direction, int speed);
// O: read the 32-bit word at an EEPROM address.
std::string PackedReadWord(int address);
// w: set an internal value.
std::string PackedSetValue(unsigned index, int value);

}  // namespace kyrvana::command
