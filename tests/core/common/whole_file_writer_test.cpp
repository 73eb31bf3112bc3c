// Files written whole or not at all: the target changes only into the
// complete new content, keeps its permissions and symbolic link, and a
// full disk, a missing folder or an interrupt leave the earlier file and
// nothing else.

#include "core/common/whole_file_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "core/common/interrupt_cleanup.h"
#include "support/temporary_folder.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;
using test_support::readFile;
using test_support::TemporaryFolder;
using Names = std::vector<std::string>;

constexpr const char* kEarlier = "earlier content\r\n";

unsigned permissions(const fs::path& path) {
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

TEST(WholeFileWriterTest, ReplacesKeepingPermissionsAndLinks) {
    TemporaryFolder folder;
    const fs::path target = folder.file("protocol.tmt");
    ASSERT_TRUE(writeWholeFile(target, "first").written());
    EXPECT_EQ(readFile(target), "first");

    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(writeWholeFile(target, "second, longer").written());
    EXPECT_EQ(readFile(target), "second, longer");
    EXPECT_EQ(permissions(target), 0640u);

    // Saving through a link replaces the file it names; the link stays.
    const fs::path link = folder.file("latest.tmt");
    fs::create_symlink("protocol.tmt", link);
    ASSERT_TRUE(writeWholeFile(link, "third").written());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(readFile(target), "third");
    EXPECT_EQ(folder.names(), (Names{"latest.tmt", "protocol.tmt"}));
}

TEST(WholeFileWriterTest, AFailedWriteLeavesTheEarlierFileAndNothingElse) {
    const std::string larger(4000, 'x');
    const struct {
        const char* what;
        const char* name;
        WholeFileStatus status;
        int error;
    } cases[] = {
        {"the disk is full", "kept.tmt", WholeFileStatus::WriteFailed, EFBIG},
        {"the folder is missing", "missing/kept.tmt", WholeFileStatus::CannotCreate, ENOENT},
        {"the name is a folder", "folder", WholeFileStatus::CannotCreate, EISDIR},
    };
    for (const auto& c : cases) {
        TemporaryFolder folder;
        ASSERT_TRUE(writeWholeFile(folder.file("kept.tmt"), kEarlier).written());
        fs::create_directory(folder.path() / "folder");
        // A full disk, as far as this process's files can tell: no file
        // grows past the earlier content, a write beyond fails with EFBIG
        // (SIGXFSZ, which would end the process, is ignored meanwhile).
        rlimit before = {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
        rlimit full = before;
        full.rlim_cur = std::string(kEarlier).size();
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
        const WholeFileResult result = writeWholeFile(folder.file(c.name), larger);
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what << ": " << result.reason();
        EXPECT_EQ(readFile(folder.file("kept.tmt")), kEarlier) << c.what;
        EXPECT_EQ(folder.names(), (Names{"folder", "kept.tmt"})) << c.what;
    }
}

// Ctrl+C in the middle of a write: the program still ends through the
// signal, and the folder holds the earlier file alone.
TEST(WholeFileWriterTest, AnInterruptRemovesTheTemporaryFile) {
    TemporaryFolder folder;
    const fs::path target = folder.file("kept.tmt");
    ASSERT_TRUE(writeWholeFile(target, kEarlier).written());
    EXPECT_EXIT(
        {
            installInterruptCleanup();
            WholeFileWriter writer(target);
            writer.write("half of the new");
            std::fflush(writer.stream());
            std::raise(SIGINT);
        },
        testing::KilledBySignal(SIGINT), "");
    EXPECT_EQ(readFile(target), kEarlier);
    EXPECT_EQ(folder.names(), Names{"kept.tmt"});
}

}  // namespace
}  // namespace kyrvana
