#pragma once

// The lowest and highest value over any run of consecutive sets, answered in
// constant time (a sparse table of ranges over runs of 1, 2, 4, ... sets), so
// that a point standing for hundreds of sets does not visit each of them.

#include <vector>

#include "core/preview/profile_set_shape.h"

namespace kyrvana {

class SetRangeTable {
  public:
    SetRangeTable() = default;
    // One range per set; sets that take no part hold an empty range
    // (emptyRange()).
    explicit SetRangeTable(const std::vector<ValueRange>& ranges);

    static ValueRange emptyRange();
    static bool isEmpty(const ValueRange& range) { return range.min > range.max; }

    // The combined range of sets first to last (inclusive); empty when no set
    // in between takes part or first > last.
    ValueRange query(int first, int last) const;

  private:
    std::vector<std::vector<ValueRange>> levels_;
};

}  // namespace kyrvana
