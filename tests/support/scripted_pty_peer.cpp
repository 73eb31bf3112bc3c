#include "support/scripted_pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kyrvana::test {

ScriptedPtyPeer::ScriptedPtyPeer() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[256] = {};
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        error_ = std::string("no pseudo-terminal: ") + std::strerror(errno);
        CloseMaster();
        return;
    }
    path_ = name;
    // Holding a slave descriptor keeps the terminal alive between the
    // program's opens, as a real port stays present while it is closed.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    reader_ = std::thread([this] { ReadLoop(); });
}

ScriptedPtyPeer::~ScriptedPtyPeer() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    if (reader_.joinable()) {
        reader_.join();
    }
    CloseMaster();
    if (slave_ >= 0) {
        ::close(slave_);
    }
}

bool ScriptedPtyPeer::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(master_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool ScriptedPtyPeer::Send(std::string_view bytes) {
    const std::lock_guard lock(mutex_);
    return master_ >= 0 && WriteAll(bytes);
}

void ScriptedPtyPeer::Expect(std::string command, std::string answer, bool hangUpAfter) {
    const std::lock_guard lock(mutex_);
    script_.push_back({std::move(command), std::move(answer), hangUpAfter});
    MatchScript();
}

bool ScriptedPtyPeer::ScriptDone() const {
    const std::lock_guard lock(mutex_);
    return script_.empty() && !scriptBroken_ && pending_.empty();
}

std::string ScriptedPtyPeer::Unmatched() const {
    const std::lock_guard lock(mutex_);
    return pending_;
}

std::string ScriptedPtyPeer::Received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

void ScriptedPtyPeer::HangUp() {
    const std::lock_guard lock(mutex_);
    CloseMaster();
}

void ScriptedPtyPeer::CloseMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void ScriptedPtyPeer::MatchScript() {
    while (!scriptBroken_ && !script_.empty() && master_ >= 0) {
        const Exchange& next = script_.front();
        const std::size_t compared = std::min(pending_.size(), next.command.size());
        if (pending_.compare(0, compared, next.command, 0, compared) != 0) {
            scriptBroken_ = true;
            return;
        }
        if (pending_.size() < next.command.size()) {
            return;
        }
        pending_.erase(0, next.command.size());
        // The program waits for this answer before it writes again, so a
        // blocking write cannot deadlock with it.
        WriteAll(next.answer);
        if (next.hangUpAfter) {
            CloseMaster();
        }
        script_.pop_front();
    }
}

void ScriptedPtyPeer::ReadLoop() {
    for (;;) {
        int master = -1;
        {
            const std::lock_guard lock(mutex_);
            master = stopping_ ? -1 : master_;
        }
        if (master < 0) {
            return;
        }
        // A short poll so that a hang-up from another thread (which closes
        // the descriptor) or the end of the peer is noticed soon, and before
        // the descriptor's number could be reused.
        pollfd fd = {master, POLLIN, 0};
        if (::poll(&fd, 1, 20) < 0 && errno != EINTR) {
            return;
        }
        if ((fd.revents & POLLIN) == 0) {
            continue;
        }
        const std::lock_guard lock(mutex_);
        if (master_ != master) {
            return;
        }
        char buffer[4096];
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count <= 0) {
            // EIO while no slave is open; wait for the program to open it.
            continue;
        }
        received_.append(buffer, static_cast<std::size_t>(count));
        pending_.append(buffer, static_cast<std::size_t>(count));
        MatchScript();
    }
}

}  // namespace kyrvana::test
