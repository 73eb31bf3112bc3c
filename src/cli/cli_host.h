#pragma once

// The document's host in the command-line tool: message boxes go to standard
// error (diagnostics), the view's state is kept in memory for the subcommand
// to read, and nothing waits for a user. The message pane is not echoed: it
// says "Success" whatever the device answered, so each subcommand says the
// outcome itself from the operation's report. Any subcommand that works
// through the document (identify, program, read...) uses it.

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "core/document/document_host.h"
#include "core/editor/sequence_view_model.h"

namespace kyrvana::cli {

class CliHost : public DocumentHost {
  public:
    // `messages` receives the boxes' texts.
    explicit CliHost(std::FILE* messages = stderr);

    BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons) override;
    void withView(const std::function<void(SequenceViewModel&)>& work) override;
    // The message log itself writes its lines to standard error under -v;
    // nothing more is done with them here.
    void postLogLine(const std::string& line) override;
    void connectionChanged() override {}
    void setBusy(bool) override {}
    // Runs testDataDialog when a subcommand set it; otherwise does nothing.
    void runTestDataDialog(DeviceLink& link) override;

    // A copy of the sequence view's state.
    SequenceViewModel view() const;
    // How many boxes were shown, and the text of the last one.
    int boxCount() const;
    std::string lastBoxText() const;

    // The answer to a Yes/No question; there is no one to ask.
    BoxAnswer yesNoAnswer = BoxAnswer::No;
    std::function<void(DeviceLink&)> testDataDialog;

  private:
    void print(const std::string& text);

    std::FILE* messages_;
    // Recursive: the sequence checks show their boxes from inside withView.
    mutable std::recursive_mutex mutex_;
    SequenceViewModel view_;
    int boxCount_ = 0;
    std::string lastBoxText_;
};

}  // namespace kyrvana::cli
