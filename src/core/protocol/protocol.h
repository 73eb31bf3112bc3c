#pragma once

// A test sequence: the sets in the order the device runs them, and the column
// layout of the protocol file it was last read from or written to.

#include <cstdint>
#include <vector>

#include "core/protocol/instruction.h"
#include "core/protocol/set_record.h"

namespace kyrvana {

struct Protocol {
    std::vector<SetRecord> sets;
    std::vector<Instruction> columns;

    int setCount() const { return static_cast<int>(sets.size()); }
    bool hasSet(int index) const { return index >= 0 && index < setCount(); }

    // Removes every set and every column.
    void clear();
    void append(const SetRecord& set);
    // Inserts before index; index == setCount() appends. False (and nothing
    // changes) for an index outside 0..setCount().
    bool insert(int index, const SetRecord& set);
    // False (and nothing changes) for an index outside the list.
    bool remove(int index);
    // nullptr for an index outside the list.
    const SetRecord* setAt(int index) const;
    SetRecord* setAt(int index);
    // The repetitions of a set, 0 for an index outside the list.
    std::int32_t numRepsAt(int index) const;

    friend bool operator==(const Protocol&, const Protocol&) = default;
};

}  // namespace kyrvana
