#include "core/sdcard/sd_deletion.h"

#include <algorithm>
#include <functional>

#include "core/device/device_link.h"
#include "core/sdcard/sd_file_names.h"

namespace kyrvana {

DeviceResult deleteSdFile(DeviceLink& link, std::vector<SdFileEntry>& files, std::size_t index) {
    if (index >= files.size()) {
        return DeviceResult::failure(DeviceFailure::Refused, {}, "no such entry in the list");
    }
    const std::string& name = files[index].name;
    if (!fitsDeleteCommand(name)) {
        return DeviceResult::failure(DeviceFailure::Refused, {},
                                     "the name is too long for the deletion command: " + name);
    }
    DeviceResult result = link.DeleteFileFromSDCard(name);
    if (result) {
        files.erase(files.begin() + static_cast<std::ptrdiff_t>(index));
    }
    return result;
}

namespace {

// Counts one deletion into the report.
bool tally(DeletionReport& report, DeviceResult result) {
    if (result) {
        ++report.deleted;
        return true;
    }
    ++report.failed;
    report.result.keepFirstFailure(std::move(result));
    return false;
}

}  // namespace

DeletionReport deleteSdFiles(DeviceLink& link, std::vector<SdFileEntry>& files,
                             std::vector<std::size_t> indices) {
    const auto hold = link.Hold();
    std::sort(indices.begin(), indices.end(), std::greater<>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    DeletionReport report;
    for (const std::size_t index : indices) {
        tally(report, deleteSdFile(link, files, index));
    }
    return report;
}

DeletionReport deleteAllSdFiles(DeviceLink& link, std::vector<SdFileEntry>& files) {
    const auto hold = link.Hold();
    DeletionReport report;
    while (!files.empty() && tally(report, deleteSdFile(link, files, 0))) {
    }
    return report;
}

}  // namespace kyrvana
