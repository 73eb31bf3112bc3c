#include "core/device/device_link.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/device/exchange_tally.h"
#include "support/log_capture.h"
#include "support/scripted_pty_peer.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;

const std::string kTimeoutText = "\nReadFile Timed Out Waiting for Response\n";

std::string LengthWord(int length) {
    return {static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF)};
}

// Device transport against a scripted far end: the script answers each
// expected command, and the bytes the link wrote are checked exactly.
class DeviceLinkTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok()) << peer_.error();
        link_.portName = peer_.path();
        ASSERT_EQ(link_.OpenPort(), SerialOk);
        link_.serial.setReadTimeoutMs(150);
    }

    // Every scripted command arrived, and nothing else was written.
    void ExpectScriptDone() {
        EXPECT_TRUE(peer_.ScriptDone())
            << "unmatched: " << testing::PrintToString(peer_.Unmatched());
    }

    test::LogCapture log_;
    test::ScriptedPtyPeer peer_;
    DeviceLink link_;
};

// The length word, then chunks of at most 200 characters sent as they are
// (quotes, parentheses and line feeds included). A chunk that goes unanswered
// does not stop the others: the first failure is the result, the tally keeps
// every one in order.
TEST_F(DeviceLinkTest, SetEepromDataSendsChunksOf200AndKeepsTheFirstFailure) {
    std::string text;
    for (int i = 0; text.size() < 450; ++i) {
        text += "line \"" + std::to_string(i) + "\",(x)\n";
    }
    text.resize(450);
    peer_.Expect("SetEepromData(100,450)", "\r");
    peer_.Expect("SetEepromData(102,\"" + text.substr(0, 200) + "\")", "");    // no answer
    peer_.Expect("SetEepromData(302,\"" + text.substr(200, 200) + "\")", "");  // nor here
    peer_.Expect("SetEepromData(502,\"" + text.substr(400) + "\")", "\r");
    ExchangeTally tally;
    DeviceResult result;
    {
        const auto recording = link_.Record(tally);
        result = link_.SetEepromData(100, text);
    }
    EXPECT_EQ(result.why(), DeviceFailure::Timeout);
    EXPECT_EQ(result.command(), "SetEepromData(102,\"" + text.substr(0, 200) + "\")");
    EXPECT_EQ(tally.sent(), 4);
    ASSERT_EQ(tally.failures().size(), 2u);
    EXPECT_EQ(tally.failures()[1].command(),
              "SetEepromData(302,\"" + text.substr(200, 200) + "\")");
    EXPECT_EQ(link_.lastStatus, SerialOk);  // the last chunk's status
    // After the recording ended, exchanges are no longer counted.
    peer_.Expect("Homing", "\r");
    EXPECT_TRUE(link_.SendCommand("Homing"));
    EXPECT_EQ(tally.sent(), 4);
    ExpectScriptDone();
}

struct StoredItem {
    std::string lengthWord;
    std::vector<std::string> extraExchanges;  // command, answer, ...
    DeviceFailure result;
    std::vector<std::string> lines;
};

constexpr DeviceFailure kRead = DeviceFailure::None;
constexpr DeviceFailure kAbsent = DeviceFailure::Unusable;
constexpr DeviceFailure kSilent = DeviceFailure::Timeout;

class EepromItemTest : public DeviceLinkTest, public testing::WithParamInterface<StoredItem> {};

