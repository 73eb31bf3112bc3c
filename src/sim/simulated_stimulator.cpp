#include "sim/simulated_stimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "sim/command_recognizer.h"
#include "sim/firmware.h"
#include "sim/pseudo_terminal.h"
#include "sim/second_reader.h"

namespace kyrvana::sim {

namespace {

struct FaultSlot {
    SimulatorFault fault;
    std::size_t matched = 0;
};

// Noise on the line that leaves the answer's framing alone: every byte but a
// closing CR (a line) or 0x17 (a listing) becomes a printable character, so
// the program reads an answer of the right form and length that means
// nothing.
void garble(std::string& answer, std::minstd_rand& noise) {
    std::size_t end = answer.size();
    if (end > 0 && (answer[end - 1] == '\r' || answer[end - 1] == '\x17')) {
        --end;
    }
    constexpr unsigned kFirstPrintable = 0x21;
    constexpr unsigned kPrintables = 0x7E - kFirstPrintable + 1;
    for (std::size_t i = 0; i < end; ++i) {
        answer[i] = static_cast<char>(kFirstPrintable + noise() % kPrintables);
    }
}

// What a fault makes of the firmware's answer: no answer, a part of it,
// other bytes, or the answer later. A hang-up is done by the caller, after the
// answer's first bytes went out.
void spoil(const SimulatorFault& fault, std::optional<std::string>& reply,
           std::chrono::milliseconds& delay, std::minstd_rand& noise) {
    switch (fault.kind) {
        case SimulatorFault::Kind::NoAnswer:
            reply.reset();
            break;
        case SimulatorFault::Kind::CutShort:
            if (reply) {
                reply->resize(std::min(reply->size(), fault.bytes));
            }
            break;
        case SimulatorFault::Kind::OverlongLine:
            reply = std::string(fault.bytes, 'A');
            break;
        case SimulatorFault::Kind::Garbage:
            reply = std::string(fault.bytes, '\0');
            for (char& c : *reply) {
                c = static_cast<char>(noise() & 0xFF);
            }
            break;
        case SimulatorFault::Kind::HangUpAfter:
            break;
        case SimulatorFault::Kind::Stall:
            delay += fault.stall;
            break;
        case SimulatorFault::Kind::Replace:
            reply = fault.text;
            break;
        case SimulatorFault::Kind::Garbled:
            if (reply) {
                garble(*reply, noise);
            }
            break;
    }
}

}  // namespace

struct SimulatedStimulator::State {
    explicit State(SimulatorOptions opts) : options(std::move(opts)), firmware(options) {}

    // Set once at construction; read-only afterwards.
    SimulatorOptions options;

    mutable std::mutex mutex;
    std::condition_variable changed;
    // Guarded by `mutex`:
    Firmware firmware;
    std::string eepromError;
    std::vector<std::string> received;
    std::string garbage;
    std::vector<FaultSlot> faults;
    std::chrono::milliseconds latency{0};
    bool stopRequested = false;
    bool hangUpRequested = false;
    bool masterClosed = false;
    bool serving = false;  // the serving thread runs its loop
    std::minstd_rand noise{0x4B59};
    std::string portPath;

    // The master descriptor is used by the serving thread only while it
    // runs; it is closed by that thread (hang-up) or after it was joined.
    PseudoTerminal pty;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    std::atomic<bool> running{false};
    SecondReader secondReader;

    void wake() const {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite, &byte, 1);
    }
    void drainWake() const {
        char bytes[64];
        while (::read(wakeRead, bytes, sizeof bytes) > 0) {
        }
    }
    void saveEepromIfChanged();
    std::optional<SimulatorFault> matchFault(const std::string& command);
    // Handles stop and hang-up requests; true when the thread must end.
    bool handleRequests();
    void closeMasterLocked();
    // Waits `delay` unless a request comes; true when the thread must end.
    bool waitLatency(std::chrono::milliseconds delay);
    // False when the master side is gone or the thread must end.
    bool writeAll(std::string_view bytes, bool* mustEnd);
    // Lets the program read what was sent before the line is cut; true when
    // the thread must end.
    bool waitUntilRead();
    bool answer(const RecognizedCommand& command, bool* mustEnd);
    void serve();
};

void SimulatedStimulator::State::saveEepromIfChanged() {
    if (firmware.eeprom().takeChanged() && !options.eepromImage.empty()) {
        firmware.eeprom().save(options.eepromImage, nullptr);
    }
}

