#pragma once

// The command-line tool's counterpart of the window's test-state checks. A
// test the device runs or holds paused is spoilt by moving or homing its
// wells, calibrating a load cell, writing a new sequence or touching its data
// files, and a script cannot be asked whether to go on: such a subcommand
// asks the device first and refuses, with the window's message, unless it was
// given --force.

#include <CLI/CLI.hpp>

#include "core/device/device_link.h"

namespace kyrvana::cli {

enum class TestDisturbance {
    TestData,   // delete, download: the window refuses Access Test Data
    Actuators,  // program, move, home, calibrate: the window asks first
};

void addForceFlag(CLI::App* subcommand, bool& force);

// True when the work may go on: no test runs or is paused (or the device
// could not say), or `force` is set. Otherwise the window's message and how
// to go on anyway are on standard error.
bool mayGoOnDespiteTest(DeviceLink& link, bool force, TestDisturbance what);

}  // namespace kyrvana::cli
