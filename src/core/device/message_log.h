#pragma once

// The process-wide message log. Every text line of the device link (port
// errors, read time-outs, the device's revision texts, the hardware type) is
// handed, in this order, to the observer that the document installs (it feeds
// the message pane), to the standard-output stream, and to the log file when
// one is open. Lines carry their own line ends; several begin with one.

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace kyrvana {

class MessageLog {
  public:
    // Receives every line first, with the context given to SetObserver.
    using Observer = std::function<void(const std::string& line, void* context)>;

    // The one log of the process, created on the first call, never destroyed.
    static MessageLog& Instance();

    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Delivers one line: observer, then the standard-output stream, then the
    // file (flushed). Lines from several threads are delivered whole, one
    // after the other.
    void Write(std::string_view line);

    // Opens "<baseName up to its last dot>.log", replacing earlier content,
    // and writes "New Log File \n" to it. Only a dot in the last path
    // component counts, so "/home/a.b/run" gives "/home/a.b/run.log". On
    // failure the failure text goes to the standard-output stream, any file
    // open before stays closed, and the result is false.
    bool Open(std::string_view baseName);
    // Closes the log file, when one is open.
    void CloseFile();
    bool IsFileOpen() const;

    // Installs the observer; an empty function removes it. Once this returns,
    // the previous observer is no longer running and is never called again,
    // so an owner can remove it before it is destroyed. The observer must not
    // wait for another thread that writes to the log.
    void SetObserver(Observer observer, void* context);

    // The stream used as standard output: stdout unless replaced; nullptr
    // makes that leg silent. The command-line tool points it at stderr.
    void SetStandardOutput(std::FILE* stream);

    // The name Open derives from a base name: "run.tmt" -> "run.log".
    static std::string LogFileName(std::string_view baseName);

  private:
    MessageLog() = default;
    ~MessageLog() = default;

    void WriteToStandardOutput(std::string_view line);

    // Recursive so that an observer may itself write to the log.
    mutable std::recursive_mutex mutex_;
    Observer observer_;
    void* observerContext_ = nullptr;
    std::FILE* standardOutput_ = stdout;
    std::FILE* file_ = nullptr;
    std::string baseName_;
};

}  // namespace kyrvana
