#include "core/device/message_log.h"

#include <utility>

namespace kyrvana {
namespace {

constexpr std::string_view kOpenFailedText = "Cannot Create or Open Tallow Message Log file.\n";
constexpr std::string_view kNewLogFileText = "New Log File \n";

void WriteAll(std::FILE* stream, std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

}  // namespace

MessageLog& MessageLog::Instance() {
    // Deliberately leaked: lines may still be written while other static
    // objects are destroyed at exit.
    static MessageLog* const instance = new MessageLog();
    return *instance;
}

void MessageLog::Write(std::string_view line) {
    const std::lock_guard lock(mutex_);
    if (observer_) {
        // A copy, so that an observer that replaces itself keeps running.
        const Observer observer = observer_;
        observer(std::string(line), observerContext_);
    }
    WriteToStandardOutput(line);
    if (file_ != nullptr) {
        WriteAll(file_, line);
    }
}

std::string MessageLog::LogFileName(std::string_view baseName) {
    const std::size_t slash = baseName.find_last_of('/');
    const std::size_t dot = baseName.find_last_of('.');
    const bool dotInLastComponent =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    std::string name(dotInLastComponent ? baseName.substr(0, dot) : baseName);
    name += ".log";
    return name;
}

bool MessageLog::Open(std::string_view baseName) {
    const std::lock_guard lock(mutex_);
    CloseFile();
    baseName_ = baseName;
    std::FILE* file = std::fopen(LogFileName(baseName).c_str(), "wb");
    if (file == nullptr) {
        WriteToStandardOutput(kOpenFailedText);
        return false;
    }
    file_ = file;
    Write(kNewLogFileText);
    return true;
}

void MessageLog::CloseFile() {
    const std::lock_guard lock(mutex_);
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

bool MessageLog::IsFileOpen() const {
    const std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

void MessageLog::SetObserver(Observer observer, void* context) {
    // Taking the lock waits for a Write that is calling the old observer.
    const std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
    observerContext_ = observer_ ? context : nullptr;
}

void MessageLog::SetStandardOutput(std::FILE* stream) {
    const std::lock_guard lock(mutex_);
    standardOutput_ = stream;
}

void MessageLog::WriteToStandardOutput(std::string_view line) {
    if (standardOutput_ != nullptr) {
        WriteAll(standardOutput_, line);
    }
}

}  // namespace kyrvana
