#pragma once

// The stimulator's SD card, kept as a folder on disk. The firmware lists the
// whole card recursively, one "<size> <path>" line per file and a
// "0 DIR <path>" line per folder, paths from the card's root with "/"
// separators. A bare file name (the program sends only the part after the
// last "/") is looked up at the root first and then in the folders, in
// listing order, the way the firmware finds its data files in DATA/.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kyrvana::sim {

class SdCard {
  public:
    SdCard(std::filesystem::path root, std::int64_t volumeKB, bool carriageReturns);
    ~SdCard();
    SdCard(const SdCard&) = delete;
    SdCard& operator=(const SdCard&) = delete;

    bool present() const { return !root_.empty(); }
    const std::filesystem::path& root() const { return root_; }
    std::int64_t volumeKB() const { return present() ? volumeKB_ : 0; }

    // Listing lines, each ended by a line feed (CR LF when asked for).
    std::string listing() const;

    // Opens a file for the chunked read; its size, or -1 when it cannot be opened.
    std::int64_t openForRead(std::string_view name);
    // Up to `count` next bytes of the open file; empty when none is open or
    // all were read.
    std::string readNext(std::size_t count);

    bool remove(std::string_view name);
    // Writes `content` to `relative` (folders made as needed).
    bool writeFile(const std::filesystem::path& relative, std::string_view content,
                   std::string* error);

    // The file a name from the program stands for; nothing for a name that
    // leaves the card ("..") or is not found.
    std::optional<std::filesystem::path> resolve(std::string_view name) const;

  private:
    void closeRead();

    std::filesystem::path root_;
    std::int64_t volumeKB_;
    bool carriageReturns_;
    int readFd_ = -1;
    std::filesystem::path readPath_;
    std::int64_t readRemaining_ = 0;
};

}  // namespace kyrvana::sim
