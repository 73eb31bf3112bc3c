#include "support/log_capture.h"

#include <algorithm>
#include <cstdio>

#include "core/device/message_log.h"

namespace kyrvana::test {

LogCapture::LogCapture() {
    MessageLog& log = MessageLog::Instance();
    log.SetStandardOutput(nullptr);
    log.SetObserver(
        [](const std::string& line, void* context) {
            auto* self = static_cast<LogCapture*>(context);
            const std::lock_guard lock(self->mutex_);
            self->lines_.push_back(line);
        },
        this);
}

LogCapture::~LogCapture() {
    MessageLog& log = MessageLog::Instance();
    log.SetObserver({}, nullptr);
    log.SetStandardOutput(stdout);
}

std::vector<std::string> LogCapture::Lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t LogCapture::Count(std::string_view line) const {
    const std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count(lines_.begin(), lines_.end(), line));
}

void LogCapture::Clear() {
    const std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace kyrvana::test
