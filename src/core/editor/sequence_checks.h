#pragma once

// The checks a whole sequence must pass before it is saved or programmed. The
// per-set limits were checked when each set was edited; these concern the
// sequence as a whole and the values of the form around it.

#include <string>
#include <vector>

namespace kyrvana {

class SequenceViewModel;

struct SequenceCheck {
    // The texts to show the user, in order, each in a box without an icon: a
    // warning about a cleaned test name may come before the failure.
    std::vector<std::string> messages;
    bool passed = false;
};

// Runs the checks in order and stops at the first failure. It cleans the test
// name (with a warning when it had to), refuses one longer than the device
// keeps, and takes the repeat count from the form's field.
SequenceCheck checkSequence(SequenceViewModel& view);

}  // namespace kyrvana
