#include "core/device/device_link.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"
#include "core/device/exchange_tally.h"

namespace kyrvana {
namespace {

constexpr int kAckLineCapacity = 1024;
constexpr int kInternalValueCapacity = 128;
constexpr int kSampleCount = 10;

// Lines of a counted text item: pieces between line feeds; a final line feed
// does not start another (empty) line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

DeviceResult stoppedBetweenPieces() {
    return DeviceResult::failure(DeviceFailure::Cancelled, {},
                                 "stopped between two pieces of the file");
}

}  // namespace

std::unique_lock<std::recursive_mutex> DeviceLink::Hold() {
    return std::unique_lock(mutex_);
}

DeviceLink::Recording::Recording(DeviceLink& link, ExchangeTally& tally)
    : link_(link), hold_(link.mutex_) {
    link_.tallies_.push_back(&tally);
}

DeviceLink::Recording::~Recording() {
    link_.tallies_.pop_back();
}

DeviceLink::Operation::Operation(DeviceLink& link) : link_(link), hold_(link.mutex_) {
    ++link_.operationDepth_;
}

DeviceLink::Operation::~Operation() {
    if (--link_.operationDepth_ == 0) {
        link_.unanswered_.reset();
    }
}

SerialStatus DeviceLink::OpenPort() {
    const std::lock_guard lock(mutex_);
    const SerialStatus status = serial.Open(portName);
    lastStatus = status;
    // A new connection starts in step: Connect clears the input queue once
    // the device has started.
    outOfStep_ = false;
    return status;
}

void DeviceLink::MarkOutOfStep() {
    const std::lock_guard lock(mutex_);
    outOfStep_ = true;
}

DeviceResult DeviceLink::BeginExchange(std::string_view command) {
    if (unanswered_) {
        // Not sent; the operation's report names the exchange that was not
        // answered.
        return *unanswered_;
    }
    if (!outOfStep_ || !serial.isOpen()) {
        return {};
    }
    std::size_t discarded = 0;
    const SerialStatus status =
        serial.DiscardUntilQuiet(timing::kResyncQuiet, timing::kResyncLimit, discarded);
    if (status == SerialReadTimeout) {
        // Still talking: whatever the next answer would be, it could not be
        // told apart from the rest. The command is not sent.
        return Finish(command, SerialBufferFull);
    }
    if (status != SerialOk) {
        return Finish(command, status);
    }
    outOfStep_ = false;
    return {};
}

DeviceResult DeviceLink::Finish(std::string_view command, SerialStatus status) {
    lastStatus = status;
    DeviceResult result = status == SerialWriteFailed && !serial.isOpen()
                              ? DeviceResult::failure(DeviceFailure::NoPort, std::string(command))
                              : DeviceResult::fromSerial(status, std::string(command));
    for (ExchangeTally* tally : tallies_) {
        tally->add(result);
    }
    if (!result) {
        outOfStep_ = true;
        if (operationDepth_ > 0 && !unanswered_ && result.wentUnanswered()) {
            unanswered_ = result;
        }
    }
    return result;
}

DeviceResult DeviceLink::SendCommand(std::string_view text) {
    const std::lock_guard lock(mutex_);
    if (DeviceResult refused = BeginExchange(text); !refused) {
        return refused;
    }
    SerialStatus status = serial.Write(text);
    if (status == SerialOk) {
        char answer[kAckLineCapacity];
        int count = 0;
        status = serial.ReadLine(answer, kAckLineCapacity, count);
    }
    return Finish(text, status);
}

DeviceResult DeviceLink::QueryCommand(std::string_view text, char* buffer, int capacity,
                                      int& count) {
    const std::lock_guard lock(mutex_);
    count = 0;
    if (DeviceResult refused = BeginExchange(text); !refused) {
        return refused;
    }
    SerialStatus status = serial.Write(text);
    if (status == SerialOk) {
        status = serial.ReadLine(buffer, capacity, count);
    }
    return Finish(text, status);
}

DeviceResult DeviceLink::QueryLines(std::string_view text, std::vector<std::string>& lines) {
    const std::lock_guard lock(mutex_);
    lines.clear();
    if (DeviceResult refused = BeginExchange(text); !refused) {
        return refused;
    }
    SerialStatus status = serial.Write(text);
    if (status == SerialOk) {
        int count = 0;
        status = serial.ReadLines(lines, count);
    }
    return Finish(text, status);
}

DeviceResult DeviceLink::QueryExact(std::string_view text, void* buffer, int length, int& count) {
    const std::lock_guard lock(mutex_);
    count = 0;
    if (DeviceResult refused = BeginExchange(text); !refused) {
        return refused;
    }
    SerialStatus status = serial.Write(text);
    if (status == SerialOk) {
        status = serial.ReadExact(buffer, length, count);
    }
    return Finish(text, status);
}

DeviceResult DeviceLink::QueryInteger(std::string_view text, int capacity, int& value) {
    std::vector<char> answer(static_cast<std::size_t>(std::max(capacity, 1)));
    int count = 0;
    DeviceResult result = QueryCommand(text, answer.data(), capacity, count);
    if (result) {
        value = cAtoi(std::string_view(answer.data(), static_cast<std::size_t>(count)));
    }
    return result;
}

DeviceResult DeviceLink::QueryDouble(std::string_view text, int capacity, double& value) {
    std::vector<char> answer(static_cast<std::size_t>(std::max(capacity, 1)));
    int count = 0;
    DeviceResult result = QueryCommand(text, answer.data(), capacity, count);
    if (result) {
        value = cAtof(std::string_view(answer.data(), static_cast<std::size_t>(count)));
    }
    return result;
}

DeviceResult DeviceLink::GetEepromData(int address, std::vector<std::string>& lines) {
    const std::lock_guard lock(mutex_);
    lines.clear();
    unsigned char lengthBytes[eeprom::kItemLengthBytes] = {};
    int count = 0;
    const std::string lengthCommand = command::GetEepromData(address, eeprom::kItemLengthBytes);
    if (DeviceResult result =
            QueryExact(lengthCommand, lengthBytes, eeprom::kItemLengthBytes, count);
        !result) {
        return result;
    }
    // Least significant byte first.
    const int length = lengthBytes[0] | (lengthBytes[1] << 8);
    if (length > eeprom::kItemLengthLimit) {
        // Erased EEPROM reads 0xFFFF: no item was ever stored there.
        return DeviceResult::failure(
            DeviceFailure::Unusable, lengthCommand,
            cFormat("stored length %d is over %d", length, eeprom::kItemLengthLimit));
    }
    std::string text;
    for (int offset = 0; offset < length;) {
        const int chunk = std::min(length - offset, eeprom::kReadChunk);
        char buffer[2 * eeprom::kReadChunk] = {};
        if (DeviceResult result = QueryExact(
                command::GetEepromData(address + eeprom::kItemLengthBytes + offset, chunk), buffer,
                chunk, count);
            !result) {
            return result;
        }
        // The item is text: a zero byte ends what the chunk contributes.
        text.append(buffer, strnlen(buffer, static_cast<std::size_t>(chunk)));
        offset += chunk;
    }
    lines = SplitLines(text);
    return {};
}

DeviceResult DeviceLink::SetEepromData(int address, std::string_view text) {
    const std::lock_guard lock(mutex_);
    // The device keeps a 16-bit length; that is all of the text it will hold.
    const auto length = static_cast<std::uint16_t>(text.size());
    DeviceResult first = SendCommand(command::SetEepromDataLength(address, length));
    for (std::size_t offset = 0; offset < length; offset += eeprom::kWriteChunk) {
        const std::string_view chunk =
            text.substr(offset, std::min<std::size_t>(eeprom::kWriteChunk, length - offset));
        first.keepFirstFailure(SendCommand(command::SetEepromDataChunk(
            address + eeprom::kItemLengthBytes + static_cast<int>(offset), chunk)));
    }
    return first;
}

DeviceResult DeviceLink::AverageInternalValue(int n, double& average) {
    const std::lock_guard lock(mutex_);
    DeviceResult first;
    long long sum = 0;
    int previous = 0;
    int failedBeforeFirstGood = 0;
    bool anyGood = false;
    for (int i = 0; i < kSampleCount; ++i) {
        // No pause before a reading that will not be sent (see Operation).
        if (!unanswered_) {
            std::this_thread::sleep_for(timing::kLoadCellSamplePacing);
        }
        int reading = previous;
        DeviceResult result =
            QueryInteger(command::QueryInternalValue(n + internal_value::kFirstLoadCellSample),
                         kInternalValueCapacity, reading);
        if (result) {
            if (!anyGood) {
                sum += static_cast<long long>(reading) * failedBeforeFirstGood;
            }
            anyGood = true;
        } else {
            first.keepFirstFailure(std::move(result));
            if (!anyGood) {
                ++failedBeforeFirstGood;
                continue;
            }
        }
        previous = reading;
        sum += reading;
    }
    // Integer division: the fraction is cut off toward zero.
    average = static_cast<double>(sum / kSampleCount);
    return first;
}

DeviceResult DeviceLink::WaitMotorsIdle() {
    const std::lock_guard lock(mutex_);
    int state = 0;
    DeviceResult result = GetMotorsState(state);
    while (result && state != 0) {
        std::this_thread::sleep_for(timing::kMotorPollPacing);
        result = GetMotorsState(state);
    }
    return result;
}

DeviceResult DeviceLink::ReadSdPiece(char* piece, int wanted, std::FILE* target,
                                     const std::atomic<bool>* stop) {
    int count = 0;
    if (DeviceResult result = ReadFileOnSDCardNext(piece, wanted, count); !result) {
        // A stop request may have woken the read (Serial::WakeReads).
        if (stop != nullptr && stop->load()) {
            return stoppedBetweenPieces();
        }
        return result;
    }
    if (serial.PendingInput() > 0) {
        // The device sent more than the piece: this piece, or the next,
        // would hold bytes that are not the file's.
        MarkOutOfStep();
        return DeviceResult::failure(DeviceFailure::Unusable,
                                     std::string(command::kReadFileOnSdCardNext),
                                     "more bytes than the piece holds");
    }
    if (std::fwrite(piece, 1, static_cast<std::size_t>(wanted), target) !=
        static_cast<std::size_t>(wanted)) {
        return DeviceResult::failure(DeviceFailure::FileFailed,
                                     std::string(command::kReadFileOnSdCardNext),
                                     "the target file could not be written");
    }
    return {};
}

SdFileRead DeviceLink::ReadFileOnSDCard(std::string_view name, std::FILE* target,
                                        const SdProgress& progress, const std::atomic<bool>* stop) {
    const auto operation = BeginOperation();
    SdFileRead read;
    if (target == nullptr) {
        read.result = DeviceResult::failure(DeviceFailure::FileFailed, {}, "no target file");
        return read;
    }
    std::int64_t size = 0;
    read.result = ReadFileOnSDCardFirst(name, size);
    if (!read.result) {
        return read;
    }
    read.announcedSize = size;
    std::vector<char> piece(static_cast<std::size_t>(kSdFilePiece));
    // Each piece is checked to have come whole and alone before it is kept.
    // The file stops at the first piece that did not, where the device
    // itself would go on with the next one: a lab must never hold a file
    // with a hole or shifted bytes that claims to be the recording.
    for (std::int64_t done = 0; done < size;) {
        if (stop != nullptr && stop->load()) {
            read.result = stoppedBetweenPieces();
            return read;
        }
        const int wanted = static_cast<int>(std::min<std::int64_t>(kSdFilePiece, size - done));
        read.result = ReadSdPiece(piece.data(), wanted, target, stop);
        if (!read.result) {
            return read;
        }
        read.bytesWritten += wanted;
        done += wanted;
        if (progress) {
            progress(done, read.announcedSize);
        }
    }
    return read;
}

}  // namespace kyrvana
