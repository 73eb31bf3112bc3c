#include "core/device/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
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

const std::string kTimeoutText = "\nReadFile Timed Out Waiting for Response\n";

using SerialTest = test::SerialPeerTest;

// ---- ReadLine -------------------------------------------------------------

struct ReadLineCase {
    std::string input;
    int capacity;
    SerialStatus status;
    std::string stored;
};

class ReadLineTest : public SerialTest, public testing::WithParamInterface<ReadLineCase> {};

TEST_P(ReadLineTest, StoresUpToTheCarriageReturnWithinCapacity) {
    const ReadLineCase& c = GetParam();
    ASSERT_TRUE(peer_.Send(c.input));
    // A guard area behind the capacity catches any write past the buffer.
    std::vector<char> buffer(static_cast<std::size_t>(std::max(c.capacity, 0)) + 8, '\x55');
    int count = -1;
    EXPECT_EQ(serial_.ReadLine(buffer.data(), c.capacity, count), c.status);
    EXPECT_EQ(std::string(buffer.data(), static_cast<std::size_t>(count)), c.stored);
    if (c.status == SerialOk) {
        EXPECT_EQ(buffer[static_cast<std::size_t>(count)], '\0');
    }
    for (std::size_t i = static_cast<std::size_t>(std::max(c.capacity, 0)); i < buffer.size();
         ++i) {
        EXPECT_EQ(buffer[i], '\x55') << "written past the capacity at " << i;
    }
    EXPECT_TRUE(log_.Lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, ReadLineTest,
                         testing::Values(ReadLineCase{"12abc\r", 128, SerialOk, "12abc"},
                                         ReadLineCase{"A\nB\r", 128, SerialOk,
                                                      "A\nB"},  // a line feed is data
                                         ReadLineCase{"1234\r", 5, SerialOk, "1234"},
                                         ReadLineCase{"12345\r", 5, SerialBufferFull, "12345"},
                                         ReadLineCase{"abc\r", 0, SerialBufferFull, ""}));

// ---- ReadLines ------------------------------------------------------------

struct ReadLinesCase {
    std::string input;
    std::vector<std::string> lines;
    int count;
    SerialStatus status = SerialOk;
};

class ReadLinesTest : public SerialTest, public testing::WithParamInterface<ReadLinesCase> {};

TEST_P(ReadLinesTest, SplitsAtLineFeedsAndEndsAt0x17) {
    ASSERT_TRUE(peer_.Send(GetParam().input));
    std::vector<std::string> lines{"stale"};
    int count = -1;
    ASSERT_EQ(serial_.ReadLines(lines, count), GetParam().status);
    EXPECT_EQ(lines, GetParam().lines);
    if (GetParam().status == SerialOk) {
        EXPECT_EQ(count, GetParam().count);
    }
}

const std::string kLongestLine(Serial::kLineLimit - 1, 'x');

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadLinesTest,
    testing::Values(
        ReadLinesCase{"A\nB\n\x17", {"A", "B"}, 2}, ReadLinesCase{"A\nBC\x17", {"A", "BC"}, 3},
        ReadLinesCase{"A\nB\x17", {"A"}, 2},  // a one-byte last line is dropped
        ReadLinesCase{"\x17", {}, 0},
        ReadLinesCase{"F1.CSV\r\nF2.CSV\r\n\x17", {"F1.CSV\r", "F2.CSV\r"}, 14},
        // Lines up to the limit pass; a longer one ends the answer there.
        ReadLinesCase{"a\n" + kLongestLine + "\n\x17", {"a", kLongestLine}, 1024},
        ReadLinesCase{
            "a\n" + std::string(Serial::kLineLimit, 'y') + "\n\x17", {"a"}, 0, SerialBufferFull}));

// ---- Time-outs ------------------------------------------------------------

enum class ReadKind { Line, Lines, Exact };

SerialStatus ReadWith(Serial& serial, ReadKind kind) {
    char buffer[64];
    std::vector<std::string> lines;
    int count = 0;
    switch (kind) {
        case ReadKind::Line:
            return serial.ReadLine(buffer, sizeof buffer, count);
        case ReadKind::Lines:
            return serial.ReadLines(lines, count);
        case ReadKind::Exact:
            return serial.ReadExact(buffer, 5, count);
    }
    return SerialOk;
}

class ReadKindTest : public SerialTest, public testing::WithParamInterface<ReadKind> {};

TEST_P(ReadKindTest, AnAnswerThatNeverEndsTimesOutOnceAndLogsIt) {
    ASSERT_TRUE(peer_.Send("abc"));  // no terminator, fewer than five bytes
    const auto start = Clock::now();
    EXPECT_EQ(ReadWith(serial_, GetParam()), SerialReadTimeout);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(test::kSerialTimeoutMs - 20));
    EXPECT_LT(elapsed, 5s);
    EXPECT_EQ(log_.Lines(), std::vector<std::string>{kTimeoutText});
}

TEST_P(ReadKindTest, AHangUpEndsAWaitingReadAtOnce) {
    serial_.setReadTimeoutMs(10000);
    peer_.Expect("ping", "ab", /*hangUpAfter=*/true);
    ASSERT_EQ(serial_.Write("ping"), SerialOk);
    const auto start = Clock::now();
    EXPECT_EQ(ReadWith(serial_, GetParam()), SerialReadFailed);
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_TRUE(log_.Lines().empty());  // a bare read failure is not logged
}

