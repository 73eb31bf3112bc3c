#pragma once

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.

#include <filesystem>
#include <string>
#include <vector>

namespace kyrvana::test_support {

class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // `name` inside the folder, as a string for the C library and Qt.
    std::string file(const std::string& name) const;
    // The names of the folder's entries, hidden ones included, sorted.
    std::vector<std::string> names() const;

  private:
    std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

}  // namespace kyrvana::test_support
