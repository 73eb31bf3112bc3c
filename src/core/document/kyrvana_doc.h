#pragma once

// The one document of the program: the test sequence and the values that go
// with it, the device link, and the device request thread that watches the
// connection and runs the long device operations.
//
// Two threads touch it: the user-interface thread (menus, the view, dialogs)
// and the request thread. The user interface posts a request code and returns
// at once; the request thread picks it up, runs the operation through the host
// interface, and clears the code. The request word and the flags are atomics;
// the sequence and settings are guarded by a mutex and handed out as copies;
// the device link serialises its own exchanges.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "core/device/device_link.h"
#include "core/device/device_timing.h"
#include "core/document/command_ids.h"
#include "core/document/document_host.h"
#include "core/hardware/well_settings.h"
#include "core/protocol/hardware_settings.h"
#include "core/protocol/protocol.h"

namespace kyrvana {

struct DocumentOptions {
    // Where the USB serial ports are looked up ("/" on a real system).
    std::filesystem::path sysfsRoot = "/";
    // The stimulator needs this long after its port opens before it answers.
    std::chrono::milliseconds settleDelay = timing::kSettleDelay;
    // Time-out for each byte of an answer.
    int readTimeoutMs = timing::kReadTimeoutMs;
    // How often the request thread checks whether the device is present.
    std::chrono::milliseconds pollInterval = timing::kPresencePollInterval;
};

// Shown when the stimulator's port cannot be opened.
inline constexpr const char* kDeviceNotDetectedMessage =
    "Orvenda Device Not Detected\nPlease ensure that the device is powered on\nand all cables are "
    "properly connected\n";
// Shown when a device command is asked for while no device is connected.
inline constexpr const char* kNotConnectedMessage =
    "Kyrvana Device Not Detected.\nPlease ensure that the device is powered on and all cables are "
    "properly connected\n";
// The oldest firmware that speaks the commands this program sends, times 1000.
inline constexpr int kMinimumFirmwareRevision = 4590;
// Where a lab asks for help with firmware updates.
inline constexpr const char* kSupportAddress = "support@brantfield-instruments.com";

class CKyrvanaDoc {
  public:
    // A device operation carried out on the request thread (Read Device,
    // Verify Device, Program Device); filled by the features that provide
    // them.
    using DeviceOperation = std::function<void(CKyrvanaDoc&)>;

    explicit CKyrvanaDoc(DocumentHost& host, DocumentOptions options = {});
    // Stops the request thread and closes the port.
    ~CKyrvanaDoc();
    CKyrvanaDoc(const CKyrvanaDoc&) = delete;
    CKyrvanaDoc& operator=(const CKyrvanaDoc&) = delete;

    DocumentHost& host() { return host_; }
    DeviceLink& link() { return link_; }
    // What the connected device is, for the window (see DeviceSnapshot).
    DeviceSnapshot deviceSnapshot() const { return link_.Snapshot(); }
    const DocumentOptions& options() const { return options_; }

    // The sequence and the values that travel with it, as copies.
    Protocol sequence() const;
    void setSequence(Protocol sequence);
    HardwareSettings hardware() const;
    DisabledWells disabledWells() const;
    void setDisabledWells(const DisabledWells& wells);
    // Changes the sequence and settings together under one lock.
    void update(const std::function<void(Protocol&, HardwareSettings&, DisabledWells&)>& change);

    // --- Requests from the user interface -------------------------------
    // Stores `request` for the request thread and returns at once; a request
    // that has not been picked up yet is replaced.
    void PostRequest(DeviceRequest request);
    DeviceRequest pendingRequest() const { return pendingRequest_.load(); }
    // The enabling rule of the menu and toolbar commands.
    bool IsCommandEnabled(int commandId) const;

    bool connected() const { return connected_.load(); }
    bool deviceReady() const { return deviceReady_.load(); }
    bool portPresent() const { return portPresent_.load(); }
    bool autoConnect() const { return autoConnect_.load(); }

    // --- The request thread (request_loop.cpp) ---------------------------
    // Starts the thread (once; later calls do nothing while it runs).
    void StartRequestThread();
    // Tells the thread to stop, wakes any read it waits in, and joins it.
    void StopRequestThread();
    bool requestThreadRunning() const { return threadRunning_.load(); }
    // How many times the request thread has looked for the device so far,
    // so that a caller can tell that the thread polled without timing it.
    std::uint64_t presenceChecks() const { return presenceChecks_.load(); }

    // --- Connection (run by the request thread; public for the tools) -----
    // Opens the port and identifies the device. Not connected (connected()
    // stays false) after a message box when the port cannot be opened or the
    // firmware is too old (the port then stays open); the result says why.
    // Connected otherwise, and the result is the first exchange of the
    // identification that failed, its value left at its default.
    DeviceResult ConnectDevice();
    void DisconnectDevice();

    DeviceOperation readDevice;
    DeviceOperation verifyDevice;
    DeviceOperation programDevice;

  private:
    void RequestLoop();
    // True when the loop must end (a failed connection while polling).
    bool PollConnection();
    void Dispatch(DeviceRequest request);
    // Runs a device operation with `status` on the status line, then returns
    // the line to the resting status.
    void RunOperation(const DeviceOperation& operation, DeviceStatus status);
    void AccessTestData();
    // Asks before programming a device that runs or holds a test; true when
    // programming may go on.
    bool ConfirmedDespiteRunningTest();
    void LogLine(const std::string& line);
    // Waits until `until`, a new posted request (one after `generation`) or
    // a stop; false when stopping.
    bool WaitFor(std::chrono::steady_clock::time_point until, std::uint64_t generation);
    static std::string firmwareTooOldMessage();
    std::string deviceDescription() const;

    DocumentHost& host_;
    DocumentOptions options_;
    DeviceLink link_;

    mutable std::mutex dataMutex_;
    Protocol sequence_;
    HardwareSettings hardware_;
    DisabledWells disabledWells_;

    std::atomic<DeviceRequest> pendingRequest_{DeviceRequest::Idle};
    std::atomic<bool> autoConnect_{true};
    std::atomic<bool> portPresent_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> deviceReady_{false};

    std::thread thread_;
    std::atomic<bool> threadRunning_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> presenceChecks_{0};
    bool homingBoxShown_ = false;  // request thread only
    // Ready or Disconnected; the connecting thread only.
    DeviceStatus restingStatus_ = DeviceStatus::Ready;
    std::mutex wakeMutex_;
    std::uint64_t postGeneration_ = 0;  // guarded by wakeMutex_
    std::condition_variable wake_;
};

}  // namespace kyrvana
