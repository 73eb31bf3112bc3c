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
// business, tested without a device; here the card's answer reaches it.
TEST_F(TestDataSimTest, ScanListsTheDataFilesAndTheVolume) {
    device_.putFile("DATA/DEMO_0001.CSV", std::string(2500, 'a'));
    device_.putFile("DATA/DEMO_0002.CSV", std::string(13000, 'b'));
    device_.putFile("TEST.INI", "[Test]\n");
    const SdListing listing = readSdListing(link_);
    EXPECT_TRUE(listing.result);
    // Every line as the card sent it, folders and system files included.
    EXPECT_EQ(listing.responseLines.size(), 4u);
    const std::vector<SdFileEntry> expected = {{"DEMO_0002.CSV", 13000}, {"DEMO_0001.CSV", 2500}};
    EXPECT_EQ(listing.files, expected);
    std::int64_t kilobytes = 0;
    EXPECT_TRUE(link_.QuerySDVolumeSizeKB(kilobytes));
    EXPECT_EQ(kilobytes, 7741440);
}

TEST_F(TestDataSimTest, AListingCutByATimeOutKeepsTheLinesThatArrived) {
    device_.putFile("DATA/B.CSV", "bb");
    device_.putFile("DATA/C.CSV", "ccc");
    // "0 DIR /DATA\r\n2 /DATA/B.CSV\r\n" and a piece of the next line.
    sim().addFault({Fault::Kind::CutShort, "ListFilesOnSDCard", 30});
    const SdListing listing = readSdListing(link_);
    EXPECT_EQ(listing.result.why(), DeviceFailure::Timeout);
    const std::vector<SdFileEntry> expected = {{"B.CSV", 2}};
    EXPECT_EQ(listing.files, expected);
    sim().clearFaults();
    sim().addFault({Fault::Kind::NoAnswer, "QuerySDVolumeSizeKB"});
    std::int64_t kilobytes = -1;
    EXPECT_EQ(link_.QuerySDVolumeSizeKB(kilobytes).why(), DeviceFailure::Timeout);
    EXPECT_EQ(kilobytes, -1);
}

TEST_F(TestDataSimTest, A2500ByteFileComesIn1024_1024And452) {
    // Every byte value, in an order that differs from piece to piece.
    std::string content(2500, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>((i * 7) ^ (i >> 8));
    }
    device_.putFile("DATA/T1.CSV", content);
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
    // The bar runs 0..2 and stops at its end.
    EXPECT_EQ(downloadProgressMaximum(2500), 2);
    EXPECT_EQ(downloadProgressStep(1024, 2500), 1);
    EXPECT_EQ(downloadProgressStep(2500, 2500), 2);
    // An empty file is complete too; nothing else is left in the folder (no
    // temporary file).
    device_.putFile("DATA/EMPTY.CSV", "");
    EXPECT_EQ(Download("EMPTY.CSV").outcome, DownloadOutcome::Complete);
    EXPECT_EQ(readFile(downloads_ / "EMPTY.CSV"), "");
    EXPECT_EQ(FolderNames(downloads_), (std::vector<std::string>{"EMPTY.CSV", "T1.CSV"}));
}

TEST_F(TestDataSimTest, UnplugInTheMiddleKeepsTheEarlierCopyAndThePartAsIncomplete) {
    const std::string content(5000, 'n');
    device_.putFile("DATA/T2.CSV", content);
    WriteAll(downloads_ / "T2.CSV", "the good copy of last week");
    Fault unplug{Fault::Kind::HangUpAfter, "ReadFileOnSDCardNext", 10};
    unplug.skip = 2;
    sim().addFault(unplug);
    const DownloadReport report = Download("T2.CSV");
    EXPECT_EQ(report.outcome, DownloadOutcome::Incomplete);
    EXPECT_EQ(report.result.why(), DeviceFailure::PortGone);
    EXPECT_EQ(report.transfer.bytesWritten, 2048);
    EXPECT_EQ(readFile(downloads_ / "T2.CSV"), "the good copy of last week");
    EXPECT_EQ(report.savedAs, downloads_ / "T2.CSV.incomplete");
    EXPECT_EQ(readFile(downloads_ / "T2.CSV.incomplete"), content.substr(0, 2048));
    EXPECT_EQ(FolderNames(downloads_), (std::vector<std::string>{"T2.CSV", "T2.CSV.incomplete"}));
}

