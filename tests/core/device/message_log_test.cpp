#include "core/device/message_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temporary_folder.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

using test_support::readFile;

std::string ReadStream(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    char buffer[256];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
        text.append(buffer, got);
    }
    return text;
}

class MessageLogTest : public testing::Test {
  protected:
    void SetUp() override {
        standardOutput_ = std::tmpfile();
        ASSERT_NE(standardOutput_, nullptr);
        log().SetStandardOutput(standardOutput_);
    }
    void TearDown() override {
        log().SetObserver({}, nullptr);
        log().CloseFile();
        log().SetStandardOutput(stdout);
        std::fclose(standardOutput_);
    }
    static MessageLog& log() { return MessageLog::Instance(); }

    test_support::TemporaryFolder temp_;
    const fs::path& folder_ = temp_.path();
    std::FILE* standardOutput_ = nullptr;
};

TEST_F(MessageLogTest, ALineGoesToTheObserverThenStandardOutputThenTheFile) {
    const fs::path logFile = folder_ / "run.log";
    ASSERT_TRUE(log().Open((folder_ / "run.tmt").string()));

    // Each leg records what the legs behind it already hold.
    struct Probe {
        fs::path file;
        std::vector<std::string> events;
    } probe{logFile, {}};
    cookie_io_functions_t functions{};
    functions.write = [](void* cookie, const char* bytes, std::size_t size) -> ssize_t {
        auto* p = static_cast<Probe*>(cookie);
        p->events.push_back("stdout " + std::string(bytes, size) + "file " + readFile(p->file));
        return static_cast<ssize_t>(size);
    };
    std::FILE* stream = fopencookie(&probe, "w", functions);
    ASSERT_NE(stream, nullptr);
    log().SetStandardOutput(stream);
    log().SetObserver(
        [](const std::string& line, void* context) {
            auto* p = static_cast<Probe*>(context);
            p->events.push_back("observer " + line + "file " + readFile(p->file));
        },
        &probe);

    log().Write("\nline one\n");
    log().SetStandardOutput(standardOutput_);
    std::fclose(stream);

    EXPECT_EQ(probe.events, (std::vector<std::string>{"observer \nline one\nfile New Log File \n",
                                                      "stdout \nline one\nfile New Log File \n"}));
    EXPECT_EQ(readFile(logFile), "New Log File \n\nline one\n");
}

TEST_F(MessageLogTest, WithoutObserverOrFileALineGoesToStandardOutputOnly) {
    log().Write("only here\n");
    EXPECT_EQ(ReadStream(standardOutput_), "only here\n");
    EXPECT_FALSE(log().IsFileOpen());
}

TEST_F(MessageLogTest, OpenReplacesEarlierContent) {
    const fs::path logFile = folder_ / "run.log";
    {
        std::ofstream old(logFile);
        old << "old content\n";
    }
    ASSERT_TRUE(log().Open((folder_ / "run").string()));
    EXPECT_TRUE(log().IsFileOpen());
    EXPECT_EQ(readFile(logFile), "New Log File \n");
}

TEST(MessageLogNameTest, TheLogFileReplacesTheExtension) {
    EXPECT_EQ(MessageLog::LogFileName("run.tmt"), "run.log");
    EXPECT_EQ(MessageLog::LogFileName("run"), "run.log");
    EXPECT_EQ(MessageLog::LogFileName("a.b.tmt"), "a.b.log");
    EXPECT_EQ(MessageLog::LogFileName("/tmp/x.d/run"), "/tmp/x.d/run.log");
    EXPECT_EQ(MessageLog::LogFileName("/tmp/x.d/run.tmt"), "/tmp/x.d/run.log");
}

TEST_F(MessageLogTest, AnUnwritableFolderIsReportedAndLinesStillReachTheObserver) {
    std::vector<std::string> observed;
    log().SetObserver([&](const std::string& line, void*) { observed.push_back(line); }, nullptr);
    EXPECT_FALSE(log().Open((folder_ / "missing" / "run.tmt").string()));
    EXPECT_FALSE(log().IsFileOpen());
    EXPECT_EQ(ReadStream(standardOutput_), "Cannot Create or Open Tallow Message Log file.\n");
    EXPECT_TRUE(observed.empty());  // the failure text is for standard output only

    log().Write("later\n");
    EXPECT_EQ(observed, std::vector<std::string>{"later\n"});
}

TEST_F(MessageLogTest, SilencedStandardOutputStillFeedsObserverAndFile) {
    log().SetStandardOutput(nullptr);
    ASSERT_TRUE(log().Open((folder_ / "quiet.tmt").string()));
    int calls = 0;
    log().SetObserver([&](const std::string&, void*) { ++calls; }, nullptr);
    log().Write("a\n");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(readFile(folder_ / "quiet.log"), "New Log File \na\n");
    EXPECT_EQ(ReadStream(standardOutput_), "");
}

// Lines from several threads arrive whole; an observer that was removed is
// never called again, even while other threads keep writing.
TEST_F(MessageLogTest, ConcurrentWritersAndObserverRemoval) {
    ASSERT_TRUE(log().Open((folder_ / "threads.tmt").string()));
    log().SetStandardOutput(nullptr);
    constexpr int kWriters = 4;
    constexpr int kLinesEach = 500;

    std::atomic<bool> removed{false};
    std::atomic<int> callsAfterRemoval{0};
    std::atomic<int> calls{0};
    log().SetObserver(
        [&](const std::string&, void*) {
            calls.fetch_add(1);
            if (removed.load()) {
                callsAfterRemoval.fetch_add(1);
            }
        },
        nullptr);

    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([w] {
            const std::string line = "writer " + std::to_string(w) + " says hello\n";
            for (int i = 0; i < kLinesEach; ++i) {
                MessageLog::Instance().Write(line);
            }
        });
    }
    while (calls.load() < 50) {
        std::this_thread::yield();
    }
    log().SetObserver({}, nullptr);
    removed = true;
    for (std::thread& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(callsAfterRemoval.load(), 0);

    std::istringstream file(readFile(folder_ / "threads.log"));
    std::string line;
    int count = 0;
    std::getline(file, line);
    EXPECT_EQ(line, "New Log File ");
    while (std::getline(file, line)) {
        EXPECT_TRUE(line.starts_with("writer ") && line.ends_with(" says hello")) << line;
        ++count;
    }
    EXPECT_EQ(count, kWriters * kLinesEach);
}

}  // namespace
}  // namespace kyrvana
