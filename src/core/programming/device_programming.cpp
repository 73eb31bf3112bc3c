#include "core/programming/device_programming.h"

#include <string>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"
#include "core/device/device_link.h"
#include "core/document/kyrvana_doc.h"
#include "core/editor/sequence_view_model.h"
#include "core/programming/sequence_text.h"
#include "core/programming/verify_device.h"

namespace kyrvana {
namespace {

DisabledWells disabledWellsFromMask(int value) {
    DisabledWells wells;
    wells.mask = static_cast<std::uint8_t>(value);
    for (int well = 0; well < DisabledWells::kWells; ++well) {
        wells.flags[static_cast<std::size_t>(well)] = (wells.mask >> well) & 1u;
    }
    return wells;
}

}  // namespace

DeviceResult writeEepromText(DeviceLink& link, int address, std::string_view text) {
    return link.SetEepromData(address, text);
}

DeviceResult writeSequenceText(DeviceLink& link, const DeviceSetTable& table,
                               std::int32_t repeatCount) {
    DeviceResult result =
        writeEepromText(link, eeprom::kSequenceText, buildSequenceText(table, repeatCount));
    return result.keepFirstFailure(
        link.UpdateFromSDIni(DeviceLink::kUpdateSourceEeprom, DeviceLink::kUpdateTestSequence));
}

DeviceResult readEepromText(DeviceLink& link, int address, std::vector<std::string>& lines) {
    return link.GetEepromData(address, lines);
}

DeviceResult readSequenceText(DeviceLink& link, DeviceSetTable& table, HardwareSettings& hardware) {
    std::vector<std::string> lines;
    if (DeviceResult result = readEepromText(link, eeprom::kSequenceText, lines); !result) {
        return result;
    }
    if (!parseSequenceLines(lines, table, hardware.RepeatTestSequence)) {
        return DeviceResult::failure(
            DeviceFailure::Unusable,
            command::GetEepromData(eeprom::kSequenceText, eeprom::kItemLengthBytes),
            cFormat("the stored sequence text has %zu lines, fewer than 3", lines.size()));
    }
    return {};
}

ProgrammingReport readProgrammedState(DeviceLink& link, ProgrammedState& state) {
    ProgrammingReport report;
    const auto recording = link.Record(report.exchanges);
    state.table.clear();
    DeviceResult sequence = readSequenceText(link, state.table, state.hardware);
    report.sequenceRead = sequence.ok();
    if (report.sequenceRead) {
        // A failed read leaves the code as it was.
        (void)link.GetEepromControlSettingsData(kVelocityCodeSetting,
                                                state.hardware.ForceVelocityCode);
    }

    int disabledMask = 0;
    if (!link.QueryInternalValue(internal_value::kDisabledWells, disabledMask)) {
        disabledMask = 0;  // no answer: every well in use
    }
    state.disabledWells = disabledWellsFromMask(disabledMask);

    std::uint32_t homingWord = 0;
    state.homingDisabled.reset();
    if (link.ReadDeviceWord(eeprom::kHomingDisabledWord, homingWord)) {
        state.homingDisabled = homingWord == 1;
    }
    report.outcome = sequence.keepFirstFailure(report.exchanges.first());
    return report;
}

DeviceResult beginReadingCommand(CKyrvanaDoc& document) {
    if (!document.link().serial.isOpen()) {
        return DeviceResult::failure(DeviceFailure::NoPort, {});
    }
    DocumentHost& host = document.host();
    host.withView([](SequenceViewModel& view) { view.clearMessages(); });
    if (!document.connected()) {
        host.errorBox(kNotConnectedMessage);
        return DeviceResult::failure(DeviceFailure::NoPort, {}, "no device connected");
    }
    return {};
}

namespace {

// After the operation's own texts, the window's pane says what went wrong
// when exchanges failed: the user looking at the window must not take the
// usual "Success" for a device that holds the sequence. An operation refused
// before anything was sent has said why in its box.
void appendProblemLines(CKyrvanaDoc& document, const ProgrammingReport& report,
                        const std::vector<std::string>& lines) {
    if (report.ok() || report.exchanges.sent() == 0) {
        return;
    }
    document.host().withView([&](SequenceViewModel& view) {
        for (const std::string& line : lines) {
            view.appendMessage(line + "\n");
        }
    });
}

}  // namespace

void installDeviceProgramming(CKyrvanaDoc& document) {
    document.programDevice = [](CKyrvanaDoc& doc) {
        const ProgrammingReport report = ProgramDevice(doc);
        appendProblemLines(doc, report, programmingProblemLines(report));
    };
    document.readDevice = [](CKyrvanaDoc& doc) {
        const ProgrammingReport report = ReadDevice(doc);
        appendProblemLines(doc, report,
                           {"the sequence was not read: " + report.outcome.describe()});
    };
    // Verify Device lists its own failures and differences in the pane.
    document.verifyDevice = [](CKyrvanaDoc& doc) { (void)VerifyDevice(doc); };
}

}  // namespace kyrvana
