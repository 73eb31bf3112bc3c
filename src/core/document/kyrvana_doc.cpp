#include "core/document/kyrvana_doc.h"

#include <utility>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"
#include "core/device/device_vocabulary.h"
#include "core/device/exchange_tally.h"
#include "core/device/message_log.h"
#include "core/document/command_enabling.h"
#include "core/editor/sequence_view_model.h"

namespace kyrvana {
namespace {

// The revision text that carries the firmware revision.
constexpr int kFirmwareRevisionText = 2;

// The document whose observer currently feeds the message pane, so that a
// document being destroyed removes only its own observer.
std::atomic<CKyrvanaDoc*> logObserverOwner{nullptr};

}  // namespace

CKyrvanaDoc::CKyrvanaDoc(DocumentHost& host, DocumentOptions options)
    : host_(host), options_(std::move(options)) {
    link_.sysfsRoot = options_.sysfsRoot;
    link_.settleDelay = options_.settleDelay;
    link_.serial.setReadTimeoutMs(options_.readTimeoutMs);
    logObserverOwner.store(this);
    MessageLog::Instance().SetObserver(
        [](const std::string& line, void* context) {
            static_cast<CKyrvanaDoc*>(context)->LogLine(line);
        },
        this);
}

CKyrvanaDoc::~CKyrvanaDoc() {
    StopRequestThread();
    CKyrvanaDoc* self = this;
    if (logObserverOwner.compare_exchange_strong(self, nullptr)) {
        MessageLog::Instance().SetObserver({}, nullptr);
    }
    if (link_.serial.isOpen()) {
        link_.serial.CloseSerialPort();
    }
}

void CKyrvanaDoc::LogLine(const std::string& line) {
    host_.postLogLine(line);
}

Protocol CKyrvanaDoc::sequence() const {
    std::lock_guard lock(dataMutex_);
    return sequence_;
}

void CKyrvanaDoc::setSequence(Protocol sequence) {
    std::lock_guard lock(dataMutex_);
    sequence_ = std::move(sequence);
}

HardwareSettings CKyrvanaDoc::hardware() const {
    std::lock_guard lock(dataMutex_);
    return hardware_;
}

DisabledWells CKyrvanaDoc::disabledWells() const {
    std::lock_guard lock(dataMutex_);
    return disabledWells_;
}

void CKyrvanaDoc::setDisabledWells(const DisabledWells& wells) {
    std::lock_guard lock(dataMutex_);
    disabledWells_ = wells;
}

void CKyrvanaDoc::update(
    const std::function<void(Protocol&, HardwareSettings&, DisabledWells&)>& change) {
    std::lock_guard lock(dataMutex_);
    change(sequence_, hardware_, disabledWells_);
}

bool CKyrvanaDoc::IsCommandEnabled(int commandId) const {
    return isCommandEnabled(commandId, connected_.load());
}

// --- Connection -------------------------------------------------------------

DeviceResult CKyrvanaDoc::ConnectDevice() {
    // The settling wait alone takes two seconds in which nothing else shows
    // that the program has seen the device.
    host_.deviceStatusChanged(DeviceStatus::Connecting);
    // One operation: a device that stops answering costs one time-out.
    const auto operation = link_.BeginOperation();
    DeviceResult identified = link_.Connect();
    // A device that did not answer is not there as far as the user can
    // tell; its revision, never read, says nothing about its firmware.
    if (!link_.serial.isOpen() || identified.wentUnanswered()) {
        host_.deviceStatusChanged(restingStatus_);
        host_.errorBox(kDeviceNotDetectedMessage);
        return identified;
    }
    if (link_.firmwareRevisionCode < kMinimumFirmwareRevision) {
        host_.deviceStatusChanged(restingStatus_);
        host_.errorBox(firmwareTooOldMessage());
        // A revision that did not come is the reason, when it did not.
        return identified.keepFirstFailure(DeviceResult::failure(
            DeviceFailure::Unusable, command::QueryRev(kFirmwareRevisionText),
            cFormat("firmware revision %.3f is older than %.2f", link_.firmwareRevision / 1000.0,
                    kMinimumFirmwareRevision / 1000.0)));
    }

    // Items that were never stored leave the defaults; only a failed
    // exchange counts against the connection.
    std::string testName = "Test";
    std::string testNumber = "0001";
    ExchangeTally tally;
    {
        const auto recording = link_.Record(tally);
        std::vector<std::string> lines;
        if (link_.GetEepromData(eeprom::kTestName, lines) && !lines.empty()) {
            testName = lines.front();
        }
        if (link_.GetEepromData(eeprom::kTestNumber, lines) && !lines.empty()) {
            testNumber = lines.front();
        }
    }
    identified.keepFirstFailure(tally.first());
    const std::string deviceText = deviceDescription();
    host_.withView([&](SequenceViewModel& view) {
        view.testName = testName;
        view.testNumber = testNumber;
        view.deviceText = deviceText;
    });

    {
        std::lock_guard lock(dataMutex_);
        hardware_.FirmwareVersion = link_.firmwareRevision;
    }
    connected_.store(true);
    deviceReady_.store(true);
    host_.connectionChanged();
    restingStatus_ = DeviceStatus::Ready;
    host_.deviceStatusChanged(restingStatus_);
    return identified;
}

void CKyrvanaDoc::DisconnectDevice() {
    if (link_.serial.isOpen()) {
        auto hold = link_.Hold();
        link_.serial.CloseSerialPort();
    }
    if (connected_.load()) {
        restingStatus_ = DeviceStatus::Disconnected;
        host_.deviceStatusChanged(restingStatus_);
    }
    connected_.store(false);
    deviceReady_.store(false);
    host_.withView([](SequenceViewModel& view) { view.deviceText.clear(); });
    host_.connectionChanged();
}

std::string CKyrvanaDoc::firmwareTooOldMessage() {
    return cFormat(
               "This software requires firmware Rev %.2f or higher\nPlease update "
               "firmware:\n...\\Software\\Utilities\\UpdateFirmware\\UpdateFirmware.exe\n\nFor "
               "additional support contact ",
               kMinimumFirmwareRevision / 1000.0) +
           kSupportAddress + ".";
}

std::string CKyrvanaDoc::deviceDescription() const {
    return std::string(modelName(hardwareModel(link_.hardwareType))) + " on " + link_.portName;
}

}  // namespace kyrvana
