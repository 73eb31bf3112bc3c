#include <algorithm>

#include "core/common/c_locale_text.h"
#include "core/preview/sequence_profile.h"

namespace kyrvana {

std::string profileCsv(const SequenceProfile& profile, std::optional<int> well, double from,
                       double to, int points) {
    std::vector<int> wells;
    for (int w = 0; w < kWellCount; ++w) {
        if (profile.wellEnabled(w) && (!well || *well == w)) {
            wells.push_back(w);
        }
    }
    std::vector<std::vector<ProfilePoint>> columns;
    bool envelope = false;
    for (const int w : wells) {
        columns.push_back(profile.sample(w, from, to, points));
        envelope = envelope || std::any_of(columns.back().begin(), columns.back().end(),
                                           [](const ProfilePoint& p) { return p.envelope; });
    }
    std::string csv = "seconds,set,unit";
    for (const int w : wells) {
        csv += cFormat(",well%d", w + 1);
        if (envelope) {
            csv += cFormat(",well%d_min,well%d_max", w + 1, w + 1);
        }
    }
    csv += '\n';
    // Every well is sampled at the same times.
    const std::size_t rows = columns.empty() ? 0 : columns.front().size();
    for (std::size_t row = 0; row < rows; ++row) {
        const ProfilePoint& first = columns.front()[row];
        csv += cFormat("%.12g,%d,%s", first.seconds, first.setIndex + 1,
                       profile.unitOf(first.quantity).c_str());
        for (const auto& column : columns) {
            const ProfilePoint& point = column[row];
            csv += cFormat(",%.10g", point.value);
            if (envelope) {
                csv += point.envelope ? cFormat(",%.10g,%.10g", point.min, point.max) : ",,";
            }
        }
        csv += '\n';
    }
    return csv;
}

}  // namespace kyrvana
