#include "core/protocol/kyrvana_doc.h"

#include <utility>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/device/command_enabling.h"
#include "core/device/command_texts.h"
#include "core/device/device_vocabulary.h"
#include "core/device/exchange_tally.h"
#include "core/device/message_log.h"
#include "core/device/test_state.h"
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

void CKyrvanaDoc::PostRequest(DeviceRequest request) {
    {
        std::lock_guard lock(wakeMutex_);
        pendingRequest_.store(request);
        ++postGeneration_;
    }
    wake_.notify_all();
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

// --- The request thread -------------------------------------------------------

void CKyrvanaDoc::StartRequestThread() {
    if (threadRunning_.load()) {
        return;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    stopping_.store(false);
    threadRunning_.store(true);
    thread_ = std::thread([this] { RequestLoop(); });
}

void CKyrvanaDoc::StopRequestThread() {
    {
        std::lock_guard lock(wakeMutex_);
        stopping_.store(true);
    }
    wake_.notify_all();
    link_.serial.WakeReads();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool CKyrvanaDoc::WaitFor(std::chrono::steady_clock::time_point until, std::uint64_t generation) {
    std::unique_lock lock(wakeMutex_);
    wake_.wait_until(lock, until,
                     [&] { return stopping_.load() || postGeneration_ != generation; });
    return !stopping_.load();
}

void CKyrvanaDoc::RequestLoop() {
    using Clock = std::chrono::steady_clock;
    // The first presence check happens at once.
    Clock::time_point lastPoll{};
    bool polledOnce = false;

    while (!stopping_.load()) {
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(wakeMutex_);
            generation = postGeneration_;
        }
        Dispatch(pendingRequest_.load());
        if (stopping_.load()) {
            break;
        }

        if (autoConnect_.load() &&
            (!polledOnce || Clock::now() - lastPoll > options_.pollInterval)) {
            const bool loopMustEnd = PollConnection();
            ++presenceChecks_;
            if (loopMustEnd) {
                break;
            }
            lastPoll = Clock::now();
            polledOnce = true;
        }

        // Sleep until the next presence check or until a request is posted.
        const Clock::time_point until =
            autoConnect_.load() ? lastPoll + options_.pollInterval + std::chrono::milliseconds(1)
                                : Clock::now() + std::chrono::hours(1);
        WaitFor(until, generation);
    }
    threadRunning_.store(false);
}

bool CKyrvanaDoc::PollConnection() {
    const bool present = link_.DetectDevice();
    portPresent_.store(present);
    if (!homingBoxShown_) {
        // The "Disable Homing" choice appears once detection has run.
        homingBoxShown_ = true;
        host_.withView([](SequenceViewModel& view) { view.homingBoxVisible = true; });
    }
    if (present && !connected_.load()) {
        // A device that cannot be opened or identified, or whose firmware is
        // too old, has been reported once; polling stops for this run rather
        // than repeating the message every second.
        (void)ConnectDevice();
        return !connected_.load();
    }
    if (!present && connected_.load()) {
        DisconnectDevice();
    }
    return false;
}

void CKyrvanaDoc::Dispatch(DeviceRequest request) {
    switch (request) {
        case DeviceRequest::Idle:
            return;
        case DeviceRequest::ReadDevice:
            RunOperation(readDevice, DeviceStatus::Reading);
            break;
        case DeviceRequest::VerifyDevice:
            RunOperation(verifyDevice, DeviceStatus::Verifying);
            break;
        case DeviceRequest::ProgramDevice:
            if (ConfirmedDespiteRunningTest()) {
                RunOperation(programDevice, DeviceStatus::Programming);
            }
            break;
        case DeviceRequest::AccessTestData:
            AccessTestData();
            break;
        case DeviceRequest::ManualConnect:
            autoConnect_.store(false);
            DisconnectDevice();
            (void)ConnectDevice();
            break;
    }
    // Clear the request unless a new one was posted while this one ran.
    DeviceRequest expected = request;
    pendingRequest_.compare_exchange_strong(expected, DeviceRequest::Idle);
}

void CKyrvanaDoc::RunOperation(const DeviceOperation& operation, DeviceStatus status) {
    if (operation) {
        host_.deviceStatusChanged(status);
        operation(*this);
        host_.deviceStatusChanged(restingStatus_);
    }
    host_.withView([](SequenceViewModel&) {});
}

void CKyrvanaDoc::AccessTestData() {
    if (link_.serial.isOpen() && !connected_.load()) {
        host_.errorBox(kNotConnectedMessage);
        return;
    }
    if (deviceTestInProgress(link_)) {
        host_.errorBox(kTestDataWhileTestRunsMessage);
        return;
    }
    host_.runTestDataDialog(link_);
}

// Writing a new sequence, test name and settings into a device in the middle
// of a test changes what it runs from then on and what its data file says it
// ran, so the user is asked first; No, the default, sends nothing more. With
// no port open there is nothing to ask, and Program Device itself does
// nothing.
bool CKyrvanaDoc::ConfirmedDespiteRunningTest() {
    if (!link_.serial.isOpen() || !deviceTestInProgress(link_)) {
        return true;
    }
    return host_.messageBox(kTestRunningQuestion, kDefaultBoxCaption, BoxIcon::Question,
                            BoxButtons::YesNo) == BoxAnswer::Yes;
}

}  // namespace kyrvana
