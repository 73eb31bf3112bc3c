#include "core/device/command_texts.h"

#include "core/common/c_locale_text.h"

namespace kyrvana::command {

std::string GetEepromData(int address, int count) {
    return cFormat("GetEepromData(%d, %d)", address, count);
}

std::string SetEepromDataLength(int address, unsigned length) {
    // The length goes out as the 16-bit number the device stores.
    return cFormat("SetEepromData(%d,%d)", address, static_cast<int>(length & 0xFFFFu));
}

std::string SetEepromDataChunk(int address, std::string_view chunk) {
    return cFormat("SetEepromData(%d,\"%.*s\")", address, static_cast<int>(chunk.size()),
                   chunk.data());
}

std::string QueryInternalValue(int index) {
    return cFormat("QueryInternalValue(%d)", index);
}

std::string ReadFileOnSdCardFirst(std::string_view fileName) {
    return cFormat("ReadFileOnSDCardFirst(\"%.*s\")", static_cast<int>(fileName.size()),
                   fileName.data());
}

std::string QueryRev(int index) {
    return cFormat("QueryRev(%d)", index);
}

std::string QueryUmPerUstep(int well) {
    return cFormat("QueryUmPerUstep(%d)", well);
}

std::string GetEepromControlSettingsData(unsigned index) {
    return cFormat("GetEepromControlSettingsData(0, %u)", index);
}

std::string SetEepromControlSettingsData(unsigned well, unsigned index, unsigned value) {
    return cFormat("SetEepromControlSettingsData(%u, %u, %u)", well, index, value);
}

std::string UpdateFromSdIni(int source, int item) {
    return cFormat("UpdateFromSDIni(%d,%d)", source, item);
}

std::string DeleteFileFromSdCard(std::string_view fileName) {
    return cFormat("DeleteFileFromSDCard(\"%.*s\")", static_cast<int>(fileName.size()),
                   fileName.data());
}

std::string Positioning(int well, unsigned mode, int target) {
    return cFormat("Positioning(%d,%u,%d)", well, mode, target);
}

std::string QueryMotorPos(int well) {
    return cFormat("QueryMotorPos(%d)", well);
}

std::string PackedJog(int well, int direction, int speed) {
    return cFormat("%c%c(%d,%d,%d,%d)", kPackedCommandByte, 'Z', well, direction, speed, 0);
}

std::string PackedReadWord(int address) {
    return cFormat("%c%c(%d)", kPackedCommandByte, 'O', address);
}

std::string PackedSetValue(unsigned index, int value) {
    return cFormat("%c%c(%u,%d)", kPackedCommandByte, 'w', index, value);
}

}  // namespace kyrvana::command
