#include "core/sdcard/storage_texts.h"

#include <cmath>

#include "core/common/c_locale_text.h"
#include "core/common/stripped_number_text.h"

namespace kyrvana {

std::string fileSizeText(std::int64_t sizeBytes) {
    // Adding 0.0 turns the -0 of a small negative size into 0.
    return strippedNumberText(std::ceil(static_cast<double>(sizeBytes) / 1000.0) + 0.0);
}

std::string usedStorageText(const std::vector<SdFileEntry>& files, std::int64_t volumeKB) {
    double totalKB = 0.0;
    for (const SdFileEntry& file : files) {
        totalKB += static_cast<double>(file.size) / 1000.0;
    }
    const double percentage = totalKB / static_cast<double>(volumeKB) * 100.0;
    // A card of unknown size gives a negative share, one of size 0 no
    // number at all (or infinity); neither can be shown as a percentage.
    if (!(percentage >= 0.1) || std::isinf(percentage)) {
        return "< 0.1%";
    }
    return cFormat("%.1f%%", percentage);
}

}  // namespace kyrvana
