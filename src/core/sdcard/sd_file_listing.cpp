#include "core/sdcard/sd_file_listing.h"

#include <algorithm>
#include <array>

#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"
#include "core/device/device_link.h"

namespace kyrvana {
namespace {

// Files the firmware keeps on the card for itself: the card's system folder
// (its short name and its long one), the test settings, protocol files and
// the test name file. Matched case-sensitively, as the firmware writes them.
constexpr std::array<std::string_view, 5> kFirmwareFileMarks = {"SYSTEM~", "System/", ".INI",
                                                                ".TMT", ".NAM"};

}  // namespace

std::optional<SdFileEntry> parseListingLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.find("DIR ") != std::string_view::npos) {
        return std::nullopt;
    }
    // The marks are looked for in the whole path, not only in the name:
    // "System/" can only ever match a folder, and the files inside the
    // card's system folder are no test data either.
    for (const std::string_view mark : kFirmwareFileMarks) {
        if (line.find(mark) != std::string_view::npos) {
            return std::nullopt;
        }
    }
    const std::size_t slash = line.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? line : line.substr(slash + 1);
    // The size is the text before the first space; a text that is not a
    // number counts as 0, as the device's own tools read it.
    return SdFileEntry{std::string(name), cAtoll(line.substr(0, line.find(' ')))};
}

void sortByNameDescending(std::vector<SdFileEntry>& files) {
    // std::string compares as unsigned bytes, and a prefix is the smaller.
    std::sort(files.begin(), files.end(),
              [](const SdFileEntry& a, const SdFileEntry& b) { return a.name > b.name; });
}

std::vector<SdFileEntry> parseListing(const std::vector<std::string>& lines) {
    std::vector<SdFileEntry> files;
    for (const std::string& line : lines) {
        if (auto entry = parseListingLine(line)) {
            files.push_back(std::move(*entry));
        }
    }
    sortByNameDescending(files);
    return files;
}

SdListing readSdListing(DeviceLink& link) {
    SdListing listing;
    // QueryLines keeps the lines that arrived before a failure; a time-out
    // has already been written to the message log by the port.
    listing.result = link.QueryLines(command::kListFilesOnSdCard, listing.responseLines);
    listing.files = parseListing(listing.responseLines);
    return listing;
}

}  // namespace kyrvana
