// The stimulator's udev rule, read as text. The machines that run the tests
// have no USB stimulator in /sys for `udevadm test` to be pointed at, and
// Debian 12's udevadm cannot check a single file, so the package check has
// udevadm read the installed rule for its syntax; here, each rule line is
// compared part by part with what the port needs, its USB ids taken from the
// ids the program looks for.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/device/port_list.h"

namespace kyrvana {
namespace {

using RuleLine = std::set<std::string>;

// The file's rule lines without comments and blank lines, each as its
// KEY{attribute}OP"value" parts. A line with anything else in it (a value
// without quotes, a continuation) is kept whole, so that it matches nothing.
std::vector<RuleLine> ruleLines(const std::string& file) {
    static const std::regex part(R"re(\s*([A-Z_]+(\{\w+\})?(==|!=|\+=|:=|=)"[^"]*")\s*(,|$))re");
    std::vector<RuleLine> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        RuleLine parts;
        std::smatch match;
        auto rest = line.cbegin();
        while (rest != line.cend() && std::regex_search(rest, line.cend(), match, part,
                                                        std::regex_constants::match_continuous)) {
            parts.insert(match[1]);
            rest = match[0].second;
        }
        lines.push_back(rest == line.cend() ? parts : RuleLine{line});
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
