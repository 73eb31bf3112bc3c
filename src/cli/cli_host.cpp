#include "cli/cli_host.h"

namespace kyrvana::cli {

CliHost::CliHost(std::FILE* messages) : messages_(messages) {}

void CliHost::print(const std::string& text) {
    if (messages_ == nullptr || text.empty()) {
        return;
    }
    std::fputs(text.c_str(), messages_);
    if (text.back() != '\n') {
        std::fputc('\n', messages_);
    }
    std::fflush(messages_);
}

BoxAnswer CliHost::messageBox(const std::string& text, const std::string&, BoxIcon,
                              BoxButtons buttons) {
    {
        std::lock_guard lock(mutex_);
        ++boxCount_;
        lastBoxText_ = text;
    }
    print(text);
    return buttons == BoxButtons::YesNo ? yesNoAnswer : BoxAnswer::Ok;
}

void CliHost::withView(const std::function<void(SequenceViewModel&)>& work) {
    std::lock_guard lock(mutex_);
    work(view_);
}

void CliHost::postLogLine(const std::string&) {}

void CliHost::runTestDataDialog(DeviceLink& link) {
    if (testDataDialog) {
        testDataDialog(link);
    }
}

SequenceViewModel CliHost::view() const {
    std::lock_guard lock(mutex_);
    return view_;
}

int CliHost::boxCount() const {
    std::lock_guard lock(mutex_);
    return boxCount_;
}

std::string CliHost::lastBoxText() const {
    std::lock_guard lock(mutex_);
    return lastBoxText_;
}

}  // namespace kyrvana::cli
