// The stimulator's command set: one member per command, with its arguments,
// its answer form and how the answer is read. The exchange forms themselves
// (line, lines, counted bytes) are in device_link.cpp.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/common/printable_text.h"
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

DeviceResult DeviceLink::QueryRev(int index, std::string& text) {
    if (index > kLastRevisionIndex) {
        return DeviceResult::failure(DeviceFailure::Refused, command::QueryRev(index),
                                     "the device has revision texts 0 to 4");
    }
    char answer[kLongAnswer];
    int count = 0;
    DeviceResult result = QueryCommand(command::QueryRev(index), answer, kLongAnswer, count);
    if (result) {
        text.assign(answer, static_cast<std::size_t>(count));
    }
    return result;
}

DeviceResult DeviceLink::QueryInternalValue(int index, int& value) {
    return QueryInteger(command::QueryInternalValue(index), kShortAnswer, value);
}

DeviceResult DeviceLink::QueryUmPerUstep(int well, double& umPerMicrostep) {
    return QueryDouble(command::QueryUmPerUstep(well), kShortAnswer, umPerMicrostep);
}

DeviceResult DeviceLink::GetEepromControlSettingsData(unsigned index, std::uint32_t& value) {
    unsigned char bytes[kWordBytes] = {};
    int count = 0;
    DeviceResult result =
        QueryExact(command::GetEepromControlSettingsData(index), bytes, kWordBytes, count);
    if (result) {
        value = littleEndianWord(bytes);
    }
    return result;
}

DeviceResult DeviceLink::SetEepromControlSettingsData(unsigned well, unsigned index,
                                                      unsigned value) {
    return SendCommand(command::SetEepromControlSettingsData(well, index, value));
}

DeviceResult DeviceLink::UpdateFromSDIni(int source, int item) {
    return SendCommand(command::UpdateFromSdIni(source, item));
}

DeviceResult DeviceLink::ListFilesOnSDCard(std::vector<std::string>& lines) {
    std::vector<std::string> received;
    DeviceResult result = QueryLines(command::kListFilesOnSdCard, received);
    if (result) {
        lines = std::move(received);
    }
    return result;
}

DeviceResult DeviceLink::QuerySDVolumeSizeKB(std::int64_t& kilobytes) {
    char answer[kLongAnswer];
    int count = 0;
    DeviceResult result = QueryCommand(command::kQuerySdVolumeSizeKb, answer, kLongAnswer, count);
    if (result) {
        kilobytes = cAtoll(std::string_view(answer, static_cast<std::size_t>(count)));
    }
    return result;
}

DeviceResult DeviceLink::ReadFileOnSDCardFirst(std::string_view name, std::int64_t& size) {
    const std::string text = command::ReadFileOnSdCardFirst(name);
    char answer[kLongAnswer];
    int count = 0;
    DeviceResult result = QueryCommand(text, answer, kLongAnswer, count);
    if (!result) {
        return result;
    }
    // atoi would read "ERROR" as an empty file and a misread line as some
    // size; a size must be exactly a number of bytes or the file is not read.
    const std::string_view sizeText(answer, static_cast<std::size_t>(count));
    const std::optional<std::int64_t> bytes = cWholeNumber(sizeText);
    if (!bytes) {
        MarkOutOfStep();
        return DeviceResult::failure(
            DeviceFailure::Unusable, text,
            "the size answer \"" + printableText(sizeText) + "\" is not a number of bytes");
    }
    size = *bytes;
    return result;
}

DeviceResult DeviceLink::ReadFileOnSDCardNext(void* buffer, int length, int& count) {
    return QueryExact(command::kReadFileOnSdCardNext, buffer, length, count);
}

DeviceResult DeviceLink::DeleteFileFromSDCard(std::string_view name) {
    return SendCommand(command::DeleteFileFromSdCard(name));
}

DeviceResult DeviceLink::Positioning(int well, unsigned mode, int target) {
    // The answer line only tells that the move was taken; it is not read.
    char answer[kMoveAnswer];
    int count = 0;
    return QueryCommand(command::Positioning(well, mode, target), answer, kMoveAnswer, count);
}

DeviceResult DeviceLink::GetMotorsState(int& state) {
    return QueryInteger(command::kGetMotorsState, kLongAnswer, state);
}

DeviceResult DeviceLink::QueryMotorPos(int well, int& position) {
    return QueryInteger(command::QueryMotorPos(well), kLongAnswer, position);
}

DeviceResult DeviceLink::Homing() {
    return SendCommand(command::kHoming);
}

DeviceResult DeviceLink::JogMotor(int well, std::uint8_t direction, int speed) {
    auto hold = Hold();
    char answer[kMoveAnswer];
    int count = 0;
    DeviceResult result =
        QueryCommand(command::PackedJog(well, direction, speed), answer, kMoveAnswer, count);
    if (speed == 0) {
        // A stopped actuator decelerates; the next command may only follow
        // once it stands.
        result.keepFirstFailure(WaitMotorsIdle());
    }
    return result;
}

DeviceResult DeviceLink::ReadDeviceWord(int address, std::uint32_t& value) {
    unsigned char bytes[kWordBytes] = {};
    int count = 0;
    DeviceResult result = QueryExact(command::PackedReadWord(address), bytes, kWordBytes, count);
    if (result) {
        value = littleEndianWord(bytes);
    }
    return result;
}

DeviceResult DeviceLink::SetInternalValue(unsigned index, int value) {
    return SendCommand(command::PackedSetValue(index, value));
}

}  // namespace kyrvana