TEST_P(EepromItemTest, ReadsTheStoredItem) {
    const StoredItem& item = GetParam();
    peer_.Expect("GetEepromData(4096, 2)", item.lengthWord);
    for (std::size_t i = 0; i + 1 < item.extraExchanges.size(); i += 2) {
        peer_.Expect(item.extraExchanges[i], item.extraExchanges[i + 1]);
    }
    std::vector<std::string> lines{"stale"};
    EXPECT_EQ(link_.GetEepromData(eeprom::kTestNumber, lines).why(), item.result);
    EXPECT_EQ(lines, item.lines);
    ExpectScriptDone();
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, EepromItemTest,
    testing::Values(
        StoredItem{LengthWord(0), {}, kRead, {}},                 // nothing more is asked
        StoredItem{LengthWord(4097), {}, kAbsent, {}},            // over the limit: absent
        StoredItem{std::string("\xFF\xFF", 2), {}, kAbsent, {}},  // erased EEPROM
        StoredItem{LengthWord(4), {"GetEepromData(4098, 4)", "0001"}, kRead, {"0001"}},
        StoredItem{
            LengthWord(7), {"GetEepromData(4098, 7)", "a\n\nb\nc\n"}, kRead, {"a", "", "b", "c"}},
        // A zero byte ends the text that a chunk contributes.
        StoredItem{
            LengthWord(5), {"GetEepromData(4098, 5)", std::string("ab\0cd", 5)}, kRead, {"ab"}},
        // Five bytes of ten, then silence: nothing half-read is kept.
        StoredItem{LengthWord(10), {"GetEepromData(4098, 10)", "short"}, kSilent, {}}));

// Answers convert like atoi and atof, but in every locale: a German one must
// not turn "4.60" into 4.
TEST_F(DeviceLinkTest, NumericAnswersConvertAsInTheCLocale) {
    const bool german = setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    peer_.Expect("QueryInternalValue(4)", " 4.60 REV\r");
    peer_.Expect("QueryUmPerUstep(0)", " 4.60 REV\r");
    int integer = 99;
    double real = 99.0;
    EXPECT_TRUE(link_.QueryInteger("QueryInternalValue(4)", 128, integer));
    EXPECT_TRUE(link_.QueryDouble("QueryUmPerUstep(0)", 128, real));
    setlocale(LC_ALL, "C");
    EXPECT_EQ(integer, 4);
    EXPECT_DOUBLE_EQ(real, 4.6);
    ExpectScriptDone();
    if (!german) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed; checked in the C locale only";
    }
}

TEST_F(DeviceLinkTest, AFailedExchangeLeavesTheValueAndTellsWhy) {
    int value = 42;
    peer_.Expect("QueryInternalValue(5)", "");  // never answered
    DeviceResult result = link_.QueryInteger("QueryInternalValue(5)", 128, value);
    EXPECT_EQ(result.why(), DeviceFailure::Timeout);
    EXPECT_EQ(result.command(), "QueryInternalValue(5)");
    EXPECT_EQ(value, 42);
    EXPECT_EQ(link_.lastStatus, SerialReadTimeout);

    ASSERT_TRUE(link_.serial.CloseSerialPort());
    result = link_.SendCommand("Homing");
    EXPECT_EQ(result.why(), DeviceFailure::NoPort);
    EXPECT_EQ(result.command(), "Homing");
    EXPECT_EQ(link_.lastStatus, SerialWriteFailed);
}

struct AverageCase {
    std::vector<std::string> answers;  // empty: no answer (the reading fails)
    double average;
};

class AverageTest : public DeviceLinkTest, public testing::WithParamInterface<AverageCase> {};

TEST_P(AverageTest, AveragesTenReadingsWithIntegerDivision) {
    link_.serial.setReadTimeoutMs(60);
    for (const std::string& answer : GetParam().answers) {
        peer_.Expect("QueryInternalValue(13)", answer.empty() ? "" : answer + "\r");
    }
    double average = -1.0;
    const DeviceResult result = link_.AverageInternalValue(3, average);
    EXPECT_DOUBLE_EQ(average, GetParam().average);
    // Any failed reading makes the average partly made up: the result says so.
    const bool anyFailed = std::count(GetParam().answers.begin(), GetParam().answers.end(), "") > 0;
    EXPECT_EQ(result.ok(), !anyFailed);
    ExpectScriptDone();
}

INSTANTIATE_TEST_SUITE_P(
    Readings, AverageTest,
    testing::Values(AverageCase{{"5", "5", "5", "5", "5", "6", "6", "6", "6", "6"},
                                5.0},  // 55 / 10
                    AverageCase{{"-5", "-5", "-5", "-5", "-5", "-6", "-6", "-6", "-6", "-6"}, -5.0},
                    // A failed reading repeats the previous one.
                    AverageCase{{"10", "", "20", "20", "20", "20", "20", "20", "20", "20"}, 18.0},
                    // Failed readings before the first good one count as that one.
                    AverageCase{{"", "", "8", "8", "8", "8", "8", "9", "9", "9"}, 8.0},
                    AverageCase{{"", "", "", "", "", "", "", "", "", ""}, 0.0}));