std::optional<SimulatorFault> SimulatedStimulator::State::matchFault(const std::string& command) {
    for (FaultSlot& slot : faults) {
        if (command.compare(0, slot.fault.commandPrefix.size(), slot.fault.commandPrefix) != 0) {
            continue;
        }
        ++slot.matched;
        if (slot.matched <= slot.fault.skip) {
            return std::nullopt;
        }
        if (slot.fault.times != 0 && slot.matched > slot.fault.skip + slot.fault.times) {
            continue;
        }
        return slot.fault;
    }
    return std::nullopt;
}

void SimulatedStimulator::State::closeMasterLocked() {
    pty.closeMaster();
    pty.closeSlave();
    masterClosed = true;
    changed.notify_all();
}

bool SimulatedStimulator::State::handleRequests() {
    drainWake();
    std::lock_guard lock(mutex);
    if (hangUpRequested && !masterClosed) {
        closeMasterLocked();
    }
    return stopRequested;
}

bool SimulatedStimulator::State::waitLatency(std::chrono::milliseconds delay) {
    // The delay is what benchmarks measure against, so it is kept to the
    // microsecond: a nanosecond timeout and no timer slack (50 us by default)
    // for the serving thread.
    static thread_local const bool exactTimers = ::prctl(PR_SET_TIMERSLACK, 1UL) == 0;
    (void)exactTimers;
    const auto deadline = std::chrono::steady_clock::now() + delay;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                               static_cast<long>(left.count() % 1000000000)};
        pollfd wakeFd{wakeRead, POLLIN, 0};
        const int ready = ::ppoll(&wakeFd, 1, &timeout, nullptr);
        if (ready > 0 && handleRequests()) {
            return true;
        }
    }
}

bool SimulatedStimulator::State::writeAll(std::string_view bytes, bool* mustEnd) {
    while (!bytes.empty()) {
        if (masterClosed) {
            return false;
        }
        const ssize_t done = ::write(pty.master(), bytes.data(), bytes.size());
        if (done > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(done));
            continue;
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0 && errno != EAGAIN) {
            return false;
        }
        // The program is not reading: wait for room, or for a request.
        pollfd fds[2] = {{wakeRead, POLLIN, 0}, {pty.master(), POLLOUT, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            return false;
        }
        if ((fds[0].revents & POLLIN) != 0 && handleRequests()) {
            *mustEnd = true;
            return false;
        }
    }
    return true;
}

// Closing the master discards what the slave side has not read yet, but a
// device that is unplugged after sending some bytes has delivered them. So
// the hang-up waits (up to two seconds) until the slave's input queue is
// empty; bytes may need a moment to reach that queue, hence the short
// minimum wait.
bool SimulatedStimulator::State::waitUntilRead() {
    const auto started = std::chrono::steady_clock::now();
    bool seenPending = false;
    while (std::chrono::steady_clock::now() - started < std::chrono::seconds(2)) {
        int pending = 0;
        if (::ioctl(pty.slave(), FIONREAD, &pending) != 0) {
            return false;
        }
        seenPending = seenPending || pending > 0;
        if (pending == 0 && (seenPending || std::chrono::steady_clock::now() - started >
                                                std::chrono::milliseconds(20))) {
            return false;
        }
        pollfd wakeFd{wakeRead, POLLIN, 0};
        if (::poll(&wakeFd, 1, 1) > 0 && handleRequests()) {
            return true;
        }
    }
    return false;
}

bool SimulatedStimulator::State::answer(const RecognizedCommand& command, bool* mustEnd) {
    std::optional<std::string> reply;
    std::optional<SimulatorFault> fault;
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard lock(mutex);
        if (command.lateCarriageReturn) {
            if (!received.empty()) {
                received.back() += '\r';
            }
            changed.notify_all();
            return true;
        }
        received.push_back(command.raw);
        reply = firmware.execute(command);
        saveEepromIfChanged();
        fault = matchFault(command.raw);
        delay = latency;
        if (fault) {
            spoil(*fault, reply, delay, noise);
        }
        changed.notify_all();
    }
    const bool hangUpAfter = fault && fault->kind == SimulatorFault::Kind::HangUpAfter;
    if (!reply && !hangUpAfter) {
        return true;
    }
    if (delay.count() > 0 && waitLatency(delay)) {
        *mustEnd = true;
        return false;
    }
    std::string_view bytes = reply ? std::string_view(*reply) : std::string_view();
    if (hangUpAfter) {
        bytes = bytes.substr(0, fault->bytes);
    }
    if (!writeAll(bytes, mustEnd)) {
        return false;
    }
    if (hangUpAfter) {
        if (waitUntilRead()) {
            *mustEnd = true;
            return false;
        }
        std::lock_guard lock(mutex);
        if (!masterClosed) {
            closeMasterLocked();
        }
        return false;
    }
    return true;
}

