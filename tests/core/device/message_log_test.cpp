#include "core/device/message_log.h"

#include <gtest/gtest.h>

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

TEST_F(MessageLogTest, ALineReachesTheObserverStandardOutputAndTheFile) {
    std::ofstream(folder_ / "run.log") << "old content\n";  // opening replaces it
    ASSERT_TRUE(log().Open((folder_ / "run.tmt").string()));
    std::vector<std::string> observed;
    log().SetObserver([&](const std::string& line, void*) { observed.push_back(line); }, nullptr);
    log().Write("\nline one\n");
    EXPECT_EQ(observed, std::vector<std::string>{"\nline one\n"});
    EXPECT_EQ(ReadStream(standardOutput_), "New Log File \n\nline one\n");
    EXPECT_EQ(readFile(folder_ / "run.log"), "New Log File \n\nline one\n");
}

TEST(MessageLogNameTest, TheLogFileReplacesTheExtension) {
    EXPECT_EQ(MessageLog::LogFileName("run.tmt"), "run.log");
    EXPECT_EQ(MessageLog::LogFileName("run"), "run.log");
    EXPECT_EQ(MessageLog::LogFileName("/tmp/x.d/run"), "/tmp/x.d/run.log");
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

// Lines from several threads arrive whole; an observer that was removed is
// never called again, even while other threads keep writing. Standard output
// silenced (as the window does) still feeds the observer and the file.
TEST_F(MessageLogTest, ConcurrentWritersAndObserverRemoval) {
    log().SetStandardOutput(nullptr);
    ASSERT_TRUE(log().Open((folder_ / "threads.tmt").string()));
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
    EXPECT_EQ(ReadStream(standardOutput_), "");
}

}  // namespace
}  // namespace kyrvana