TEST_F(TestDataSimTest, AStopRequestKeepsTheEarlierCopyAndThePartOnlyWhenAsked) {
    device_.putFile("DATA/T4.CSV", std::string(5000, 's'));
    WriteAll(downloads_ / "T4.CSV", "the good copy of last week");
    // An interrupt drops what arrived; a person who cancelled keeps it.
    const struct {
        StoppedDownload onStop;
        std::vector<std::string> left;
    } cases[] = {
        {StoppedDownload::Discard, {"T4.CSV"}},
        {StoppedDownload::KeepIncomplete, {"T4.CSV", "T4.CSV.incomplete"}},
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
        if (c.onStop == StoppedDownload::KeepIncomplete) {
            EXPECT_EQ(report.savedAs, downloads_ / "T4.CSV.incomplete");
            EXPECT_EQ(readFile(downloads_ / "T4.CSV.incomplete"), std::string(2048, 's'));
        } else {
            EXPECT_TRUE(report.savedAs.empty());
        }
        // The link answers the next command in step.
        EXPECT_EQ(readSdListing(link_).files.size(), 1U);
    }
}

TEST_F(TestDataSimTest, ACompleteDownloadRemovesWhatABrokenOneLeft) {
    device_.putFile("DATA/T5.CSV", std::string(3000, 'c'));
    WriteAll(downloads_ / "T5.CSV.incomplete", std::string(1024, 'c'));
    EXPECT_EQ(Download("T5.CSV").outcome, DownloadOutcome::Complete);
    EXPECT_EQ(FolderNames(downloads_), std::vector<std::string>{"T5.CSV"});
}

TEST_F(TestDataSimTest, AShortPieceMakesTheDownloadIncomplete) {
    std::string content;
    for (int i = 0; i < 3000; ++i) {
        content.push_back(static_cast<char>('0' + i % 10));
    }
    device_.putFile("DATA/T3.CSV", content);
    Fault cut{Fault::Kind::CutShort, "ReadFileOnSDCardNext", 100};
    cut.skip = 1;
    cut.times = 1;
    sim().addFault(cut);
    const DownloadReport report = Download("T3.CSV");
    EXPECT_EQ(report.outcome, DownloadOutcome::Incomplete);
    // The file stops at the short piece; the report names it.
    EXPECT_EQ(report.result.why(), DeviceFailure::Timeout);
    EXPECT_EQ(report.result.command(), "ReadFileOnSDCardNext");
    EXPECT_FALSE(fs::exists(downloads_ / "T3.CSV"));
    EXPECT_EQ(readFile(downloads_ / "T3.CSV.incomplete"), content.substr(0, 1024));
}

TEST_F(TestDataSimTest, AFileTheDeviceCannotOpenLeavesNoFile) {
    // The device announces -1 for a file it cannot open.
    const DownloadReport report = Download("MISSING.CSV");
    EXPECT_EQ(report.outcome, DownloadOutcome::Incomplete);
    EXPECT_EQ(report.result.why(), DeviceFailure::Unusable);
    EXPECT_TRUE(report.savedAs.empty());
    EXPECT_TRUE(FolderNames(downloads_).empty());
}

TEST_F(TestDataSimTest, HostileNamesAreRefusedBeforeAnythingIsSentOrWritten) {
    // Names that a card can hold on Linux and that the listing passes on.
    device_.putFile("DATA/BAD\\NAME.CSV", "x");
    device_.putFile("DATA/TAB\tNAME.CSV", "x");
    const SdListing listing = readSdListing(link_);
    ASSERT_EQ(listing.files.size(), 2u);
    std::vector<std::string> names = {listing.files[0].name, listing.files[1].name};
    // A way out of the folder, and a command text the device's 512-byte
    // buffer would cut; which names are plain is tested without a device.
    names.emplace_back("../ESCAPE.CSV");
    names.emplace_back(std::string(487, 'L'));
    for (const std::string& name : names) {
        const DownloadReport report = Download(name);
        EXPECT_EQ(report.outcome, DownloadOutcome::CannotOpen) << name;
        EXPECT_EQ(report.result.why(), DeviceFailure::Refused) << name;
        EXPECT_TRUE(sim().receivedCommands().empty()) << name;
    }
    EXPECT_TRUE(FolderNames(downloads_).empty());
    EXPECT_FALSE(fs::exists(downloads_.parent_path() / "ESCAPE.CSV"));
}

