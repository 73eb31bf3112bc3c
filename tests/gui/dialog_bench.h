#pragma once

// What the device dialogs (hardware, SD card, set editor) are opened with:
// a simulated stimulator on a pseudo-terminal, a link with its port open as
// a connection leaves it, and boxes answered by a recording fake. The log
// is captured so that it stays off the test's output.

#include <QtTest>

#include "core/device/device_link.h"
#include "recording_message_boxes.h"
#include "support/log_capture.h"
#include "support/sim_fixture.h"

namespace kyrvana::gui {

// Answers that come are given all the time a machine under load (or a
// sanitizer) may need; a test that leaves an exchange unanswered sets the
// short time-out just before it (the few answers the exchange awaits
// before the silent one must still come within it).
constexpr int kAnswerWithinMs = 10000;
constexpr int kNoAnswerWaitMs = 400;

struct DialogBench {
    explicit DialogBench(sim::SimulatorOptions options = {}) : device(options) {
        link.portName = device.portPath();
        link.OpenPort();
        link.serial.setReadTimeoutMs(kAnswerWithinMs);
    }

    test::LogCapture log;
    test_support::RunningSimulator device;
    DeviceLink link;
    RecordingMessageBoxes boxes;
};

}  // namespace kyrvana::gui

// Device work runs on the dialog's worker; the GUI thread turns meanwhile.
#define WAIT_IDLE(dialog) QTRY_VERIFY_WITH_TIMEOUT(!(dialog).busy(), 30000)
