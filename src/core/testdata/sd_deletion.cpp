#include "core/testdata/sd_deletion.h"

#include <algorithm>
#include <functional>

#include "core/device/device_link.h"
#include "core/testdata/sd_file_names.h"

namespace kyrvana {

int deleteSdFile(DeviceLink& link, std::vector<SdFileEntry>& files, std::size_t index) {
    if (index >= files.size()) {
        return 1;
    }
    const std::string& name = files[index].name;
    if (!fitsDeleteCommand(name) || link.DeleteFileFromSDCard(name) != 0) {
        return 1;
    }
    files.erase(files.begin() + static_cast<std::ptrdiff_t>(index));
    return 0;
}

DeletionReport deleteSdFiles(DeviceLink& link, std::vector<SdFileEntry>& files,
                             std::vector<std::size_t> indices) {
    const auto hold = link.Hold();
    std::sort(indices.begin(), indices.end(), std::greater<>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    DeletionReport report;
    for (const std::size_t index : indices) {
        if (deleteSdFile(link, files, index) == 0) {
            ++report.deleted;
        } else {
            ++report.failed;
        }
    }
    return report;
}

DeletionReport deleteAllSdFiles(DeviceLink& link, std::vector<SdFileEntry>& files) {
    const auto hold = link.Hold();
    DeletionReport report;
    while (!files.empty()) {
        if (deleteSdFile(link, files, 0) != 0) {
            ++report.failed;
            break;
        }
        ++report.deleted;
    }
    return report;
}

}  // namespace kyrvana
