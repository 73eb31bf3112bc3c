#include "core/sdcard/sd_file_names.h"

#include "core/device/command_texts.h"

namespace kyrvana {

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

bool fitsDownloadCommand(std::string_view name) {
    return command::ReadFileOnSdCardFirst(name).size() <= kDownloadCommandLimit;
}

bool fitsDeleteCommand(std::string_view name) {
    return command::DeleteFileFromSdCard(name).size() <= kDeleteCommandLimit;
}

}  // namespace kyrvana
