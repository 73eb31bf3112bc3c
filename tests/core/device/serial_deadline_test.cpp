// Deadlines and getting back into step: no read or write of the port waits
// past its time-out, whatever the device or another program on the port does,
// and a late answer can be thrown away before the next command.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "core/common/c_locale_text.h"
#include "core/device/serial.h"
#include "support/log_capture.h"
#include "support/scripted_pty_peer.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 300;
// What "a little" past the time-out may be on a loaded test machine.
constexpr auto kSlack = 700ms;

SerialStatus OpenLikeDeviceLink(Serial& serial, const std::string& path) {
    return serial.Open(false, false, false, true, true, -1, true, path);
}

class SerialDeadlineTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok()) << peer_.error();
        ASSERT_EQ(OpenLikeDeviceLink(serial_, peer_.path()), SerialOk);
        serial_.setReadTimeoutMs(kTimeoutMs);
    }

    std::string ReadOneLine() {
        char buffer[64];
        int count = 0;
        if (serial_.ReadLine(buffer, sizeof buffer, count) != SerialOk) {
            return "<no line>";
        }
        return std::string(buffer, static_cast<std::size_t>(count));
    }

    test::LogCapture log_;
    test::ScriptedPtyPeer peer_;
    Serial serial_;
};

TEST_F(SerialDeadlineTest, TheDescriptorStaysNonBlockingWhileOpen) {
    EXPECT_NE(::fcntl(serial_.handle(), F_GETFL) & O_NONBLOCK, 0);
}

// A device that keeps sending bytes but never ends its answer: the whole
// answer has one deadline, not one per byte.
TEST_F(SerialDeadlineTest, ADribblingAnswerEndsAtOneTimeOut) {
    std::atomic<bool> stop{false};
    std::thread dribble([&] {
        while (!stop) {
            peer_.Send("x\n");
            std::this_thread::sleep_for(20ms);
        }
    });
    const auto start = Clock::now();
    std::vector<std::string> lines;
    int count = 0;
    const SerialStatus status = serial_.ReadLines(lines, count);
    const auto elapsed = Clock::now() - start;
    stop = true;
    dribble.join();
    EXPECT_EQ(status, SerialReadTimeout);
    EXPECT_LT(elapsed, std::chrono::milliseconds(kTimeoutMs) + kSlack);
}

// Another program with the port open (a terminal, a service probing new
// ports) takes bytes that poll() announced to us. The read must still end at
// its deadline instead of blocking in read() for a byte that is gone. (The
// thief wins that race only now and then; the non-blocking descriptor test
// above is the certain check, this one shows the deadline holding.)
TEST_F(SerialDeadlineTest, ASecondReaderTakingTheBytesCannotHoldAReadPastItsDeadline) {
    const int thiefFd = ::open(peer_.path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(thiefFd, 0);
    std::atomic<bool> stop{false};
    std::thread thief([&] {
        // Polling as fast as it can, the thief often takes a byte between
        // our poll() and our read().
        char byte = 0;
        while (!stop) {
            (void)!::read(thiefFd, &byte, 1);
        }
    });
    std::thread sender([this] {
        for (int i = 0; i < 100; ++i) {
            peer_.Send("x");
            std::this_thread::sleep_for(1ms);
        }
    });
    auto read = std::async(std::launch::async, [this] {
        char buffer[1024];
        int count = 0;
        return serial_.ReadLine(buffer, sizeof buffer, count);
    });
    const bool ended = read.wait_for(std::chrono::milliseconds(kTimeoutMs) + 2 * kSlack) ==
                       std::future_status::ready;
    sender.join();
    stop = true;
    thief.join();
    // The hang-up ends a stuck ReadLine.
    peer_.HangUp();
    ::close(thiefFd);
    EXPECT_TRUE(ended) << "ReadLine blocked past its deadline";
    EXPECT_NE(read.get(), SerialOk);
}

// A pseudo-terminal whose far end never reads: writes pile up until its
// buffer is full, as with a device that stopped taking commands.
TEST(SerialWriteDeadlineTest, AWriteToADeviceThatTakesNothingFailsAtTheTimeOut) {
    test::LogCapture log;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char name[256] = {};
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);

    Serial serial;
    ASSERT_EQ(OpenLikeDeviceLink(serial, name), SerialOk);
    serial.setReadTimeoutMs(kTimeoutMs);
    const std::string flood(1 << 20, 'w');
    const auto start = Clock::now();
    EXPECT_EQ(serial.Write(flood), SerialWriteFailed);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kTimeoutMs) + kSlack);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{cFormat("WriteFile failed with error %d.\n", ETIMEDOUT)});
    serial.CloseSerialPort();
    ::close(master);
}

// ---- Getting back into step -------------------------------------------------

TEST_F(SerialDeadlineTest, ALateAnswerIsThrownAwayAndTheNextAnswerReadsClean) {
    // The rest of an answer the program gave up on, arriving in two bursts.
    std::thread late([this] {
        peer_.Send("2048");
        std::this_thread::sleep_for(40ms);
        peer_.Send("\rstale\r");
    });
    std::size_t discarded = 0;
    EXPECT_EQ(serial_.DiscardUntilQuiet(150ms, 2s, discarded), SerialOk);
    late.join();
    EXPECT_EQ(discarded, 11u);
    ASSERT_TRUE(peer_.Send("fresh\r"));
    EXPECT_EQ(ReadOneLine(), "fresh");
}

TEST_F(SerialDeadlineTest, ADeviceThatNeverFallsQuietIsGivenUpOnAtTheLimit) {
    std::atomic<bool> stop{false};
    std::thread babble([&] {
        while (!stop) {
            peer_.Send("babble");
            std::this_thread::sleep_for(10ms);
        }
    });
    const auto start = Clock::now();
    std::size_t discarded = 0;
    const SerialStatus status = serial_.DiscardUntilQuiet(100ms, 400ms, discarded);
    const auto elapsed = Clock::now() - start;
    stop = true;
    babble.join();
    EXPECT_EQ(status, SerialReadTimeout);
    EXPECT_GT(discarded, 0u);
    EXPECT_GE(elapsed, 400ms);
    EXPECT_LT(elapsed, 400ms + kSlack);
}

TEST_F(SerialDeadlineTest, FlushingDropsWhatWasReceivedButNotRead) {
    ASSERT_TRUE(peer_.Send("stale answer\r"));
    ASSERT_TRUE(test_support::waitUntil([&] { return serial_.PendingInput() == 13; }));
    EXPECT_EQ(serial_.FlushInput(), SerialOk);
    EXPECT_EQ(serial_.PendingInput(), 0u);
    ASSERT_TRUE(peer_.Send("fresh\r"));
    EXPECT_EQ(ReadOneLine(), "fresh");
}

TEST_F(SerialDeadlineTest, GettingBackIntoStepOnAVanishedPortFails) {
    peer_.HangUp();
    std::size_t discarded = 0;
    EXPECT_EQ(serial_.DiscardUntilQuiet(100ms, 1s, discarded), SerialReadFailed);
}

}  // namespace
}  // namespace kyrvana