void SimulatedStimulator::State::serve() {
    CommandRecognizer recognizer(Firmware::syntax());
    char buffer[4096];
    while (true) {
        const bool masterOpen = [&] {
            std::lock_guard lock(mutex);
            return !masterClosed;
        }();
        pollfd fds[2] = {{wakeRead, POLLIN, 0}, {pty.master(), POLLIN, 0}};
        if (::poll(fds, masterOpen ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((fds[0].revents & POLLIN) != 0 && handleRequests()) {
            return;
        }
        if (!masterOpen || fds[1].revents == 0) {
            continue;
        }
        const ssize_t got = ::read(pty.master(), buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            // Cannot happen while the simulator holds its own slave open;
            // treat it as the line going away rather than spin on it.
            std::lock_guard lock(mutex);
            closeMasterLocked();
            continue;
        }
        recognizer.feed(std::string_view(buffer, static_cast<std::size_t>(got)));
        while (auto command = recognizer.next()) {
            {
                std::lock_guard lock(mutex);
                garbage += recognizer.takeGarbage();
            }
            bool mustEnd = false;
            if (!answer(*command, &mustEnd)) {
                if (mustEnd) {
                    return;
                }
                break;  // the master side is gone: drop what is still buffered
            }
        }
        std::lock_guard lock(mutex);
        garbage += recognizer.takeGarbage();
        changed.notify_all();
    }
}

SimulatedStimulator::SimulatedStimulator(SimulatorOptions options)
    : state_(std::make_unique<State>(std::move(options))) {
    State& s = *state_;
    s.latency = s.options.latency;
    s.firmware.writeFactoryDefaults();
    if (!s.options.eepromImage.empty()) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(s.options.eepromImage, ec);
        if (!s.firmware.eeprom().load(s.options.eepromImage, &s.eepromError)) {
            s.firmware.writeFactoryDefaults();
        } else if (!exists) {
            s.firmware.eeprom().save(s.options.eepromImage, &s.eepromError);
        }
    }
    s.firmware.eeprom().takeChanged();
    // An image that could not be read is left alone: start() refuses it.
    if (s.eepromError.empty()) {
        for (const EepromPoke& poke : s.options.eepromPokes) {
            s.firmware.eeprom().write(poke.address, std::string(1, static_cast<char>(poke.value)));
        }
        s.saveEepromIfChanged();
    }
    s.firmware.reloadCalibration();
    for (const SimulatorFault& fault : s.options.faults) {
        s.faults.push_back({fault, 0});
    }
}

SimulatedStimulator::~SimulatedStimulator() {
    stop();
}

bool SimulatedStimulator::start(std::string* error) {
    State& s = *state_;
    if (s.running) {
        return true;
    }
    const auto fail = [&](const std::string& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    {
        std::lock_guard lock(s.mutex);
        if (!s.eepromError.empty()) {
            return fail(s.eepromError);
        }
    }
    int wakeFds[2];
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return fail(std::string("pipe2 failed: ") + std::strerror(errno));
    }
    s.wakeRead = wakeFds[0];
    s.wakeWrite = wakeFds[1];
    std::string reason;
    if (!s.pty.open(&reason)) {
        ::close(s.wakeRead);
        ::close(s.wakeWrite);
        s.wakeRead = s.wakeWrite = -1;
        return fail(reason);
    }
    {
        std::lock_guard lock(s.mutex);
        s.portPath = s.pty.slavePath();
        s.stopRequested = false;
        s.hangUpRequested = false;
        s.masterClosed = false;
        s.serving = true;
    }
    s.running = true;
    s.thread = std::thread([&s] {
        s.serve();
        std::lock_guard lock(s.mutex);
        s.serving = false;
        s.changed.notify_all();
    });
    return true;
}

void SimulatedStimulator::stop() {
    State& s = *state_;
    s.secondReader.stop();
    if (!s.thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(s.mutex);
        s.stopRequested = true;
    }
    s.wake();
    s.thread.join();
    {
        std::lock_guard lock(s.mutex);
        s.closeMasterLocked();
    }
    ::close(s.wakeRead);
    ::close(s.wakeWrite);
    s.wakeRead = s.wakeWrite = -1;
    s.running = false;
}

bool SimulatedStimulator::running() const {
    return state_->running;
}

std::string SimulatedStimulator::portPath() const {
    std::lock_guard lock(state_->mutex);
    return state_->portPath;
}

const SimulatorOptions& SimulatedStimulator::options() const {
    return state_->options;
}

std::vector<std::string> SimulatedStimulator::receivedCommands() const {
    std::lock_guard lock(state_->mutex);
    return state_->received;
}

void SimulatedStimulator::clearReceivedCommands() {
    std::lock_guard lock(state_->mutex);
    state_->received.clear();
}

std::string SimulatedStimulator::receivedGarbage() const {
    std::lock_guard lock(state_->mutex);
    return state_->garbage;
}

void SimulatedStimulator::addFault(SimulatorFault fault) {
    std::lock_guard lock(state_->mutex);
    state_->faults.push_back({std::move(fault), 0});
}

void SimulatedStimulator::clearFaults() {
    std::lock_guard lock(state_->mutex);
    state_->faults.clear();
}

void SimulatedStimulator::setLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(state_->mutex);
    state_->latency = latency;
}

