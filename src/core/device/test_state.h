#pragma once

// Whether the stimulator is in the middle of a test. A running test moves the
// actuators and writes its data file by itself; a paused one holds them where
// they stand and goes on later. Moving a well, homing, calibrating, writing a
// new sequence or touching the data files meanwhile would spoil it.

#include "core/device/device_vocabulary.h"

namespace kyrvana {

class DeviceLink;

constexpr bool isTestInProgress(int state) {
    return state == test_state::kRunning || state == test_state::kPaused;
}

// Asks the device. A query that fails counts as no test, as the test-data
// check has always taken it: a device that cannot say is not refused.
bool deviceTestInProgress(DeviceLink& link);

// The question the window asks before work that would disturb a test.
inline constexpr const char* kTestRunningQuestion =
    "A test is running on the device. Continue anyway?";

// Why the test data cannot be reached now.
inline constexpr const char* kTestDataWhileTestRunsMessage =
    "Cannot Access Test Data\nWhile Test is Running or Paused\n";

}  // namespace kyrvana