TEST_F(DeviceLinkTest, WaitMotorsIdlePollsUntilIdle) {
    peer_.Expect("GetMotorsState", "3\r");
    peer_.Expect("GetMotorsState", "1\r");
    peer_.Expect("GetMotorsState", "0\r");
    EXPECT_TRUE(link_.WaitMotorsIdle());
    ExpectScriptDone();

    peer_.Expect("GetMotorsState", "2\r");
    peer_.Expect("GetMotorsState", "");
    EXPECT_EQ(link_.WaitMotorsIdle().why(), DeviceFailure::Timeout);
    EXPECT_EQ(link_.lastStatus, SerialReadTimeout);
}

// ---- Staying in step -------------------------------------------------------

TEST_F(DeviceLinkTest, ALateAnswerIsNeverReadAsTheReplyToTheNextCommand) {
    peer_.Expect("QueryRev(2)", "");
    char answer[64];
    int count = 0;
    EXPECT_EQ(link_.QueryCommand("QueryRev(2)", answer, sizeof answer, count).why(),
              DeviceFailure::Timeout);
    // The device answers after all, just before the next command.
    ASSERT_TRUE(peer_.Send("Firmware REV 4.60\r"));
    peer_.Expect("QueryRev(3)", "Hardware 2.00\r");
    ASSERT_TRUE(link_.QueryCommand("QueryRev(3)", answer, sizeof answer, count));
    EXPECT_EQ(std::string(answer, static_cast<std::size_t>(count)), "Hardware 2.00");
    ExpectScriptDone();
}

TEST_F(DeviceLinkTest, AnOverlongAnswerIsDrainedBeforeTheNextCommand) {
    peer_.Expect("QueryRev(0)", std::string(700, 'x') + "\r");
    char answer[128];
    int count = 0;
    EXPECT_EQ(link_.QueryCommand("QueryRev(0)", answer, sizeof answer, count).why(),
              DeviceFailure::Unusable);
    EXPECT_EQ(link_.lastStatus, SerialBufferFull);
    EXPECT_EQ(count, 128);
    peer_.Expect("QueryRev(1)", "Serial 17\r");
    ASSERT_TRUE(link_.QueryCommand("QueryRev(1)", answer, sizeof answer, count));
    EXPECT_EQ(std::string(answer, static_cast<std::size_t>(count)), "Serial 17");
}

TEST_F(DeviceLinkTest, AnOperationSendsNothingAfterItsFirstUnansweredExchange) {
    peer_.Expect("First", "");
    {
        const auto operation = link_.BeginOperation();
        EXPECT_EQ(link_.SendCommand("First").why(), DeviceFailure::Timeout);
        { const auto nested = link_.BeginOperation(); }
        const auto start = std::chrono::steady_clock::now();
        const DeviceResult refused = link_.SendCommand("Second");
        EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
        // The report names the command that went unanswered.
        EXPECT_EQ(refused.why(), DeviceFailure::Timeout);
        EXPECT_EQ(refused.command(), "First");
    }
    EXPECT_EQ(peer_.Received(), "First");
    EXPECT_EQ(log_.Count(kTimeoutText), 1u);
    // A new operation talks again.
    peer_.Expect("Second", "ok\r");
    EXPECT_TRUE(link_.SendCommand("Second"));
    ExpectScriptDone();
}

// ---- SD-card file read ----------------------------------------------------

class SdFileReadTest : public DeviceLinkTest {
  protected:
    void SetUp() override {
        DeviceLinkTest::SetUp();
        target_ = std::tmpfile();
        ASSERT_NE(target_, nullptr);
        for (int i = 0; i < 2500; ++i) {
            content_.push_back(static_cast<char>((i * 7) & 0xFF));
        }
    }
    void TearDown() override { std::fclose(target_); }

    std::string Written() {
        std::fflush(target_);
        std::rewind(target_);
        std::string text(5000, '\0');
        text.resize(std::fread(text.data(), 1, text.size(), target_));
        return text;
    }

