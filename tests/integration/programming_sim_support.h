#pragma once

// Shared pieces of the document tests against the simulated stimulator: a
// document connected to a simulator, and sequences to program.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/document/kyrvana_doc.h"
#include "support/log_capture.h"
#include "support/recording_host.h"
#include "support/sim_fixture.h"

namespace kyrvana::test {

// Answers come at once from the simulator; a short time-out only matters
// where a test makes the device stay silent.
inline DocumentOptions simulatorDocumentOptions(int readTimeoutMs = 1000) {
    DocumentOptions options;
    options.settleDelay = std::chrono::milliseconds(0);
    options.readTimeoutMs = readTimeoutMs;
    return options;
}

inline void connectTo(CKyrvanaDoc& document, const test_support::RunningSimulator& device) {
    ASSERT_TRUE(device.ok()) << device.error();
    document.link().portName = device.portPath();
    ASSERT_TRUE(document.ConnectDevice());
}

// A document connected to a fresh simulator, its host recording what the
// user would see.
class SimDocumentTest : public testing::Test {
  protected:
    void SetUp() override { connectTo(document_, device_); }

    sim::SimulatedStimulator& sim() { return device_.sim(); }

    LogCapture log_;
    test_support::RunningSimulator device_;
    test_support::RecordingHost host_;
    CKyrvanaDoc document_{host_, simulatorDocumentOptions()};
};

// Ten sets that differ in every field the device keeps.
inline Protocol tenSetSequence() {
    Protocol sequence;
    for (int i = 0; i < 10; ++i) {
        SetRecord set;
        set.name = "Set number " + std::to_string(i) + " of ten";
        const bool force = i % 3 == 1;
        set.mode[0] = force ? ControlMode::Force : ControlMode::Displacement;
        set.units[0] = force ? UnitsCode::Millinewtons : UnitsCode::Micrometres;
        set.function[0] = i % 2 == 0 ? FunctionType::Ramp : FunctionType::Sinusoid;
        for (std::size_t well = 0; well < kWellCount; ++well) {
            set.magnitude[well] = 100.0 * (i + 1) + static_cast<double>(well) + 0.75;
            set.preloadMag[well] = i % 4 == 3 ? 20.5 + static_cast<double>(well) : 0.0;
        }
        set.preloadType[0] = static_cast<PreloadType>(i % 3);
        set.stretchDurationMs = 1000 + 250 * i;
        set.holdTimeMs = 100 * i;
        set.recoveryDurationMs = 2000 + i;
        set.restTimeMs = 60000 * (i % 2);
        set.numReps = 1 + 7 * i;
        set.timeUnits = static_cast<TimeUnits>(i % 6);
        set.dataFrequency = static_cast<DataFrequency>(i % 7);
        sequence.append(set);
    }
    return sequence;
}

// Puts a sequence into the view and the document as the user would have it
// before choosing Program Device.
inline void prepareView(test_support::RecordingHost& host, const Protocol& sequence,
                        const std::string& repeats, const std::string& testName,
                        bool homingDisabled) {
    host.withView([&](SequenceViewModel& view) {
        view.workingSequence = sequence;
        view.repeatText = repeats;
        view.testName = testName;
        view.homingDisabled = homingDisabled;
    });
}

}  // namespace kyrvana::test
