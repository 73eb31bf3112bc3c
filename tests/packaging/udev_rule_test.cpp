// The stimulator's udev rule, run over the events of its port and of other
// ports. The machines that run the tests have no USB stimulator in /sys, so
// `udevadm test` cannot be pointed at one; the package check runs udevadm over
// the installed rule for its syntax.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/device/port_list.h"
#include "udev_rules.h"

namespace kyrvana {
namespace {

using test_support::UdevDevice;
using test_support::UdevEvent;
using test_support::UdevOutcome;

// "VID_03EB" -> "03eb": sysfs spells the ids in lower-case hex.
std::string sysfsId(std::string_view tag) {
    std::string id(tag.substr(tag.find('_') + 1));
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return id;
}

// A CDC ACM port as the kernel presents it: the tty, the USB interface the
// cdc_acm driver is bound to, the USB device with the ids, the root hub.
UdevEvent portEvent(const std::string& action, const std::string& vendor,
                    const std::string& product) {
    UdevEvent event;
    event.action = action;
    event.chain = {
        UdevDevice{"tty", "ttyACM0", {{"dev", "166:0"}}},
        UdevDevice{"usb", "1-2:1.0", {{"bInterfaceClass", "02"}}},
        UdevDevice{"usb", "1-2", {{"idVendor", vendor}, {"idProduct", product}}},
        UdevDevice{"usb", "usb1", {{"idVendor", "1d6b"}, {"idProduct", "0002"}}},
    };
    return event;
}

std::string ruleText() {
    std::ifstream in(KYRVANA_UDEV_RULE_FILE);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kVendor = sysfsId(kStimulatorVendorTag);
const std::string kProduct = sysfsId(kStimulatorProductTag);

TEST(UdevRuleTest, GivesTheDesktopUserTheStimulatorsPortAndKeepsModemManagerAway) {
    const std::string rules = ruleText();
    ASSERT_FALSE(rules.empty()) << KYRVANA_UDEV_RULE_FILE;
    // "add" when it is plugged in, "change" when udevadm trigger applies a new rule.
    for (const char* action : {"add", "change"}) {
        UdevOutcome outcome = applyUdevRules(rules, portEvent(action, kVendor, kProduct));
        ASSERT_EQ(outcome.error, "");
        EXPECT_TRUE(outcome.tags.count("uaccess")) << action;
        EXPECT_EQ(outcome.environment["ID_MM_DEVICE_IGNORE"], "1") << action;
    }
}

TEST(UdevRuleTest, LeavesOtherDevicesAlone) {
    const std::string rules = ruleText();
    struct Case {
        const char* what;
        UdevEvent event;
    };
    UdevEvent usbDevice = portEvent("add", kVendor, kProduct);
    usbDevice.chain.erase(usbDevice.chain.begin(), usbDevice.chain.begin() + 2);
    const Case cases[] = {
        {"same maker, other product", portEvent("add", kVendor, "2405")},
        {"other maker, same product", portEvent("add", "0403", kProduct)},
        {"another serial adapter", portEvent("add", "0403", "6001")},
        {"the stimulator unplugged", portEvent("remove", kVendor, kProduct)},
        {"the stimulator's USB device, not its port", usbDevice},
    };
    for (const Case& c : cases) {
        const UdevOutcome outcome = applyUdevRules(rules, c.event);
        ASSERT_EQ(outcome.error, "") << c.what;
        EXPECT_TRUE(outcome.tags.empty()) << c.what;
        EXPECT_TRUE(outcome.environment.empty()) << c.what;
    }
}

// logind's seat rules turn the "uaccess" tag into the user's access; they
// only see tags that rules sorting before them have set.
TEST(UdevRuleTest, SortsBeforeTheSeatRulesThatReadItsTag) {
    const std::string name = std::filesystem::path(KYRVANA_UDEV_RULE_FILE).filename().string();
    EXPECT_LT(name, "71-seat.rules");
    EXPECT_LT(name, "73-seat-late.rules");
}

// The reader refuses what udev refuses and what it cannot judge, so that a
// broken rule cannot pass the tests above.
TEST(UdevRuleTest, TheReaderRefusesRulesItCannotJudge) {
    const UdevEvent event = portEvent("add", kVendor, kProduct);
    for (const char* rule : {
             "SUBSYSTEM==\"tty\", ATTRS{idVendor}=\"03eb\", TAG+=\"uaccess\"\n",
             "SUBSYSTEM==\"tty\", ATTRS{idVendor}==03eb, TAG+=\"uaccess\"\n",
             "SUBSYSTEM==\"tty\", DRIVERS==\"cdc_acm\", TAG+=\"uaccess\"\n",
         }) {
        EXPECT_NE(applyUdevRules(rule, event).error, "") << rule;
    }
}

}  // namespace
}  // namespace kyrvana
