#include "support/file_size_limit.h"

namespace kyrvana::test_support {

FileSizeLimit::FileSizeLimit(std::size_t bytes) {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (::getrlimit(RLIMIT_FSIZE, &previousLimit_) != 0 ||
        ::sigaction(SIGXFSZ, &ignore, &previousAction_) != 0) {
        return;
    }
    struct rlimit limit = previousLimit_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previousLimit_);
    ::sigaction(SIGXFSZ, &previousAction_, nullptr);
}

}  // namespace kyrvana::test_support
