#pragma once

// A full disk, as far as this process's files can tell: while the object
// lives, no file of the process grows past `bytes`, and a write beyond that
// fails with EFBIG (SIGXFSZ, which would end the process, is ignored).
// Needs no privileges and touches no real file system; pipes and terminals
// are not limited. Restores the limit and the signal's handling when it goes.

#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace kyrvana::test_support {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok() const { return ok_; }

  private:
    struct rlimit previousLimit_ = {};
    struct sigaction previousAction_ = {};
    bool ok_ = false;
};

}  // namespace kyrvana::test_support
