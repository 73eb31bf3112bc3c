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

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kTimeoutText = "\nReadFile Timed Out Waiting for Response\n";

using SerialTest = test::SerialPeerTest;

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

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
                                         ReadLineCase{"\r", 1, SerialOk, ""},
                                         ReadLineCase{"1234\r", 5, SerialOk, "1234"},
                                         ReadLineCase{"1234567\r", 5, SerialBufferFull, "12345"},
                                         ReadLineCase{"12345\r", 5, SerialBufferFull, "12345"},
                                         ReadLineCase{"abc\r", 0, SerialBufferFull, ""}));

// ---- ReadLines ------------------------------------------------------------

struct ReadLinesCase {
    std::string input;
    std::vector<std::string> lines;
    int count;
};

class ReadLinesTest : public SerialTest, public testing::WithParamInterface<ReadLinesCase> {};

TEST_P(ReadLinesTest, SplitsAtLineFeedsAndEndsAt0x17) {
    ASSERT_TRUE(peer_.Send(GetParam().input));
    std::vector<std::string> lines{"stale"};
    int count = -1;
    ASSERT_EQ(serial_.ReadLines(lines, count), SerialOk);
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_EQ(count, GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadLinesTest,
    testing::Values(ReadLinesCase{"A\nB\n\x17", {"A", "B"}, 2},
                    ReadLinesCase{"A\nBC\x17", {"A", "BC"}, 3},
                    ReadLinesCase{"A\nB\x17", {"A"}, 2},  // a one-byte last line is dropped
                    ReadLinesCase{"\x17", {}, 0}, ReadLinesCase{"\n\n\x17", {"", ""}, 0},
                    ReadLinesCase{"F1.CSV\r\nF2.CSV\r\n\x17", {"F1.CSV\r", "F2.CSV\r"}, 14}));

TEST_F(SerialTest, ReadLinesAcceptsLinesUpToTheLimitAndRefusesLongerOnes) {
    const std::string longest(Serial::kLineLimit - 1, 'x');
    ASSERT_TRUE(peer_.Send("first\n" + longest + "\n\x17"));
    std::vector<std::string> lines;
    int count = 0;
    ASSERT_EQ(serial_.ReadLines(lines, count), SerialOk);
    EXPECT_EQ(lines, (std::vector<std::string>{"first", longest}));

    ASSERT_TRUE(peer_.Send("first\n" + std::string(Serial::kLineLimit, 'y') + "\n\x17"));
    EXPECT_EQ(serial_.ReadLines(lines, count), SerialBufferFull);
    EXPECT_EQ(lines, std::vector<std::string>{"first"});
}

// ---- ReadExact ------------------------------------------------------------

TEST_F(SerialTest, ReadExactGathersBytesArrivingInPieces) {
    serial_.setReadTimeoutMs(5000);
    std::thread sender([this] {
        peer_.Send("ab");
        test::PaceScriptedBytes(20ms);  // makes a second piece likely
        peer_.Send("cde");
    });
    char buffer[5];
    int count = 0;
    EXPECT_EQ(serial_.ReadExact(buffer, 5, count), SerialOk);
    sender.join();
    EXPECT_EQ(std::string(buffer, 5), "abcde");
    EXPECT_EQ(count, 5);
}

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
        peer_.WaitForReceived(4, 5s);
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

// ---- Bytes pass unchanged -------------------------------------------------

TEST_F(SerialTest, EveryByteValuePassesUnchangedBothWays) {
    // Raw mode: no XON/XOFF swallowing 0x11 and 0x13, no CR/LF translation,
    // no signal or erase characters, no echo.
    const std::string bytes = AllByteValues();
    ASSERT_TRUE(peer_.Send(bytes + bytes));
    std::string read(bytes.size() * 2, '\0');
    int count = 0;
    ASSERT_EQ(serial_.ReadExact(read.data(), static_cast<int>(read.size()), count), SerialOk);
    EXPECT_EQ(read, bytes + bytes);

    ASSERT_EQ(serial_.Write(bytes), SerialOk);
    ASSERT_TRUE(peer_.WaitForReceived(bytes.size(), 5s));
    EXPECT_EQ(peer_.Received(), bytes);
}

// ---- Opening and closing --------------------------------------------------

TEST_F(SerialTest, OpeningAnOpenPortSucceedsWithoutReopening) {
    const int handle = serial_.handle();
    EXPECT_EQ(serial_.Open("/nonexistent/port"), SerialOk);
    EXPECT_EQ(serial_.handle(), handle);
    EXPECT_TRUE(log_.Lines().empty());
}

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

TEST(SerialOpenTest, AMissingPortFailsWithTheSystemError) {
    test::LogCapture log;
    Serial serial;
    const std::string path = "/nonexistent/" + std::string(300, 'p');  // no length limit
    EXPECT_EQ(serial.Open(path), SerialOpenFailed);
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(serial.handle(), -1);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"CreateFile failed with error 2.\n"});
}

