#include "support/recording_host.h"

namespace kyrvana::test_support {

BoxAnswer RecordingHost::messageBox(const std::string& text, const std::string& /*caption*/,
                                    BoxIcon icon, BoxButtons buttons) {
    std::lock_guard lock(mutex_);
    boxes_.push_back({text, icon});
    return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
}

void RecordingHost::withView(const std::function<void(SequenceViewModel&)>& work) {
    // Boxes shown from inside `work` take the same lock.
    std::unique_lock lock(mutex_);
    SequenceViewModel copy = view_;
    lock.unlock();
    work(copy);
    lock.lock();
    view_ = std::move(copy);
}

void RecordingHost::postLogLine(const std::string& line) {
    std::lock_guard lock(mutex_);
    log_ += line;
}

void RecordingHost::setBusy(bool busy) {
    std::lock_guard lock(mutex_);
    busyCalls_.push_back(busy);
}

std::vector<bool> RecordingHost::busyCalls() const {
    std::lock_guard lock(mutex_);
    return busyCalls_;
}

void RecordingHost::deviceStatusChanged(DeviceStatus status) {
    std::lock_guard lock(mutex_);
    statuses_.push_back(status);
}

std::vector<DeviceStatus> RecordingHost::statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
}

void RecordingHost::runTestDataDialog(DeviceLink& link) {
    ++testDataDialogRuns;
    if (testDataDialog) {
        testDataDialog(link);
    }
}

std::vector<RecordedBox> RecordingHost::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

SequenceViewModel RecordingHost::view() const {
    std::lock_guard lock(mutex_);
    return view_;
}

std::string RecordingHost::logText() const {
    std::lock_guard lock(mutex_);
    return log_;
}

}  // namespace kyrvana::test_support
