#include "gui/hardware/running_test_guard.h"

#include <QWidget>
#include <memory>

#include "core/device/test_state.h"
#include "gui/app/app_identity.h"
#include "gui/app/device_task_runner.h"
#include "gui/app/message_boxes.h"

namespace kyrvana::gui {

RunningTestGuard::RunningTestGuard(DeviceLink& link, MessageBoxes& boxes, QWidget* parent)
    : QObject(parent),
      link_(link),
      boxes_(boxes),
      parent_(parent),
      runner_(new DeviceTaskRunner(this)) {}

RunningTestGuard::~RunningTestGuard() {
    shutDown();
}

void RunningTestGuard::shutDown() {
    runner_->shutDown();
    stopped_ = true;
}

void RunningTestGuard::openUnlessDeclined(std::function<void()> open) {
    if (checking_ || stopped_) {
        return;
    }
    checking_ = true;
    auto inProgress = std::make_shared<bool>(false);
    runner_->run([this, inProgress] { *inProgress = deviceTestInProgress(link_); },
                 [this, inProgress, open = std::move(open)] {
                     checking_ = false;
                     if (*inProgress &&
                         boxes_.show(parent_, QString::fromLatin1(kApplicationName),
                                     QString::fromLatin1(kTestRunningQuestion),
                                     QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) != QMessageBox::Yes) {
                         return;
                     }
                     open();
                 });
}

}  // namespace kyrvana::gui
