#include "core/programming/device_programming.h"

#include "core/device/device_link.h"
#include "core/programming/sequence_text.h"
#include "core/protocol/kyrvana_doc.h"

namespace kyrvana {

int writeEepromText(DeviceLink& link, int address, std::string_view text) {
    link.SetEepromData(address, text);
    return 1;
}

int writeSequenceText(DeviceLink& link, const DeviceSetTable& table, std::int32_t repeatCount) {
    writeEepromText(link, kSequenceTextAddress, buildSequenceText(table, repeatCount));
    link.UpdateFromSDIni(DeviceLink::kUpdateSourceEeprom, DeviceLink::kUpdateTestSequence);
    return 1;
}

int readEepromText(DeviceLink& link, int address, std::vector<std::string>& lines) {
    return link.GetEepromData(address, lines) ? 1 : 0;
}

int readSequenceText(DeviceLink& link, DeviceSetTable& table, HardwareSettings& hardware) {
    std::vector<std::string> lines;
    readEepromText(link, kSequenceTextAddress, lines);
    if (parseSequenceLines(lines, table, hardware.RepeatTestSequence) != 1) {
        return -1;
    }
    // A failed read leaves the code as it was.
    link.GetEepromControlSettingsData(kVelocityCodeSetting, hardware.ForceVelocityCode);
    return 1;
}

void installDeviceProgramming(CKyrvanaDoc& document) {
    document.programDevice = ProgramDevice;
    document.readDevice = ReadDevice;
}

}  // namespace kyrvana