TEST_P(ReadKindTest, WakeReadsEndsAWaitingReadFromAnotherThread) {
    serial_.setReadTimeoutMs(10000);
    ASSERT_EQ(serial_.Write("ping"), SerialOk);
    std::thread waker([this] {
        test_support::waitUntil([this] { return peer_.Received().size() >= 4; }, 5s);
        serial_.WakeReads();
    });
    const auto start = Clock::now();
    EXPECT_EQ(ReadWith(serial_, GetParam()), SerialReadFailed);
    waker.join();
    EXPECT_LT(Clock::now() - start, 5s);

    // Reads stay woken until the port is opened again.
    EXPECT_EQ(ReadWith(serial_, GetParam()), SerialReadFailed);
    ASSERT_TRUE(serial_.CloseSerialPort());
    ASSERT_EQ(serial_.Open(peer_.path()), SerialOk);
    ASSERT_TRUE(peer_.Send("12345\r\x17"));
    EXPECT_EQ(ReadWith(serial_, GetParam()), SerialOk);
}

INSTANTIATE_TEST_SUITE_P(EveryRead, ReadKindTest,
                         testing::Values(ReadKind::Line, ReadKind::Lines, ReadKind::Exact));

// ---- Opening and closing --------------------------------------------------

bool LogsOpenFailure(const std::vector<std::string>& lines, std::initializer_list<int> errors) {
    for (const int error : errors) {
        if (lines ==
            std::vector<std::string>{cFormat("CreateFile failed with error %d.\n", error)}) {
            return true;
        }
    }
    return false;
}

TEST_F(SerialTest, ASecondOpenOfTheSamePortFails) {
    // Opening the open port again changes nothing, whatever the name.
    const int handle = serial_.handle();
    EXPECT_EQ(serial_.Open("/nonexistent/port"), SerialOk);
    EXPECT_EQ(serial_.handle(), handle);
    EXPECT_TRUE(log_.Lines().empty());

    Serial second;
    EXPECT_EQ(second.Open(peer_.path()), SerialOpenFailed);
    EXPECT_FALSE(second.isOpen());
    // EBUSY from the exclusive flag, or EWOULDBLOCK from the lock for root.
    EXPECT_TRUE(LogsOpenFailure(log_.Lines(), {EBUSY, EWOULDBLOCK}))
        << testing::PrintToString(log_.Lines());

    // The failed attempt must not have disturbed the first.
    ASSERT_TRUE(peer_.Send("still\r"));
    char buffer[16];
    int count = 0;
    EXPECT_EQ(serial_.ReadLine(buffer, sizeof buffer, count), SerialOk);

    ASSERT_TRUE(serial_.CloseSerialPort());
    EXPECT_EQ(second.Open(peer_.path()), SerialOk);
}

TEST_F(SerialTest, APortLockedByAnotherHolderIsRefusedUntilReleased) {
    ASSERT_TRUE(serial_.CloseSerialPort());
    // Another instance of the program holding the lock, as root would (the
    // exclusive flag alone does not stop root).
    const int holder = ::open(peer_.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(serial_.Open(peer_.path()), SerialOpenFailed);
    EXPECT_FALSE(serial_.isOpen());
    EXPECT_EQ(log_.Lines(),
              std::vector<std::string>{cFormat("CreateFile failed with error %d.\n", EWOULDBLOCK)});

    ::close(holder);
    EXPECT_EQ(serial_.Open(peer_.path()), SerialOk);
}

TEST(SerialOpenTest, AFailedOpenLogsTheSystemErrorAndReleasesThePort) {
    const std::pair<std::string, int> cases[] = {
        {"/nonexistent/" + std::string(300, 'p'), ENOENT},  // no length limit
        {"/dev/null", ENOTTY},
    };
    for (const auto& [path, error] : cases) {
        test::LogCapture log;
        Serial serial;
        // Had the first attempt kept its lock, the second would fail to lock.
        EXPECT_EQ(serial.Open(path), SerialOpenFailed);
        EXPECT_EQ(serial.Open(path), SerialOpenFailed);
        EXPECT_FALSE(serial.isOpen());
        EXPECT_EQ(serial.handle(), -1);
        const std::string line = cFormat("CreateFile failed with error %d.\n", error);
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{line, line}));
    }
}

// ---- Line settings --------------------------------------------------------

// Settings a system might have configured (57600 7E2, hardware flow control,
// the usual cooked input with XON/XOFF): open keeps the speed and framing but
// makes the line raw; close puts back everything as it was.
TEST(LineSettingsTest, OpenKeepsTheControlFlagsSetsRawModeAndCloseRestoresAll) {
    test::LogCapture log;
    test::ScriptedPtyPeer peer;
    ASSERT_TRUE(peer.ok()) << peer.error();
    termios before{};
    ASSERT_EQ(tcgetattr(peer.slaveFd(), &before), 0);
    cfsetspeed(&before, B57600);
    before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    before.c_iflag |= IXON | ICRNL;
    ASSERT_EQ(tcsetattr(peer.slaveFd(), TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(peer.slaveFd(), &before), 0);

    Serial serial;
    ASSERT_EQ(serial.Open(peer.path()), SerialOk);
    termios open{};
    ASSERT_EQ(tcgetattr(peer.slaveFd(), &open), 0);
    EXPECT_EQ(open.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&open), B57600);
    EXPECT_EQ(open.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(open.c_oflag & OPOST, 0u);
    EXPECT_EQ(open.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(open.c_cc[VMIN], 1);
    EXPECT_EQ(open.c_cc[VTIME], 0);

    ASSERT_TRUE(serial.CloseSerialPort());
    termios after{};
    ASSERT_EQ(tcgetattr(peer.slaveFd(), &after), 0);
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0);
}

}  // namespace
}  // namespace kyrvana
