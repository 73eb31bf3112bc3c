// Finding the stimulator among the serial ports, connecting to it and
// learning what it is: revision texts, hardware type, load cell calibration
// and the actuators' micrometres per microstep.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"
#include "core/device/device_link.h"
#include "core/device/device_vocabulary.h"
#include "core/device/exchange_tally.h"
#include "core/device/message_log.h"
#include "core/device/port_list.h"
#include "core/device/port_open_problem.h"
#include "core/device/revision_texts.h"
#include "kyrvana/project_identity.h"

namespace kyrvana {
namespace {

constexpr int kRevisionCount = 4;  // QueryRev 0 to 3
constexpr int kTestStateCapacity = 512;
constexpr const char* kSoftwareVersionLine = "Software Version " KYRVANA_VERSION "\n";

// Hardware type 1 is an older P7; any type above 2 is no model this program
// knows.
std::string hardwareTypeLine(std::uint8_t type) {
    if (type > kHardwareTypeQ3) {
        return "Error Detecting Hardware Type\n";
    }
    return std::string(modelName(hardwareModel(type))) + "\n";
}

// The comma-separated fields of a calibration line.
std::vector<std::string_view> splitAtCommas(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(
            line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// A float as the device stores it; numbers beyond its range become its largest.
float toFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float>(std::isnan(value) ? value : std::clamp(value, -kLargest, kLargest));
}

}  // namespace

void DeviceLink::RefreshPorts() {
    ports = listUsbSerialPorts(sysfsRoot);
}

bool DeviceLink::DetectDevice() {
    // The port list and name belong to whoever holds the link: a dialog's
    // worker may be using them while the request thread polls for presence.
    auto hold = Hold();
    RefreshPorts();
    const auto found = findStimulatorPort(ports);
    if (!found) {
        return false;
    }
    if (portName != ports[*found].portName) {
        portName = ports[*found].portName;
        PublishSnapshot();
    }
    return true;
}

DeviceSnapshot DeviceLink::Snapshot() const {
    std::lock_guard lock(snapshotMutex_);
    return snapshot_;
}

void DeviceLink::PublishSnapshot() {
    DeviceSnapshot next;
    next.portName = portName;
    next.revisions = revisions;
    next.hardwareType = hardwareType;
    next.hardwareRevision = hardwareRevision;
    next.firmwareRevision = firmwareRevision;
    next.fullScaleLoad = fullScaleLoad;
    next.loadCellGain = loadCellGain;
    next.umPerUstep = umPerUstep;
    std::lock_guard lock(snapshotMutex_);
    snapshot_ = std::move(next);
}

DeviceResult DeviceLink::Connect() {
    // Whatever the identification got to, also when it stopped early.
    DeviceResult result = OpenAndIdentify();
    PublishSnapshot();
    return result;
}

DeviceResult DeviceLink::OpenAndIdentify() {
    // A device that does not answer is found out by its first query, not by
    // one time-out per query.
    const auto operation = BeginOperation();
    openProblem = PortOpenProblem::Other;
    if (OpenPort() != SerialOk) {
        // The port's own line has the system's error number; say what to do.
        openProblem = diagnosePortOpen(portName);
        const std::string explanation =
            portOpenProblemText(openProblem, portName, udevRuleInstalled());
        if (!explanation.empty()) {
            MessageLog::Instance().Write(explanation);
        }
        return DeviceResult::failure(DeviceFailure::NoPort, {},
                                     portName.empty() ? "no port found" : portName);
    }
    // The stimulator restarts when its port opens and ignores commands until
    // it is up.
    std::this_thread::sleep_for(settleDelay);
    // Whatever arrived before (its start-up, the rest of an answer to a
    // program that was interrupted) answers nothing this program asked.
    (void)serial.FlushInput();

    DeviceResult first = ReadRevisions();
    if (first.wentUnanswered()) {
        return first;
    }

    // Only failed exchanges count from here on: an EEPROM item that was
    // never stored (a device without a calibration) is not a failure of the
    // connection, and the values keep their defaults.
    ExchangeTally rest;
    {
        auto recording = Record(rest);
        int value = 0;
        internalValue4 = QueryInternalValue(internal_value::kConfiguration, value) ? value : 0;
        value = 0;
        // The type is a byte on the device; a larger answer keeps its low byte.
        const DeviceResult type = QueryInternalValue(internal_value::kHardwareType, value);
        hardwareType = type ? static_cast<std::uint8_t>(value) : std::uint8_t{0};
        // A device that said nothing is named as no model.
        if (!type.wentUnanswered()) {
            MessageLog::Instance().Write(hardwareTypeLine(hardwareType));
        }

        (void)ReadWellCalibration();
        for (int well = 0; well < kWellCount; ++well) {
            (void)QueryUmPerUstep(well, umPerUstep[static_cast<std::size_t>(well)]);
        }
    }
    return first.keepFirstFailure(rest.first());
}

DeviceResult DeviceLink::ReadRevisions() {
    auto hold = Hold();
    // The first answers after the device starts can be stale; read them once
    // and throw them away. Their failures do not count either: a device that
    // is still starting may miss them.
    std::string text;
    for (int index = 0; index < kRevisionCount; ++index) {
        (void)QueryRev(index, text);
    }

    // A failed query keeps the text before it, so there are always four.
    DeviceResult first;
    revisions.clear();
    std::string working;
    for (int index = 0; index < kRevisionCount; ++index) {
        first.keepFirstFailure(QueryRev(index, working));
        revisions.push_back(working);
    }

    // Texts that never came are not logged as if the device had sent them.
    if (!first.wentUnanswered()) {
        MessageLog& log = MessageLog::Instance();
        log.Write("\n" + revisions[0] + "\n");
        for (int index = 1; index < kRevisionCount; ++index) {
            log.Write(revisions[static_cast<std::size_t>(index)] + "\n");
        }
        log.Write(kSoftwareVersionLine);
    }

    hardwareRevision = hardwareRevisionFromText(revisions[3]);
    firmwareRevision = firmwareRevisionFromText(revisions[2]);
    // The document's firmware check reads the code; it always follows the
    // revision, so a device without one can never pass on an earlier value.
    firmwareRevisionCode = firmwareRevision;
    return first;
}

DeviceResult DeviceLink::ReadWellCalibration() {
    std::vector<std::string> lines;
    if (DeviceResult result = GetEepromData(eeprom::kCalibration, lines); !result) {
        return result;
    }
    // One line per well, well 1 first: full scale, gain, zero. Extra lines
    // are ignored; an empty line, or a field that is missing, leaves the
    // well's values as they were.
    const std::size_t wells = std::min<std::size_t>(lines.size(), kWellCount);
    for (std::size_t well = 0; well < wells; ++well) {
        if (lines[well].empty()) {
            continue;
        }
        const std::vector<std::string_view> fields = splitAtCommas(lines[well]);
        fullScaleLoad[well] = toFloat(cAtof(fields[0]));
        if (fields.size() > 1) {
            loadCellGain[well] = cAtof(fields[1]);
        }
        if (fields.size() > 2) {
            loadCellZero[well] = static_cast<std::uint16_t>(cAtoi(fields[2]));
        }
    }
    PublishSnapshot();
    return {};
}

DeviceResult DeviceLink::QueryTestState(int& state) {
    return QueryInteger(command::kQueryTestState, kTestStateCapacity, state);
}

}  // namespace kyrvana
