#include "core/protocol/protocol.h"

#include <cstddef>

namespace kyrvana {

void Protocol::clear() {
    sets.clear();
    columns.clear();
}

void Protocol::append(const SetRecord& set) {
    sets.push_back(set);
}

bool Protocol::insert(int index, const SetRecord& set) {
    if (index < 0 || index > setCount()) {
        return false;
    }
    sets.insert(sets.begin() + index, set);
    return true;
}

bool Protocol::remove(int index) {
    if (!hasSet(index)) {
        return false;
    }
    sets.erase(sets.begin() + index);
    return true;
}

const SetRecord* Protocol::setAt(int index) const {
    return hasSet(index) ? &sets[static_cast<std::size_t>(index)] : nullptr;
}

SetRecord* Protocol::setAt(int index) {
    return hasSet(index) ? &sets[static_cast<std::size_t>(index)] : nullptr;
}

std::int32_t Protocol::numRepsAt(int index) const {
    const SetRecord* set = setAt(index);
    return set != nullptr ? set->numReps : 0;
}

}  // namespace kyrvana