TEST(SerialOpenTest, ANonTerminalIsRefusedAndReleasedForTheNextAttempt) {
    test::LogCapture log;
    Serial serial;
    const std::string expected = cFormat("CreateFile failed with error %d.\n", ENOTTY);
    EXPECT_EQ(serial.Open("/dev/null"), SerialOpenFailed);
    // Had the first attempt kept its lock, the second would fail to lock.
    EXPECT_EQ(serial.Open("/dev/null"), SerialOpenFailed);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{expected, expected}));
    EXPECT_FALSE(serial.isOpen());
}

TEST(SerialClosedTest, WritesAndReadsOnAClosedPortFail) {
    test::LogCapture log;
    Serial serial;
    EXPECT_EQ(serial.Write("Homing"), SerialWriteFailed);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{cFormat("WriteFile failed with error %d.\n", EBADF)});
    EXPECT_EQ(ReadWith(serial, ReadKind::Line), SerialReadFailed);
    EXPECT_TRUE(serial.CloseSerialPort());
}

// ---- Line settings --------------------------------------------------------

bool SameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

class LineSettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok()) << peer_.error();
        // Settings a system might have configured: 57600 7E2, hardware flow
        // control, and the usual cooked input with XON/XOFF.
        termios settings{};
        ASSERT_EQ(tcgetattr(peer_.slaveFd(), &settings), 0);
        cfsetspeed(&settings, B57600);
        settings.c_cflag = (settings.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
        settings.c_iflag |= IXON | ICRNL;
        ASSERT_EQ(tcsetattr(peer_.slaveFd(), TCSANOW, &settings), 0);
        ASSERT_EQ(tcgetattr(peer_.slaveFd(), &before_), 0);
    }

    termios Current() const {
        termios now{};
        EXPECT_EQ(tcgetattr(peer_.slaveFd(), &now), 0);
        return now;
    }

    test::LogCapture log_;
    test::ScriptedPtyPeer peer_;
    termios before_{};
};

TEST_F(LineSettingsTest, OpenKeepsTheControlFlagsSetsRawModeAndCloseRestoresAll) {
    Serial serial;
    ASSERT_EQ(serial.Open(peer_.path()), SerialOk);
    const termios open = Current();
    EXPECT_EQ(open.c_cflag, before_.c_cflag);
    EXPECT_EQ(cfgetospeed(&open), B57600);
    EXPECT_EQ(open.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(open.c_oflag & OPOST, 0u);
    EXPECT_EQ(open.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(open.c_cc[VMIN], 1);
    EXPECT_EQ(open.c_cc[VTIME], 0);

    ASSERT_TRUE(serial.CloseSerialPort());
    EXPECT_FALSE(serial.isOpen());
    EXPECT_TRUE(SameSettings(Current(), before_));
}

}  // namespace
}  // namespace kyrvana
