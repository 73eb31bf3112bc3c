#pragma once

// How the test-data dialog shows sizes: a file's size in whole kilobytes
// (1000 bytes) rounded up, and how full the card is.

#include <cstdint>
#include <string>
#include <vector>

#include "core/sdcard/sd_file_listing.h"

namespace kyrvana {

// ceil(size / 1000) without decimals: 1 and 1000 bytes read "1", 1001 "2",
// an empty file "0".
std::string fileSizeText(std::int64_t sizeBytes);

// The listed files' share of a card of `volumeKB` kilobytes: "%.1f%%", or
// "< 0.1%" below a tenth of a percent and whenever the card's size is
// unknown (-1) or 0.
std::string usedStorageText(const std::vector<SdFileEntry>& files, std::int64_t volumeKB);

}  // namespace kyrvana
