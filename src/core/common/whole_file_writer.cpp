#include "core/common/whole_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <system_error>

#include "core/common/c_locale_text.h"
#include "core/common/interrupt_cleanup.h"

namespace kyrvana {
namespace {

namespace fs = std::filesystem;

// Long enough to tell whose file a leftover was, short enough that the
// temporary name stays within the file system's limit.
constexpr std::size_t kNameShown = 100;
constexpr int kAttempts = 100;

// A symbolic link is followed to the file it names; a link that names
// nothing is replaced like a missing file.
fs::path finalTarget(const fs::path& target) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target, ec))) {
        return target;
    }
    const fs::path resolved = fs::canonical(target, ec);
    return ec ? target : resolved;
}

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// ".<name>.kyrvana-<pid>-<n>-<random>": hidden, and unique among this and
// other programs writing into the same folder.
fs::path temporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::minstd_rand random{std::random_device{}()};
    const std::string name = target.filename().string().substr(0, kNameShown);
    return folderOf(target) / cFormat(".%s.kyrvana-%d-%u-%08x", name.c_str(),
                                      static_cast<int>(::getpid()), counter.fetch_add(1),
                                      static_cast<unsigned>(random()));
}

// Makes a rename within `folder` reach the disk as well.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::string WholeFileResult::reason() const {
    return error == 0 ? std::string("unknown error") : cErrorText(error);
}

WholeFileWriter::WholeFileWriter(const fs::path& target) : target_(finalTarget(target)) {
    struct stat existing = {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A folder or a device cannot be replaced by a file.
        fail(WholeFileStatus::CannotCreate, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
        return;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const fs::path candidate = temporaryName(target_);
        // Registered before it exists, so that no moment leaves it behind.
        cleanupSlot_ = registerInterruptCleanup(candidate.c_str());
        // Made with the usual permissions (0666 less the umask) unless an
        // earlier file gives its own.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            releaseInterruptCleanup(cleanupSlot_);
            cleanupSlot_ = -1;
            if (error == EEXIST) {
                continue;
            }
            fail(WholeFileStatus::CannotCreate, error);
            return;
        }
        temporary_ = candidate;
        if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
            fail(WholeFileStatus::CannotCreate, errno);
            ::close(fd);
            discard();
            return;
        }
        file_ = ::fdopen(fd, "wb");
        if (file_ == nullptr) {
            fail(WholeFileStatus::CannotCreate, errno);
            ::close(fd);
            discard();
        }
        return;
    }
    fail(WholeFileStatus::CannotCreate, EEXIST);
}

WholeFileWriter::~WholeFileWriter() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    discard();
}

bool WholeFileWriter::write(std::string_view bytes) {
    if (file_ == nullptr) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        return fail(WholeFileStatus::WriteFailed, errno);
    }
    return true;
}

bool WholeFileWriter::finish() {
    if (file_ == nullptr) {
        return finished_;
    }
    // Every step runs, so that the descriptor is closed; the first failure
    // gives the reason.
    int error = std::ferror(file_) != 0 ? EIO : 0;
    if (std::fflush(file_) != 0 && error == 0) {
        error = errno;
    }
    if (::fsync(::fileno(file_)) != 0 && error == 0) {
        error = errno;
    }
    if (std::fclose(file_) != 0 && error == 0) {
        error = errno;
    }
    file_ = nullptr;
    if (error != 0) {
        return fail(WholeFileStatus::WriteFailed, error);
    }
    finished_ = true;
    return true;
}

bool WholeFileWriter::replaceTarget() {
    if (!finished_ || !renameTo(target_)) {
        return false;
    }
    result_ = {WholeFileStatus::Written, 0};
    return true;
}

bool WholeFileWriter::keepAs(const fs::path& name) {
    return finished_ && renameTo(folderOf(target_) / name);
}

bool WholeFileWriter::commit() {
    return finish() && replaceTarget();
}

WholeFileResult WholeFileWriter::result() const {
    return result_;
}

bool WholeFileWriter::fail(WholeFileStatus status, int error) {
    // The first failure is the one worth telling.
    if (result_.error == 0) {
        result_ = {status, error};
    }
    return false;
}

bool WholeFileWriter::renameTo(const fs::path& destination) {
    if (temporary_.empty()) {
        return false;
    }
    if (::rename(temporary_.c_str(), destination.c_str()) != 0) {
        return fail(WholeFileStatus::WriteFailed, errno);
    }
    temporary_.clear();
    releaseInterruptCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    syncFolder(folderOf(destination));
    return true;
}

void WholeFileWriter::discard() {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    releaseInterruptCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
}

WholeFileResult writeWholeFile(const fs::path& target, std::string_view bytes) {
    WholeFileWriter writer(target);
    if (writer.write(bytes)) {
        writer.commit();
    }
    return writer.result();
}

}  // namespace kyrvana
