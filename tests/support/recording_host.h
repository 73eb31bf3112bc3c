#pragma once

// A document host for tests: message boxes are recorded and a question is
// answered Yes, the view is a plain SequenceViewModel guarded by a mutex (so
// the request thread and the test thread can both reach it), log lines, busy
// calls and device statuses are recorded.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/document/document_host.h"
#include "core/editor/sequence_view_model.h"

namespace kyrvana::test_support {

struct RecordedBox {
    std::string text;
    BoxIcon icon = BoxIcon::None;
};

class RecordingHost : public DocumentHost {
  public:
    BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons) override;
    void withView(const std::function<void(SequenceViewModel&)>& work) override;
    void postLogLine(const std::string& line) override;
    void connectionChanged() override {}
    void setBusy(bool busy) override;
    void runTestDataDialog(DeviceLink& link) override;
    void deviceStatusChanged(DeviceStatus status) override;

    // Copies, safe while the request thread runs.
    std::vector<RecordedBox> boxes() const;
    SequenceViewModel view() const;
    std::string logText() const;
    std::vector<bool> busyCalls() const;
    // Every status the document announced, in order.
    std::vector<DeviceStatus> statuses() const;

    // Called for the test-data dialog, on the thread that asked for it.
    std::function<void(DeviceLink&)> testDataDialog;

    std::atomic<int> testDataDialogRuns{0};

  private:
    mutable std::mutex mutex_;
    std::vector<RecordedBox> boxes_;
    SequenceViewModel view_;
    std::string log_;
    std::vector<bool> busyCalls_;
    std::vector<DeviceStatus> statuses_;
};

}  // namespace kyrvana::test_support
