#pragma once

// A Serial opened on a pseudo-terminal whose far end the test plays, with a
// short read time-out; log lines are collected.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/device/serial.h"
#include "support/log_capture.h"
#include "support/scripted_pty_peer.h"

namespace kyrvana::test {

constexpr int kSerialTimeoutMs = 300;

// A pause between two pieces a scripted device sends, so that they arrive
// as separate reads. It paces the peer; no test waits on it for a result.
inline void PaceScriptedBytes(std::chrono::milliseconds gap) {
    std::this_thread::sleep_for(gap);
}

class SerialPeerTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok()) << peer_.error();
        ASSERT_EQ(serial_.Open(peer_.path()), SerialOk);
        serial_.setReadTimeoutMs(kSerialTimeoutMs);
    }

    std::string ReadOneLine() {
        char buffer[64];
        int count = 0;
        if (serial_.ReadLine(buffer, sizeof buffer, count) != SerialOk) {
            return "<no line>";
        }
        return std::string(buffer, static_cast<std::size_t>(count));
    }

    LogCapture log_;
    ScriptedPtyPeer peer_;
    Serial serial_;
};

}  // namespace kyrvana::test
