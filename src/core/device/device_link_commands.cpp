// The stimulator's command set: one member per command, with its arguments,
// its answer form and how the answer is read. The exchange forms themselves
// (line, lines, counted bytes) are in device_link.cpp.

#include <cstdint>
#include <string>
#include <vector>

#include "core/device/command_texts.h"
#include "core/device/device_link.h"

namespace kyrvana {
namespace {

// Answer buffer sizes the device's answers are read into.
constexpr int kShortAnswer = 128;
constexpr int kLongAnswer = 512;
constexpr int kMoveAnswer = 1024;
// The device has revision texts 0 to 4.
constexpr int kLastRevisionIndex = 4;
constexpr int kWordBytes = 4;

// A 32-bit value sent least significant byte first.
std::uint32_t littleEndianWord(const unsigned char (&bytes)[kWordBytes]) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

int DeviceLink::QueryRev(int index, std::string& text) {
    if (index > kLastRevisionIndex) {
        return 1;
    }
    char answer[kLongAnswer];
    int count = 0;
    if (QueryCommand(command::QueryRev(index), answer, kLongAnswer, count) != 0) {
        return 1;
    }
    text.assign(answer, static_cast<std::size_t>(count));
    return 0;
}

int DeviceLink::QueryInternalValue(int index, int& value) {
    return QueryInteger(command::QueryInternalValue(index), kShortAnswer, value);
}

int DeviceLink::QueryUmPerUstep(int well, double& umPerMicrostep) {
    return QueryDouble(command::QueryUmPerUstep(well), kShortAnswer, umPerMicrostep);
}

int DeviceLink::GetEepromControlSettingsData(unsigned index, std::uint32_t& value) {
    unsigned char bytes[kWordBytes] = {};
    int count = 0;
    if (QueryExact(command::GetEepromControlSettingsData(index), bytes, kWordBytes, count) != 0) {
        return 1;
    }
    value = littleEndianWord(bytes);
    return 0;
}

int DeviceLink::SetEepromControlSettingsData(unsigned well, unsigned index, unsigned value) {
    return SendCommand(command::SetEepromControlSettingsData(well, index, value));
}

int DeviceLink::UpdateFromSDIni(int source, int item) {
    return SendCommand(command::UpdateFromSdIni(source, item));
}

int DeviceLink::ListFilesOnSDCard(std::vector<std::string>& lines) {
    std::vector<std::string> received;
    if (QueryLines(command::kListFilesOnSdCard, received) != 0) {
        return 1;
    }
    lines = std::move(received);
    return 0;
}

int DeviceLink::QuerySDVolumeSizeKB(int& kilobytes) {
    return QueryInteger(command::kQuerySdVolumeSizeKb, kLongAnswer, kilobytes);
}

int DeviceLink::ReadFileOnSDCardFirst(std::string_view name, int& size) {
    return QueryInteger(command::ReadFileOnSdCardFirst(name), kLongAnswer, size);
}

int DeviceLink::ReadFileOnSDCardNext(void* buffer, int length, int& count) {
    return QueryExact(command::kReadFileOnSdCardNext, buffer, length, count);
}

int DeviceLink::DeleteFileFromSDCard(std::string_view name) {
    return SendCommand(command::DeleteFileFromSdCard(name));
}

int DeviceLink::Positioning(int well, unsigned mode, int target) {
    // The answer line only tells that the move was taken; it is not read.
    char answer[kMoveAnswer];
    int count = 0;
    return QueryCommand(command::Positioning(well, mode, target), answer, kMoveAnswer, count);
}

int DeviceLink::GetMotorsState(int& state) {
    return QueryInteger(command::kGetMotorsState, kLongAnswer, state) == 0 ? 1 : -1;
}

int DeviceLink::QueryMotorPos(int well, int& position) {
    return QueryInteger(command::QueryMotorPos(well), kLongAnswer, position) == 0 ? 1 : -1;
}

int DeviceLink::Homing() {
    return SendCommand(command::kHoming);
}

int DeviceLink::JogMotor(int well, std::uint8_t direction, int speed) {
    auto hold = Hold();
    char answer[kMoveAnswer];
    int count = 0;
    int result =
        QueryCommand(command::PackedJog(well, direction, speed), answer, kMoveAnswer, count);
    if (speed == 0) {
        // A stopped actuator decelerates; the next command may only follow
        // once it stands.
        if (WaitMotorsIdle() != 1) {
            result = 1;
        }
    }
    return result;
}

int DeviceLink::ReadDeviceWord(int address, std::uint32_t& value) {
    unsigned char bytes[kWordBytes] = {};
    int count = 0;
    if (QueryExact(command::PackedReadWord(address), bytes, kWordBytes, count) != 0) {
        return 1;
    }
    value = littleEndianWord(bytes);
    return 0;
}

int DeviceLink::SetInternalValue(unsigned index, int value) {
    return SendCommand(command::PackedSetValue(index, value));
}

}  // namespace kyrvana
