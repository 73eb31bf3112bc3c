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
#include <string>
#include <thread>
#include <vector>

#include "core/common/c_locale_text.h"
#include "serial_peer_fixture.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What "a little" past the time-out may be on a loaded test machine.
constexpr auto kSlack = 700ms;
constexpr auto kTimeout = std::chrono::milliseconds(test::kSerialTimeoutMs);

using SerialDeadlineTest = test::SerialPeerTest;
using test::PaceScriptedBytes;

TEST_F(SerialDeadlineTest, TheDescriptorStaysNonBlockingWhileOpen) {
    // Another program with the port open (a terminal, a service probing new
    // ports) may take bytes that poll() announced to us; a blocking read()
    // would then wait for a byte that is gone, past any deadline.
    EXPECT_NE(::fcntl(serial_.handle(), F_GETFL) & O_NONBLOCK, 0);
}

// A device that keeps talking: `bytes` every `gap` until the test is done.
class Babbler {
  public:
    Babbler(test::ScriptedPtyPeer& peer, std::string bytes, std::chrono::milliseconds gap)
        : thread_([&peer, bytes, gap, this] {
              while (!stop_) {
                  peer.Send(bytes);
                  PaceScriptedBytes(gap);
              }
          }) {}
    ~Babbler() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A device that keeps sending bytes but never ends its answer: the whole
// answer has one deadline, not one per byte.
TEST_F(SerialDeadlineTest, ADribblingAnswerEndsAtOneTimeOut) {
    const Babbler dribble(peer_, "x\n", 20ms);
    const auto start = Clock::now();
    std::vector<std::string> lines;
    int count = 0;
    EXPECT_EQ(serial_.ReadLines(lines, count), SerialReadTimeout);
    EXPECT_LT(Clock::now() - start, kTimeout + kSlack);
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
    ASSERT_EQ(serial.Open(name), SerialOk);
    serial.setReadTimeoutMs(test::kSerialTimeoutMs);
    const std::string flood(1 << 20, 'w');
    const auto start = Clock::now();
    EXPECT_EQ(serial.Write(flood), SerialWriteFailed);
    EXPECT_LT(Clock::now() - start, kTimeout + kSlack);
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
        PaceScriptedBytes(40ms);
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
    const Babbler babble(peer_, "babble", 10ms);
    const auto start = Clock::now();
    std::size_t discarded = 0;
    EXPECT_EQ(serial_.DiscardUntilQuiet(100ms, 400ms, discarded), SerialReadTimeout);
    const auto elapsed = Clock::now() - start;
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
