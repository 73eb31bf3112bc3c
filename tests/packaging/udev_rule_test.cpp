// The stimulator's udev rule, read as text. The machines that run the tests
// have no USB stimulator in /sys for `udevadm test` to be pointed at, and
// Debian 12's udevadm cannot check a single file, so the package check has
// udevadm read the installed rule for its syntax; here, each rule line is
// compared part by part with what the port needs, its USB ids taken from the
// ids the program looks for.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/device/port_list.h"

namespace kyrvana {
namespace {

using RuleLine = std::set<std::string>;

// Takes one KEY{attribute}OP"value" part, and the comma after it, from the
// front of `rest`; false when the front is anything else.
bool takePart(std::string_view& rest, std::string& part) {
    const auto skipBlanks = [&rest] {
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
            rest.remove_prefix(1);
        }
    };
    skipBlanks();
    std::size_t at = 0;
    while (at < rest.size() && ((rest[at] >= 'A' && rest[at] <= 'Z') || rest[at] == '_')) {
        ++at;
    }
    if (at < rest.size() && rest[at] == '{') {
        at = rest.find('}', at);
        at = at == std::string_view::npos ? at : at + 1;
    }
    const std::size_t open = at == 0 ? std::string_view::npos : rest.find('"', at);
    const std::size_t close = open == std::string_view::npos ? open : rest.find('"', open + 1);
    static const std::set<std::string_view> operators = {"==", "!=", "+=", ":=", "="};
    if (close == std::string_view::npos || !operators.count(rest.substr(at, open - at))) {
        return false;
    }
    part = rest.substr(0, close + 1);
    rest.remove_prefix(close + 1);
    skipBlanks();
    if (rest.empty()) {
        return true;
    }
    const bool comma = rest.front() == ',';
    rest.remove_prefix(comma ? 1 : 0);
    return comma;
}

// The file's rule lines without comments and blank lines, each as its
// KEY{attribute}OP"value" parts. A line with anything else in it (a value
// without quotes, a continuation) is kept whole, so that it matches nothing.
std::vector<RuleLine> ruleLines(const std::string& file) {
    std::vector<RuleLine> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        RuleLine parts;
        std::string_view rest = line;
        for (std::string part; !rest.empty() && takePart(rest, part);) {
            parts.insert(part);
        }
        lines.push_back(rest.empty() ? parts : RuleLine{line});
    }
    return lines;
}

TEST(UdevRuleTest, GivesTheDesktopUserTheStimulatorsPortAndKeepsModemManagerAway) {
    const std::vector<RuleLine> expected = {
        // A port that goes away needs nothing.
        {R"(ACTION=="remove")", R"(GOTO="kyrvana_end")"},
        // The tty itself (ATTRS finds the ids on its USB parent), tagged with
        // += so that the tags other rules gave it stay.
        {R"(SUBSYSTEM=="tty")", "ATTRS{idVendor}==\"" + sysfsUsbId(kStimulatorVendorTag) + '"',
         "ATTRS{idProduct}==\"" + sysfsUsbId(kStimulatorProductTag) + '"', R"(TAG+="uaccess")",
         R"(ENV{ID_MM_DEVICE_IGNORE}="1")"},
        {R"(LABEL="kyrvana_end")"},
    };
    EXPECT_EQ(ruleLines(KYRVANA_UDEV_RULE_FILE), expected) << KYRVANA_UDEV_RULE_FILE;
}

// logind's seat rules turn the "uaccess" tag into the user's access; they
// only see tags that rules sorting before them have set.
TEST(UdevRuleTest, SortsBeforeTheSeatRulesThatReadItsTag) {
    const std::string name = std::filesystem::path(KYRVANA_UDEV_RULE_FILE).filename().string();
    EXPECT_LT(name, "71-seat.rules");
    EXPECT_LT(name, "73-seat-late.rules");
}

}  // namespace
}  // namespace kyrvana
