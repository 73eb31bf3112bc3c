#pragma once

// Writing a file whole or not at all. A protocol file or a day's recorded
// data is worth more than the moment it takes to save it again, so a save
// never truncates the good copy first: the bytes go to a temporary file in
// the target's own folder, are flushed to the disk, and only then is the
// temporary file renamed over the target. A rename within one file system
// replaces the name in one step, so whoever reads the target (now or after a
// power cut) finds either the earlier file or the new one, never half of it.
// A full disk, a folder without write permission or an interrupt leaves the
// earlier file as it was and no temporary file behind.
//
// An existing target keeps its permissions; a symbolic link is followed, so
// that the file it points to is replaced and the link stays. Other names of
// the same file (hard links) keep the earlier content.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kyrvana {

enum class WholeFileStatus {
    Written,       // the target holds exactly the new bytes
    CannotCreate,  // no temporary file could be made; nothing was written
    WriteFailed,   // writing, flushing or renaming failed; the target is unchanged
};

struct WholeFileResult {
    WholeFileStatus status = WholeFileStatus::CannotCreate;
    int error = 0;  // errno of the step that failed

    bool written() const { return status == WholeFileStatus::Written; }
    // "No space left on device": the reason in the "C" locale's words.
    std::string reason() const;
};

class WholeFileWriter {
  public:
    // Makes the temporary file beside `target`.
    explicit WholeFileWriter(const std::filesystem::path& target);
    // Removes the temporary file unless it was renamed.
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // The open temporary file, for writers that stream into it; null once
    // finished or when it could not be made.
    std::FILE* stream() const { return file_; }
    bool write(std::string_view bytes);

    // Flushes the bytes to the disk and closes the file; false when any of
    // it failed, in which case its content cannot be trusted.
    bool finish();
    // Renames the finished file over the target. False when it was not
    // finished or the rename failed; the target is then as it was.
    bool replaceTarget();
    // Renames the finished file to `name` in the same folder instead (what
    // arrived of a transfer that fell short).
    bool keepAs(const std::filesystem::path& name);
    // finish() and replaceTarget().
    bool commit();

    // The final path written to (a symbolic link's destination).
    const std::filesystem::path& target() const { return target_; }
    WholeFileResult result() const;

  private:
    bool fail(WholeFileStatus status, int error);
    bool renameTo(const std::filesystem::path& destination);
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    bool finished_ = false;
    int cleanupSlot_ = -1;
    WholeFileResult result_;
};

// `bytes` as the whole content of `target`.
WholeFileResult writeWholeFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kyrvana
