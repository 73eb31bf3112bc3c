#pragma once

// The file listing of the stimulator's SD card. The device answers
// "ListFilesOnSDCard" with one line per entry of the whole card, "<size in
// bytes> <path with / separators>", folders as lines holding "DIR ", and ends
// the answer with 0x17. Only the test data files are of interest: folders and
// the files the firmware keeps for itself (its settings, protocol and
// name files, and the card's system folder) are left out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/device/device_result.h"

namespace kyrvana {

class DeviceLink;

struct SdFileEntry {
    std::string name;       // the part of the path after its last "/"
    std::int64_t size = 0;  // bytes, as the listing line gives them (files of 2 GiB and more too)

    bool operator==(const SdFileEntry&) const = default;
};

// The entry a listing line stands for, or nothing for a folder or a file of
// the firmware's own. A carriage return at the end of the line (the
// firmware ends its lines with CR LF) is not part of the name.
std::optional<SdFileEntry> parseListingLine(std::string_view line);

// Sorts by name in descending byte order (a name that begins another sorts
// below it); sizes move with their names.
void sortByNameDescending(std::vector<SdFileEntry>& files);

// Every line parsed, then sorted.
std::vector<SdFileEntry> parseListing(const std::vector<std::string>& lines);

// What a scan of the card brought.
struct SdListing {
    // The lines as received. When the answer broke off (a time-out, an
    // over-long line, a failed read) the lines read before that are kept.
    std::vector<std::string> responseLines;
    std::vector<SdFileEntry> files;
    // Success when the answer ended with 0x17; otherwise why it broke off.
    DeviceResult result;
};

// Sends "ListFilesOnSDCard" and parses what arrives.
SdListing readSdListing(DeviceLink& link);

}  // namespace kyrvana
