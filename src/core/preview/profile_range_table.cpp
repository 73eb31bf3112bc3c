#include "core/preview/profile_range_table.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace kyrvana {
namespace {

ValueRange combined(const ValueRange& a, const ValueRange& b) {
    return ValueRange{std::min(a.min, b.min), std::max(a.max, b.max)};
}

}  // namespace

ValueRange SetRangeTable::emptyRange() {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    return ValueRange{kInfinity, -kInfinity};
}

SetRangeTable::SetRangeTable(const std::vector<ValueRange>& ranges) {
    if (ranges.empty()) {
        return;
    }
    levels_.push_back(ranges);
    // Level l holds the range of the 2^l sets from each index on.
    for (std::size_t width = 2; width <= ranges.size(); width *= 2) {
        const std::vector<ValueRange>& below = levels_.back();
        std::vector<ValueRange> level(ranges.size() - width + 1);
        for (std::size_t i = 0; i < level.size(); ++i) {
            level[i] = combined(below[i], below[i + width / 2]);
        }
        levels_.push_back(std::move(level));
    }
}

ValueRange SetRangeTable::query(int first, int last) const {
    first = std::max(first, 0);
    if (levels_.empty()) {
        return emptyRange();
    }
    last = std::min(last, static_cast<int>(levels_.front().size()) - 1);
    if (first > last) {
        return emptyRange();
    }
    // Two overlapping runs of the largest power of two that fits.
    const auto count = static_cast<unsigned>(last - first + 1);
    const int level = std::bit_width(count) - 1;
    const std::vector<ValueRange>& runs = levels_[static_cast<std::size_t>(level)];
    return combined(runs[static_cast<std::size_t>(first)],
                    runs[static_cast<std::size_t>(last - (1 << level) + 1)]);
}

}  // namespace kyrvana
