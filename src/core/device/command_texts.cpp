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

}  // namespace kyrvana::command
