#pragma once

// A document host for tests of the device operations: keeps the sequence
// view's state, records every message box (answered with OK), the message-log
// lines and the busy calls. Safe to use from the request thread while a test waits.

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/editor/sequence_view_model.h"
#include "core/protocol/document_host.h"

namespace kyrvana::test {

class RecordingHost : public DocumentHost {
  public:
    struct Box {
        std::string text;
        BoxIcon icon = BoxIcon::None;
    };

    BoxAnswer messageBox(const std::string& text, const std::string&, BoxIcon icon,
                         BoxButtons) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({text, icon});
        return BoxAnswer::Ok;
    }
    void withView(const std::function<void(SequenceViewModel&)>& work) override {
        std::lock_guard lock(viewMutex_);
        work(view_);
    }
    void postLogLine(const std::string& line) override {
        std::lock_guard lock(mutex_);
        logLines_.push_back(line);
    }
    void connectionChanged() override {}
    void setBusy(bool busy) override {
        std::lock_guard lock(mutex_);
        busyCalls_.push_back(busy);
    }
    void runTestDataDialog(DeviceLink&) override {}

    std::vector<Box> boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::size_t logCount(const std::string& line) const {
        std::lock_guard lock(mutex_);
        return static_cast<std::size_t>(std::count(logLines_.begin(), logLines_.end(), line));
    }
    std::vector<bool> busyCalls() const {
        std::lock_guard lock(mutex_);
        return busyCalls_;
    }
    SequenceViewModel view() {
        std::lock_guard lock(viewMutex_);
        return view_;
    }
    // Waits up to `limit` for `condition` on the view's state.
    bool waitForView(const std::function<bool(const SequenceViewModel&)>& condition,
                     std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            {
                std::lock_guard lock(viewMutex_);
                if (condition(view_)) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

  private:
    mutable std::mutex mutex_;
    std::mutex viewMutex_;  // withView may nest a messageBox, which takes mutex_
    SequenceViewModel view_;
    std::vector<Box> boxes_;
    std::vector<bool> busyCalls_;
    std::vector<std::string> logLines_;
};

}  // namespace kyrvana::test
