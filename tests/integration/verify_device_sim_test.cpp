// Verify Device against the simulated stimulator over a real pseudo-terminal:
// a test just programmed matches, a byte changed in the device's EEPROM
// behind the program's back is named, and a device that stops answering is
// reported as a read that failed. The document is never changed.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/device/device_vocabulary.h"
#include "core/programming/device_programming.h"
#include "core/programming/sequence_verification.h"
#include "core/programming/verify_device.h"
#include "integration/programming_sim_support.h"

namespace kyrvana {
namespace {

using Lines = std::vector<std::string>;
using Kind = sim::SimulatorFault::Kind;

// Everything of the document and the view that Verify Device must leave
// alone.
struct Snapshot {
    Protocol sequence;
    HardwareSettings hardware;
    std::uint8_t disabledMask;
    Protocol working;
    std::string repeatText;
    std::string testName;
    bool homingDisabled;

    bool operator==(const Snapshot&) const = default;
};

class VerifyDeviceSimTest : public test::SimDocumentTest {
  protected:
    void SetUp() override {
        SimDocumentTest::SetUp();
        // Fractions the device drops, names longer than it keeps, a test name
        // that programming cleans, every time unit.
        test::prepareView(host_, test::tenSetSequence(), "2", "Culture/4", false);
        document_.update([](Protocol&, HardwareSettings& hardware, DisabledWells&) {
            hardware.ForceVelocityCode = 7;
        });
    }

    void program() {
        const ProgrammingReport report = ProgramDevice(document_);
        ASSERT_TRUE(report.ok()) << report.outcome.describe();
    }

    Snapshot snapshot() const {
        const SequenceViewModel view = host_.view();
        return {document_.sequence(), document_.hardware(), document_.disabledWells().mask,
                view.workingSequence, view.repeatText,      view.testName,
                view.homingDisabled};
    }

    // Replaces the first occurrence of `from` in the stored sequence text.
    void changeSequenceText(const std::string& from, const std::string& to) {
        const std::string text = sim().eepromItem(eeprom::kSequenceText);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        sim().writeEepromBytes(
            eeprom::kSequenceText + eeprom::kItemLengthBytes + static_cast<int>(at), to);
    }
};

TEST_F(VerifyDeviceSimTest, ATestJustProgrammedMatchesAndNothingChanges) {
    DisabledWells wells;
    wells.flags = {0, 1, 0, 0, 1, 0};
    wells.mask = 0x12;
    document_.setDisabledWells(wells);
    host_.withView([](SequenceViewModel& view) { view.homingDisabled = true; });
    program();
    const Snapshot before = snapshot();
    sim().clearReceivedCommands();

    const VerifyReport report = VerifyDevice(document_);

    EXPECT_TRUE(report.matches()) << report.read.describe();
    EXPECT_EQ(host_.view().messagePane, "Device matches the sequence\r\n");
    EXPECT_EQ(snapshot(), before);
    // Only reads: nothing was written to the device.
    for (const std::string& command : sim().receivedCommands()) {
        const bool read = command.starts_with("Get") || command.starts_with("Query") ||
                          command.starts_with("\x1CO(");
        EXPECT_TRUE(read) << command;
    }
}

TEST_F(VerifyDeviceSimTest, AByteChangedOnTheDeviceIsNamed) {
    struct Case {
        const char* what;
        std::function<void()> change;
        Lines differences;
    };
    const Case cases[] = {
        // The second set holds 100 ms in minutes.
        {"a set's hold duration",
         [&] { changeSequenceText("Set number 1 of,1250,100,", "Set number 1 of,1250,900,"); },
         {"Set 2 Hold Dur.: device 0.015 (m), sequence 0.002 (m)"}},
        {"the test name",
         [&] { sim().writeEepromBytes(eeprom::kTestName + 2, "K"); },
         {"Test Name: device \"Kulture_4\", sequence \"Culture_4\""}},
        {"the homing word",
         [&] { sim().setInternalValue(internal_value::kHomingDisabled, 1); },
         {"Disable Homing: device yes, sequence no"}},
        {"the disabled wells",
         [&] { sim().setInternalValue(internal_value::kDisabledWells, 0x04); },
         {"Disabled Wells: device 3, sequence none"}},
        // Control setting 3 of well 0, a 32-bit word in the settings block.
        {"the velocity code",
         [&] { sim().writeEepromBytes(eeprom::kControlSettings + 3 * 4, "\x05"); },
         {"Force Control Velocity Code: device 5, sequence 7"}},
        // An empty item, as on a device never programmed: no sequence to run.
        {"the sequence text",
         [&] { sim().writeEepromItem(eeprom::kSequenceText, ""); },
         {"Sets: device 0, sequence 10", "Repeats of Entire Sequence: device none, sequence 2"}},
    };
    for (const Case& c : cases) {
        program();
        ASSERT_EQ(sim().controlSetting(0, 3), 7u);
        c.change();
        const Snapshot before = snapshot();

        const VerifyReport report = VerifyDevice(document_);

        EXPECT_TRUE(report.read.ok()) << c.what << ": " << report.read.describe();
        EXPECT_EQ(report.differences, c.differences) << c.what;
        std::string pane;
        for (const std::string& line : c.differences) {
            pane += line + "\r\n";
        }
        EXPECT_EQ(host_.view().messagePane, pane) << c.what;
        EXPECT_EQ(snapshot(), before) << c.what;
    }
}

TEST_F(VerifyDeviceSimTest, ADeviceThatStopsAnsweringIsAReadThatFailed) {
    program();
    const Snapshot before = snapshot();
    // The last item Verify reads goes unanswered: everything before it was
    // read, and still nothing is compared: the pane names no difference.
    sim().addFault({Kind::NoAnswer, "GetEepromData(4096", 0, 0, 0});

    VerifyReport report = VerifyDevice(document_);
    EXPECT_EQ(report.read.why(), DeviceFailure::Timeout);
    EXPECT_EQ(report.read.command(), "GetEepromData(4096, 2)");
    EXPECT_EQ(host_.view().messagePane,
              "Could not read the device: no answer to \"GetEepromData(4096, 2)\" within the "
              "read time-out\r\n");

    // Unplugged while the document still takes it for connected.
    sim().clearFaults();
    sim().hangUp();
    report = VerifyDevice(document_);
    EXPECT_FALSE(report.matches());
    EXPECT_EQ(host_.view().messagePane.rfind(kVerifyReadFailedMessage, 0), 0u)
        << host_.view().messagePane;
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace kyrvana
