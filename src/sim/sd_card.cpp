#include "sim/sd_card.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/common/c_locale_text.h"

namespace kyrvana::sim {

namespace fs = std::filesystem;

namespace {

// Entries of a folder in byte order of their names, so listings are stable.
std::vector<fs::directory_entry> sortedEntries(const fs::path& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(*it);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().string() < b.path().filename().string();
    });
    return entries;
}

// Depth-first walk in listing order; `visit` returns true to stop.
template <typename Visit>
bool walk(const fs::path& folder, const std::string& cardPath, Visit&& visit) {
    for (const auto& entry : sortedEntries(folder)) {
        std::error_code ec;
        const std::string path = cardPath + "/" + entry.path().filename().string();
        if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
            if (visit(entry, path, true) || walk(entry.path(), path, visit)) {
                return true;
            }
        } else if (entry.is_regular_file(ec)) {
            if (visit(entry, path, false)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

SdCard::SdCard(fs::path root, std::int64_t volumeKB, bool carriageReturns)
    : root_(std::move(root)), volumeKB_(volumeKB), carriageReturns_(carriageReturns) {}

SdCard::~SdCard() {
    closeRead();
}

std::string SdCard::listing() const {
    std::string text;
    if (!present()) {
        return text;
    }
    const char* end = carriageReturns_ ? "\r\n" : "\n";
    walk(root_, "", [&](const fs::directory_entry& entry, const std::string& path, bool folder) {
        if (folder) {
            text += "0 DIR " + path + end;
        } else {
            std::error_code ec;
            const auto size = entry.file_size(ec);
            text +=
                cFormat("%llu", static_cast<unsigned long long>(ec ? 0 : size)) + " " + path + end;
        }
        return false;
    });
    return text;
}

std::optional<fs::path> SdCard::resolve(std::string_view name) const {
    if (!present() || name.empty()) {
        return std::nullopt;
    }
    const fs::path relative = fs::path(std::string(name)).relative_path();
    for (const auto& part : relative) {
        if (part == "..") {
            return std::nullopt;
        }
    }
    std::error_code ec;
    const fs::path direct = root_ / relative;
    if (fs::is_regular_file(direct, ec)) {
        return direct;
    }
    if (name.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    std::optional<fs::path> found;
    walk(root_, "", [&](const fs::directory_entry& entry, const std::string&, bool folder) {
        if (!folder && entry.path().filename() == relative) {
            found = entry.path();
            return true;
        }
        return false;
    });
    return found;
}

void SdCard::closeRead() {
    if (readFd_ >= 0) {
        ::close(readFd_);
        readFd_ = -1;
    }
    readRemaining_ = 0;
    readPath_.clear();
}

std::int64_t SdCard::openForRead(std::string_view name) {
    closeRead();
    const auto path = resolve(name);
    if (!path) {
        return -1;
    }
    readFd_ = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
    if (readFd_ < 0) {
        return -1;
    }
    std::error_code ec;
    const auto size = fs::file_size(*path, ec);
    if (ec) {
        closeRead();
        return -1;
    }
    readPath_ = *path;
    readRemaining_ = static_cast<std::int64_t>(size);
    return readRemaining_;
}

std::string SdCard::readNext(std::size_t count) {
    std::string bytes;
    if (readFd_ < 0 || readRemaining_ <= 0) {
        return bytes;
    }
    bytes.resize(std::min<std::size_t>(count, static_cast<std::size_t>(readRemaining_)));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(readFd_, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;  // the file shrank under us: send what there is
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    readRemaining_ -= static_cast<std::int64_t>(bytes.size());
    if (bytes.empty() || readRemaining_ <= 0) {
        closeRead();
    }
    return bytes;
}

bool SdCard::remove(std::string_view name) {
    const auto path = resolve(name);
    if (!path) {
        return false;
    }
    if (readFd_ >= 0 && readPath_ == *path) {
        closeRead();
    }
    std::error_code ec;
    return fs::remove(*path, ec) && !ec;
}

bool SdCard::writeFile(const fs::path& relative, std::string_view content, std::string* error) {
    if (!present()) {
        if (error != nullptr) {
            *error = "no SD card";
        }
        return false;
    }
    const fs::path target = root_ / relative;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        if (error != nullptr) {
            *error = "cannot write " + target.string();
        }
        return false;
    }
    return true;
}

}  // namespace kyrvana::sim