    std::FILE* target_ = nullptr;
    std::string content_;
};

TEST_F(SdFileReadTest, CopiesTheFileInPiecesOf1024) {
    peer_.Expect("ReadFileOnSDCardFirst(\"DATA01.CSV\")", "2500\r");
    peer_.Expect("ReadFileOnSDCardNext", content_.substr(0, 1024));
    peer_.Expect("ReadFileOnSDCardNext", content_.substr(1024, 1024));
    peer_.Expect("ReadFileOnSDCardNext", content_.substr(2048));
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    const SdFileRead read = link_.ReadFileOnSDCard(
        "DATA01.CSV", target_,
        [&](std::int64_t done, std::int64_t total) { progress.emplace_back(done, total); });
    EXPECT_TRUE(read.result);
    EXPECT_EQ(read.announcedSize, 2500);
    EXPECT_EQ(read.bytesWritten, 2500);
    EXPECT_EQ(Written(), content_);
    EXPECT_EQ(progress, (std::vector<std::pair<std::int64_t, std::int64_t>>{
                            {1024, 2500}, {2048, 2500}, {2500, 2500}}));
    ExpectScriptDone();
}

TEST_F(SdFileReadTest, AnEmptyOrUnknownFileWritesNothing) {
    peer_.Expect("ReadFileOnSDCardFirst(\"NONE.CSV\")", "0\r");
    SdFileRead read = link_.ReadFileOnSDCard("NONE.CSV", target_);
    EXPECT_TRUE(read.result);
    EXPECT_EQ(read.announcedSize, 0);

    peer_.Expect("ReadFileOnSDCardFirst(\"LOST.CSV\")", "");
    read = link_.ReadFileOnSDCard("LOST.CSV", target_);
    EXPECT_EQ(read.result.why(), DeviceFailure::Timeout);
    EXPECT_EQ(link_.lastStatus, SerialReadTimeout);
    EXPECT_EQ(Written(), "");
    ExpectScriptDone();
}

TEST_F(SdFileReadTest, OnlyAWholeNumberIsTakenAsTheSize) {
    for (const char* answer : {"ERROR\r", "-1\r", "12abc\r", "\r", "\x8f\x01=\r"}) {
        SCOPED_TRACE(answer);
        peer_.Expect("ReadFileOnSDCardFirst(\"A.CSV\")", answer);
        const SdFileRead read = link_.ReadFileOnSDCard("A.CSV", target_);
        EXPECT_EQ(read.result.why(), DeviceFailure::Unusable);
        EXPECT_EQ(read.bytesWritten, 0);
    }
    // Sizes beyond 32 bits are taken whole; a stop request set before the
    // first piece ends the transfer there.
    const std::atomic<bool> stop{true};
    peer_.Expect("ReadFileOnSDCardFirst(\"BIG.CSV\")", "4294967296\r");
    const SdFileRead read = link_.ReadFileOnSDCard("BIG.CSV", target_, {}, &stop);
    EXPECT_EQ(read.announcedSize, 4294967296LL);
    EXPECT_EQ(read.result.why(), DeviceFailure::Cancelled);
    EXPECT_EQ(Written(), "");
    ExpectScriptDone();
}

// ---- Exclusive use --------------------------------------------------------

TEST_F(DeviceLinkTest, HoldKeepsOtherThreadsOutUntilReleased) {
    link_.serial.setReadTimeoutMs(5000);
    peer_.Expect("First", "1\r");
    peer_.Expect("Second", "2\r");
    peer_.Expect("Third", "3\r");
    std::atomic<bool> otherStarted{false};
    std::thread other;
    {
        const auto hold = link_.Hold();
        other = std::thread([&] {
            otherStarted = true;
            EXPECT_TRUE(link_.SendCommand("Third"));
        });
        while (!otherStarted) {
            std::this_thread::yield();
        }
        EXPECT_TRUE(link_.SendCommand("First"));
        EXPECT_TRUE(link_.SendCommand("Second"));
        EXPECT_EQ(peer_.Received(), "FirstSecond");
    }
    other.join();
    EXPECT_EQ(peer_.Received(), "FirstSecondThird");
    ExpectScriptDone();
}

}  // namespace
}  // namespace kyrvana
