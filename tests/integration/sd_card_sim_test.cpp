// Listing, downloading and deleting the simulated stimulator's SD-card files
// the way the test-data dialog and kyrvana-cli do it.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/sdcard/sd_deletion.h"
#include "core/sdcard/sd_download.h"
#include "core/sdcard/sd_file_listing.h"
#include "support/sim_link.h"
#include "support/temporary_folder.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;
using Commands = std::vector<std::string>;
using Fault = sim::SimulatorFault;

using test_support::readFile;

void WriteAll(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// The files of a folder, by name.
std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class TestDataSimTest : public test_support::SimLinkTest<> {
  protected:
    // Downloads `name` and records each progress call.
    DownloadReport Download(const std::string& name) {
        progress_.clear();
        sim().clearReceivedCommands();
        return downloadSdFile(
            link_, name, downloads_,
            [this](std::int64_t done, std::int64_t total) { progress_.emplace_back(done, total); });
    }

    test_support::TemporaryFolder folder_;
    const fs::path& downloads_ = folder_.path();
    std::vector<std::pair<std::int64_t, std::int64_t>> progress_;
};

// Which lines are data files and their order is the listing reader's
// business, tested without a device; here the card's answer reaches it, and
// a listing cut by a time-out keeps the lines that arrived.
TEST_F(TestDataSimTest, ScanListsTheDataFilesAndTheVolume) {
    device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
    device_.putFile("DATA/DEMO_0002.CSV", std::string(13000, 'b'));
    device_.putFile("TEST.INI", "[Test]\n");
    SdListing listing = readSdListing(link_);
    EXPECT_TRUE(listing.result);
    const std::vector<SdFileEntry> expected = {{"DEMO_0002.CSV", 13000}, {"DEMO_0001.CSV", 2500}};
    EXPECT_EQ(listing.files, expected);
    std::int64_t kilobytes = 0;
    EXPECT_TRUE(link_.QuerySDVolumeSizeKB(kilobytes));
    EXPECT_EQ(kilobytes, 7741440);

    // "0 DIR /DATA\r\n2500 /DATA/DEMO_0001.CSV\r\n" and a piece of the next line.
    sim().addFault({Fault::Kind::CutShort, "ListFilesOnSDCard", 40});
    listing = readSdListing(link_);
    EXPECT_EQ(listing.result.why(), DeviceFailure::Timeout);
    EXPECT_EQ(listing.files, std::vector<SdFileEntry>{expected[1]});
}

TEST_F(TestDataSimTest, A2500ByteFileComesIn1024_1024And452) {
    // Every byte value, in an order that differs from piece to piece.
    std::string content(2500, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>((i * 7) ^ (i >> 8));
    }
    device_.putFile("DATA/T1.CSV", content);
    // What a broken download left goes once a whole copy is in place.
    WriteAll(downloads_ / "T1.CSV.incomplete", std::string(1024, 'c'));
    const DownloadReport report = Download("T1.CSV");
    EXPECT_EQ(report.outcome, DownloadOutcome::Complete);
    EXPECT_EQ(report.savedAs, downloads_ / "T1.CSV");
    EXPECT_EQ(readFile(downloads_ / "T1.CSV"), content);
    const Commands expected = {"ReadFileOnSDCardFirst(\"T1.CSV\")", "ReadFileOnSDCardNext",
                               "ReadFileOnSDCardNext", "ReadFileOnSDCardNext"};
    EXPECT_EQ(sim().receivedCommands(), expected);
    const std::vector<std::pair<std::int64_t, std::int64_t>> steps = {
        {1024, 2500}, {2048, 2500}, {2500, 2500}};
    EXPECT_EQ(progress_, steps);
    // Nothing else is left in the folder (no temporary file).
    EXPECT_EQ(FolderNames(downloads_), std::vector<std::string>{"T1.CSV"});
}

// A download that breaks off keeps the earlier copy of the file and puts
// what arrived, and only that, in <name>.incomplete; the report names the
// command it broke at.
TEST_F(TestDataSimTest, ABrokenDownloadKeepsTheEarlierCopyAndThePartAsIncomplete) {
    std::string content;
    for (int i = 0; i < 5000; ++i) {
        content.push_back(static_cast<char>('0' + i % 10));
    }
    device_.putFile("DATA/T2.CSV", content);
    WriteAll(downloads_ / "T2.CSV", "the good copy of last week");
    const struct {
        const char* what;
        Fault fault;
        DeviceFailure why;
        std::size_t kept;
    } cases[] = {
        {"a short second piece",
         {Fault::Kind::CutShort, "ReadFileOnSDCardNext", 100, 1, 1},
         DeviceFailure::Timeout,
         1024},
        {"unplugged in the third piece",
         {Fault::Kind::HangUpAfter, "ReadFileOnSDCardNext", 10, 2},
         DeviceFailure::PortGone,
         2048},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim().addFault(c.fault);
        const DownloadReport report = Download("T2.CSV");
        EXPECT_EQ(report.outcome, DownloadOutcome::Incomplete);
        EXPECT_EQ(report.result.why(), c.why);
        EXPECT_EQ(report.result.command(), "ReadFileOnSDCardNext");
        EXPECT_EQ(readFile(downloads_ / "T2.CSV"), "the good copy of last week");
        EXPECT_EQ(report.savedAs, downloads_ / "T2.CSV.incomplete");
        EXPECT_EQ(readFile(downloads_ / "T2.CSV.incomplete"), content.substr(0, c.kept));
    }
}

TEST_F(TestDataSimTest, AStopRequestKeepsTheEarlierCopyAndThePartOnlyWhenAsked) {
    device_.putFile("DATA/T4.CSV", std::string(5000, 's'));
    WriteAll(downloads_ / "T4.CSV", "the good copy of last week");
    // An interrupt drops what arrived; a person who cancelled keeps it.
    const struct {
        StoppedDownload onStop;
        std::vector<std::string> left;
        const char* savedAs;
    } cases[] = {
        {StoppedDownload::Discard, {"T4.CSV"}, ""},
        {StoppedDownload::KeepIncomplete, {"T4.CSV", "T4.CSV.incomplete"}, "T4.CSV.incomplete"},
    };
    for (const auto& c : cases) {
        std::atomic<bool> stop{false};
        // Asked for while the second piece is on its way.
        const DownloadReport report = downloadSdFile(
            link_, "T4.CSV", downloads_,
            [&stop](std::int64_t done, std::int64_t) { stop = done >= 2048; }, &stop, c.onStop);
        EXPECT_EQ(report.result.why(), DeviceFailure::Cancelled);
        EXPECT_EQ(report.transfer.bytesWritten, 2048);
        EXPECT_EQ(FolderNames(downloads_), c.left);
        EXPECT_EQ(readFile(downloads_ / "T4.CSV"), "the good copy of last week");
        EXPECT_EQ(report.savedAs.filename(), c.savedAs);
        // The link answers the next command in step.
        EXPECT_EQ(readSdListing(link_).files.size(), 1U);
    }
}

// A way out of the folder, and a command text the device's 512-byte buffer
// would cut, are refused before anything is sent or written; which names
// are plain is tested without a device.
TEST_F(TestDataSimTest, UnusableNamesAreRefusedBeforeAnythingIsSentOrWritten) {
    for (const std::string& name : {std::string("../ESCAPE.CSV"), std::string(487, 'L')}) {
        EXPECT_EQ(Download(name).result.why(), DeviceFailure::Refused);
        EXPECT_TRUE(sim().receivedCommands().empty());
    }
    EXPECT_TRUE(FolderNames(downloads_).empty());
    EXPECT_FALSE(fs::exists(downloads_.parent_path() / "ESCAPE.CSV"));
}

class SdDeletionTest : public TestDataSimTest {
  protected:
    void SetUp() override {
        TestDataSimTest::SetUp();
        // Each file holds its own name: five bytes.
        for (const char* name : {"D.CSV", "C.CSV", "B.CSV", "A.CSV"}) {
            device_.putFile(fs::path("DATA") / name, name);
        }
        files_ = readSdListing(link_).files;
        ASSERT_EQ(files_.size(), 4u);
        sim().clearReceivedCommands();
    }

    std::vector<SdFileEntry> files_;
};

TEST_F(SdDeletionTest, SelectedEntriesGoFromTheHighestIndexDown) {
    const DeletionReport report = deleteSdFiles(link_, files_, {0, 3, 2});
    EXPECT_EQ(std::pair(report.deleted, report.failed), std::pair(3, 0));
    const Commands expected = {"DeleteFileFromSDCard(\"A.CSV\")", "DeleteFileFromSDCard(\"B.CSV\")",
                               "DeleteFileFromSDCard(\"D.CSV\")"};
    EXPECT_EQ(sim().receivedCommands(), expected);
    EXPECT_EQ(files_, (std::vector<SdFileEntry>{{"C.CSV", 5}}));
    EXPECT_EQ(FolderNames(device_.sdCard() / "DATA"), std::vector<std::string>{"C.CSV"});
}

// A failed deletion keeps its entry: a selection goes on with the others,
// Delete All ends there.
TEST_F(SdDeletionTest, AFailedDeletionKeepsItsEntry) {
    link_.serial.setReadTimeoutMs(100);
    sim().addFault({Fault::Kind::NoAnswer, "DeleteFileFromSDCard(\"C.CSV\")"});
    const DeletionReport report = deleteSdFiles(link_, files_, {0, 1, 2});
    EXPECT_EQ(std::pair(report.deleted, report.failed), std::pair(2, 1));
    EXPECT_EQ(report.result.command(), "DeleteFileFromSDCard(\"C.CSV\")");
    const std::vector<SdFileEntry> left = {{"C.CSV", 5}, {"A.CSV", 5}};
    EXPECT_EQ(files_, left);

    EXPECT_EQ(deleteAllSdFiles(link_, files_).failed, 1);
    EXPECT_EQ(files_, left);
    sim().clearFaults();
    EXPECT_EQ(deleteAllSdFiles(link_, files_).deleted, 2);
    EXPECT_TRUE(files_.empty());
}

}  // namespace
}  // namespace kyrvana
