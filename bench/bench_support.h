#pragma once

// What the benchmark programs share: their "--name value" options and a
// scratch folder of their own under the system's temporary folder.

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "core/common/c_locale_text.h"

namespace kyrvana::bench {

// The number after `name` among the arguments, or `fallback`; never below
// `least`.
inline int intOption(int argc, char** argv, const char* name, int fallback, int least) {
    int value = fallback;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            value = cAtoi(argv[i + 1]);
        }
    }
    return std::max(least, value);
}

// A new, empty folder, removed with everything in it when the run ends.
class ScratchFolder {
  public:
    // `prefix` names the folder, e.g. "kyrvana-bench"; nullopt when it could
    // not be made (the reason is on standard error).
    static std::optional<ScratchFolder> make(const char* prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            return std::nullopt;
        }
        return ScratchFolder(pattern);
    }
    ScratchFolder(ScratchFolder&& other) noexcept : path_(std::move(other.path_)) {
        other.path_.clear();
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ScratchFolder& operator=(ScratchFolder&&) = delete;
    ~ScratchFolder() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }

    const std::filesystem::path& path() const { return path_; }

  private:
    explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {}
    std::filesystem::path path_;
};

}  // namespace kyrvana::bench
