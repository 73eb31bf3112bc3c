#pragma once

// Deleting test data files from the device's SD card. The device answers a
// deletion with one line; only its arrival counts as success. Entries are
// removed from the list only when the device acknowledged them.

#include <cstddef>
#include <vector>

#include "core/device/device_result.h"
#include "core/sdcard/sd_file_listing.h"

namespace kyrvana {

class DeviceLink;

struct DeletionReport {
    int deleted = 0;
    int failed = 0;  // each one an "Error:  File Not Deleted"
    // The first failure, or success when every file tried was deleted.
    DeviceResult result;
};

// Deletes files[index] on the device and, when that succeeded, from
// `files`. Refused when the name does not fit the command (nothing is sent);
// otherwise the deletion's exchange.
DeviceResult deleteSdFile(DeviceLink& link, std::vector<SdFileEntry>& files, std::size_t index);

// Deletes the entries at `indices` from the highest index down, so that a
// removal never moves an entry still to be deleted. A failure is counted and
// the next entry is tried.
DeletionReport deleteSdFiles(DeviceLink& link, std::vector<SdFileEntry>& files,
                             std::vector<std::size_t> indices);

// Deletes the first entry until the list is empty. The first failure ends it:
// the failed entry would stay first and be tried forever, and a device that
// stopped answering would cost a read time-out per remaining file. The
// entries not deleted stay listed.
DeletionReport deleteAllSdFiles(DeviceLink& link, std::vector<SdFileEntry>& files);

}  // namespace kyrvana
