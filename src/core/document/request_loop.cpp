#include "core/document/kyrvana_doc.h"

// The device request thread of the document: it waits for a posted request
// or the next presence check, watches the connection (connecting a device
// that appears, disconnecting one that goes), and runs the long device
// operations one at a time, reaching the user only through the host.

#include <chrono>

#include "core/device/test_state.h"
#include "core/editor/sequence_view_model.h"

namespace kyrvana {

void CKyrvanaDoc::PostRequest(DeviceRequest request) {
    {
        std::lock_guard lock(wakeMutex_);
        pendingRequest_.store(request);
        ++postGeneration_;
    }
    wake_.notify_all();
}

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