TEST_F(TestDataSimTest, TheDownloadFolderIsMadeWithItsParents) {
    device_.putFile("DATA/T4.CSV", "data");
    const fs::path nested = downloads_ / "lab" / "week 3";
    sim().clearReceivedCommands();
    EXPECT_EQ(downloadSdFile(link_, "T4.CSV", nested).outcome, DownloadOutcome::Complete);
    EXPECT_EQ(readFile(nested / "T4.CSV"), "data");
    // A folder in the way of the file is not replaced.
    fs::create_directories(downloads_ / "T4.CSV");
    EXPECT_EQ(downloadSdFile(link_, "T4.CSV", downloads_).outcome, DownloadOutcome::CannotOpen);
}

class SdDeletionTest : public TestDataSimTest {
  protected:
    void SetUp() override {
        TestDataSimTest::SetUp();
        for (const char* name : {"D.CSV", "C.CSV", "B.CSV", "A.CSV"}) {
            device_.putFile(fs::path("DATA") / name, name);
        }
        files_ = readSdListing(link_).files;
        ASSERT_EQ(files_.size(), 4u);
        sim().clearReceivedCommands();
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const SdFileEntry& file : files_) {
            names.push_back(file.name);
        }
        return names;
    }

    std::vector<SdFileEntry> files_;
};

TEST_F(SdDeletionTest, SelectedEntriesGoFromTheHighestIndexDown) {
    const DeletionReport report = deleteSdFiles(link_, files_, {0, 3, 2});
    EXPECT_EQ(report.deleted, 3);
    EXPECT_EQ(report.failed, 0);
    const Commands expected = {"DeleteFileFromSDCard(\"A.CSV\")", "DeleteFileFromSDCard(\"B.CSV\")",
                               "DeleteFileFromSDCard(\"D.CSV\")"};
    EXPECT_EQ(sim().receivedCommands(), expected);
    EXPECT_EQ(Names(), std::vector<std::string>{"C.CSV"});
    EXPECT_EQ(FolderNames(device_.sdCard() / "DATA"), std::vector<std::string>{"C.CSV"});
}

TEST_F(SdDeletionTest, AFailedDeletionKeepsItsEntryAndTheOthersGoOn) {
    link_.serial.setReadTimeoutMs(100);
    Fault silent{Fault::Kind::NoAnswer, "DeleteFileFromSDCard(\"C.CSV\")"};
    sim().addFault(silent);
    const DeletionReport report = deleteSdFiles(link_, files_, {0, 1, 2});
    EXPECT_EQ(report.deleted, 2);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(report.result.command(), "DeleteFileFromSDCard(\"C.CSV\")");
    EXPECT_EQ(Names(), (std::vector<std::string>{"C.CSV", "A.CSV"}));
}

TEST_F(SdDeletionTest, DeleteAllEndsAtTheFirstFailure) {
    link_.serial.setReadTimeoutMs(100);
    sim().addFault({Fault::Kind::NoAnswer, "DeleteFileFromSDCard(\"C.CSV\")"});
    const DeletionReport report = deleteAllSdFiles(link_, files_);
    EXPECT_EQ(report.deleted, 1);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C.CSV", "B.CSV", "A.CSV"}));
    EXPECT_EQ(sim().receivedCommands().size(), 2u);

    sim().clearFaults();
    EXPECT_EQ(deleteAllSdFiles(link_, files_).deleted, 3);
    EXPECT_TRUE(files_.empty());
}

TEST_F(SdDeletionTest, ANameTooLongForTheCommandIsNotSent) {
    files_.push_back({std::string(40, 'L'), 1});
    EXPECT_FALSE(deleteSdFile(link_, files_, 4));
    EXPECT_EQ(files_.size(), 5u);
    EXPECT_TRUE(sim().receivedCommands().empty());
    EXPECT_FALSE(deleteSdFile(link_, files_, 9));
}

}  // namespace
}  // namespace kyrvana
