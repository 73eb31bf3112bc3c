#include "core/programming/verify_device.h"

#include "core/device/device_link.h"
#include "core/device/device_vocabulary.h"
#include "core/device/exchange_tally.h"
#include "core/document/kyrvana_doc.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/device_programming.h"
#include "core/programming/sequence_verification.h"

namespace kyrvana {
namespace {

// The number the device's test number item stands for when it holds none, as
// the connection shows it.
constexpr const char* kDefaultTestNumber = "0001";

// What Program Device would write now: the view's working sequence, its
// repeat field as the checks would take it, its test name, number and homing
// box, and the document's disabled wells and velocity code.
TestToProgram testInTheWindow(CKyrvanaDoc& document) {
    TestToProgram test;
    document.host().withView([&](SequenceViewModel& view) {
        SequenceViewModel fields = view;
        fields.takeRepeatCountFromField();
        test.sequence = fields.workingSequence;
        test.repeatCount = fields.repeatCount;
        test.testName = fields.testName;
        test.testNumber = fields.testNumber;
        test.homingDisabled = fields.homingDisabled;
    });
    test.disabledWellsMask = document.disabledWells().mask;
    test.velocityCode = document.hardware().ForceVelocityCode;
    return test;
}

// The first line of a counted text item; `absent` when the item holds no
// line or cannot be used (an erased item reads as a length over eeprom::kItemLengthLimit).
std::string firstLineOf(DeviceLink& link, int address, const char* absent) {
    std::vector<std::string> lines;
    const DeviceResult read = readEepromText(link, address, lines);
    return read && !lines.empty() ? lines.front() : std::string(absent);
}

// Read Device's reading, then the test name and number. Only a failed
// exchange fails the read: a stored sequence text that cannot be used means
// that the device holds no sequence, which is a difference to report.
DeviceResult readDeviceContents(DeviceLink& link, DeviceContents& contents) {
    ExchangeTally exchanges;
    const auto recording = link.Record(exchanges);
    ProgrammedState state;
    const ProgrammingReport report = readProgrammedState(link, state);
    if (report.sequenceRead) {
        contents.sets = usedDeviceSets(state.table);
        contents.repeatCount = state.hardware.RepeatTestSequence;
        contents.velocityCode = state.hardware.ForceVelocityCode;
    }
    contents.disabledWellsMask = state.disabledWells.mask;
    contents.homingDisabled = state.homingDisabled.value_or(false);
    // The name is taken as stored: an empty name may have been programmed.
    contents.testName = firstLineOf(link, eeprom::kTestName, "");
    contents.testNumber = firstLineOf(link, eeprom::kTestNumber, kDefaultTestNumber);
    return exchanges.first();
}

std::string paneText(const VerifyReport& report) {
    if (!report.read) {
        return kVerifyReadFailedMessage + report.read.describe() + "\n";
    }
    return comparisonText(report);
}

}  // namespace

std::string comparisonText(const VerifyReport& report) {
    if (report.differences.empty()) {
        return std::string(kDeviceMatchesMessage) + "\n";
    }
    std::string text;
    for (const std::string& line : report.differences) {
        text += line + "\n";
    }
    return text;
}

VerifyReport VerifyDevice(CKyrvanaDoc& document) {
    DeviceLink& link = document.link();
    DocumentHost& host = document.host();
    // Stops at the first exchange the device does not answer.
    const auto operation = link.BeginOperation();
    VerifyReport report;
    if (report.read = beginReadingCommand(document); !report.read) {
        return report;
    }

    const TestToProgram test = testInTheWindow(document);
    DeviceContents held;
    report.read = readDeviceContents(link, held);
    if (report.read) {
        report.differences = listDifferences(held, deviceFormOf(test));
    }
    const std::string text = paneText(report);
    host.withView([&](SequenceViewModel& view) { view.appendMessage(text); });
    return report;
}

}  // namespace kyrvana
