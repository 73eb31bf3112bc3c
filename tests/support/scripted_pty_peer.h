#pragma once

// The far end of a pseudo-terminal, played by a test: it writes exact bytes
// to the program, records every byte the program writes, answers scripted
// commands, and can hang up like an unplugged device.

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace kyrvana::test {

class ScriptedPtyPeer {
  public:
    ScriptedPtyPeer();
    ~ScriptedPtyPeer();
    ScriptedPtyPeer(const ScriptedPtyPeer&) = delete;
    ScriptedPtyPeer& operator=(const ScriptedPtyPeer&) = delete;

    // False with a reason in error() when no pseudo-terminal could be made.
    bool ok() const { return !path_.empty() && slave_ >= 0; }
    const std::string& error() const { return error_; }
    // The slave side, to be opened by the code under test.
    const std::string& path() const { return path_; }
    // A slave descriptor that the peer keeps open, for looking at the
    // terminal's settings.
    int slaveFd() const { return slave_; }

    // Writes bytes to the program now. False after a hang-up.
    bool Send(std::string_view bytes);

    // When the bytes the program wrote since the previous scripted command
    // are exactly `command`, `answer` is sent; with `hangUpAfter` the peer
    // then hangs up. Commands are matched in the order they were added.
    void Expect(std::string command, std::string answer, bool hangUpAfter = false);
    // True when every scripted command arrived as expected.
    bool ScriptDone() const;
    // Bytes received that did not match the next scripted command.
    std::string Unmatched() const;

    // Every byte the program wrote, in order.
    std::string Received() const;

    // Closes the master side: the program's next or current read ends.
    void HangUp();

  private:
    struct Exchange {
        std::string command;
        std::string answer;
        bool hangUpAfter = false;
    };

    void ReadLoop();
    void MatchScript();  // with mutex_ held
    void CloseMaster();  // with mutex_ held, or while no reader runs
    bool WriteAll(std::string_view bytes);

    std::string error_;
    std::string path_;
    int master_ = -1;
    int slave_ = -1;
    bool stopping_ = false;

    mutable std::mutex mutex_;
    std::string received_;
    std::string pending_;  // received since the last matched command
    std::deque<Exchange> script_;
    bool scriptBroken_ = false;
    std::thread reader_;
};

}  // namespace kyrvana::test