bool SimulatedStimulator::setSecondReader(bool on) {
    State& s = *state_;
    if (!on) {
        s.secondReader.stop();
        return true;
    }
    return s.running && s.secondReader.start(portPath());
}

std::size_t SimulatedStimulator::bytesTakenBySecondReader() const {
    return state_->secondReader.bytesTaken();
}

void SimulatedStimulator::hangUp() {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    if (!s.serving) {
        s.closeMasterLocked();
        return;
    }
    s.hangUpRequested = true;
    s.wake();
    s.changed.wait(lock, [&] { return s.masterClosed || !s.serving; });
}

std::vector<std::uint8_t> SimulatedStimulator::eeprom() const {
    std::lock_guard lock(state_->mutex);
    const auto& bytes = state_->firmware.eeprom().bytes();
    return {bytes.begin(), bytes.end()};
}

void SimulatedStimulator::writeEepromBytes(int address, const std::string& bytes) {
    std::lock_guard lock(state_->mutex);
    state_->firmware.eeprom().write(address, bytes);
    state_->saveEepromIfChanged();
}

void SimulatedStimulator::writeEepromItem(int address, const std::string& text) {
    std::lock_guard lock(state_->mutex);
    state_->firmware.eeprom().setItem(address, text);
    state_->saveEepromIfChanged();
}

std::string SimulatedStimulator::eepromItem(int address) const {
    std::lock_guard lock(state_->mutex);
    return state_->firmware.eeprom().item(address);
}

void SimulatedStimulator::setInternalValue(int index, std::int64_t value) {
    std::lock_guard lock(state_->mutex);
    state_->firmware.setInternalValue(index, value);
    state_->saveEepromIfChanged();
}

std::int64_t SimulatedStimulator::internalValue(int index) const {
    std::lock_guard lock(state_->mutex);
    return state_->firmware.peekInternalValue(index);
}

std::uint32_t SimulatedStimulator::controlSetting(int well, int index) const {
    std::lock_guard lock(state_->mutex);
    return state_->firmware.validSetting(well, index) ? state_->firmware.controlSetting(well, index)
                                                      : 0;
}

std::int64_t SimulatedStimulator::motorPosition(int well) const {
    std::lock_guard lock(state_->mutex);
    if (well < 0 || well >= Firmware::kWells) {
        return 0;
    }
    return state_->firmware.motors().position(well, MotorBank::Clock::now());
}

bool SimulatedStimulator::motorsMoving() const {
    std::lock_guard lock(state_->mutex);
    return state_->firmware.motors().movingMask(MotorBank::Clock::now()) != 0;
}

void SimulatedStimulator::setAppliedForce(int well, double newtons) {
    std::lock_guard lock(state_->mutex);
    state_->firmware.setAppliedForce(well, newtons);
}

bool SimulatedStimulator::runTest(std::filesystem::path* written, std::string* error) {
    std::lock_guard lock(state_->mutex);
    const bool ok = state_->firmware.runTest(written, error);
    state_->saveEepromIfChanged();
    return ok;
}

}  // namespace kyrvana::sim
