#pragma once

// A small reader of udev rules files for tests: it runs the rules over one
// event the way systemd-udevd does, for the keys our rules use, so that a rule
// can be checked against a device without a kernel event. Any key or operator
// it does not know is reported instead of being skipped, so a rule it cannot
// judge fails its test.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kyrvana::test_support {

struct UdevDevice {
    std::string subsystem;
    std::string kernel;
    std::map<std::string, std::string> attributes;
};

struct UdevEvent {
    std::string action;
    // The device itself first, then its parents up to the root.
    std::vector<UdevDevice> chain;
};

struct UdevOutcome {
    std::set<std::string> tags;
    std::map<std::string, std::string> environment;
    // The first line that could not be read ("file line: reason"); empty when all were.
    std::string error;
};

UdevOutcome applyUdevRules(const std::string& rulesText, const UdevEvent& event);

}  // namespace kyrvana::test_support
