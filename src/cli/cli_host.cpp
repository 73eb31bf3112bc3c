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
    std::string added;
    {
        std::lock_guard lock(mutex_);
        work(view_);
        // The pane keeps line ends as CR LF; print its new text with plain
        // line feeds. A cleared pane starts over.
        const std::string& pane = view_.messagePane;
        if (pane.size() < paneShown_) {
            paneShown_ = 0;
        }
        for (std::size_t i = paneShown_; i < pane.size(); ++i) {
            if (pane[i] != '\r') {
                added += pane[i];
            }
        }
        paneShown_ = pane.size();
    }
    print(added);
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
