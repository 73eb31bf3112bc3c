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
constexpr int kEepromLengthBytes = 2;
constexpr int kEepromReadChunk = 256;
constexpr std::size_t kEepromWriteChunk = 200;
constexpr int kInternalValueCapacity = 128;
constexpr int kLongAnswerCapacity = 512;
constexpr int kSampleCount = 10;
constexpr int kLoadCellValueBase = 10;
constexpr auto kSamplePacing = std::chrono::milliseconds(10);
constexpr auto kMotorPollPacing = std::chrono::milliseconds(100);
constexpr int kSdChunk = 1024;

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

SerialStatus DeviceLink::OpenPort() {
    const std::lock_guard lock(mutex_);
    const SerialStatus status = serial.Open(false, false, false, true, true, -1, true, portName);
    lastStatus = status;
    return status;
}

DeviceResult DeviceLink::Finish(std::string_view command, SerialStatus status) {
    lastStatus = status;
    DeviceResult result = status == SerialWriteFailed && !serial.isOpen()
                              ? DeviceResult::failure(DeviceFailure::NoPort, std::string(command))
                              : DeviceResult::fromSerial(status, std::string(command));
    for (ExchangeTally* tally : tallies_) {
        tally->add(result);
    }
    return result;
}

DeviceResult DeviceLink::SendCommand(std::string_view text) {
    const std::lock_guard lock(mutex_);
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
    SerialStatus status = serial.Write(text);
    if (status == SerialOk) {
        status = serial.ReadLine(buffer, capacity, count);
    }
    return Finish(text, status);
}

DeviceResult DeviceLink::QueryLines(std::string_view text, std::vector<std::string>& lines) {
    const std::lock_guard lock(mutex_);
    lines.clear();
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
    unsigned char lengthBytes[kEepromLengthBytes] = {};
    int count = 0;
    const std::string lengthCommand = command::GetEepromData(address, kEepromLengthBytes);
    if (DeviceResult result = QueryExact(lengthCommand, lengthBytes, kEepromLengthBytes, count);
        !result) {
        return result;
    }
    // Least significant byte first.
    const int length = lengthBytes[0] | (lengthBytes[1] << 8);
    if (length > kEepromItemLimit) {
        // Erased EEPROM reads 0xFFFF: no item was ever stored there.
        return DeviceResult::failure(
            DeviceFailure::Unusable, lengthCommand,
            cFormat("stored length %d is over %d", length, kEepromItemLimit));
    }
    std::string text;
    for (int offset = 0; offset < length;) {
        const int chunk = std::min(length - offset, kEepromReadChunk);
        char buffer[2 * kEepromReadChunk] = {};
        if (DeviceResult result =
                QueryExact(command::GetEepromData(address + kEepromLengthBytes + offset, chunk),
                           buffer, chunk, count);
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
    for (std::size_t offset = 0; offset < length; offset += kEepromWriteChunk) {
        const std::string_view chunk =
            text.substr(offset, std::min<std::size_t>(kEepromWriteChunk, length - offset));
        first.keepFirstFailure(SendCommand(command::SetEepromDataChunk(
            address + kEepromLengthBytes + static_cast<int>(offset), chunk)));
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
        std::this_thread::sleep_for(kSamplePacing);
        int reading = previous;
        DeviceResult result = QueryInteger(command::QueryInternalValue(n + kLoadCellValueBase),
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
    DeviceResult result = QueryInteger(command::kGetMotorsState, kLongAnswerCapacity, state);
    while (result && state != 0) {
        std::this_thread::sleep_for(kMotorPollPacing);
        result = QueryInteger(command::kGetMotorsState, kLongAnswerCapacity, state);
    }
    return result;
}

SdFileRead DeviceLink::ReadFileOnSDCard(std::string_view name, std::FILE* target,
                                        const SdProgress& progress) {
    const std::lock_guard lock(mutex_);
    SdFileRead read;
    if (target == nullptr) {
        read.result = DeviceResult::failure(DeviceFailure::FileFailed, {}, "no target file");
        return read;
    }
    int size = 0;
    read.result = QueryInteger(command::ReadFileOnSdCardFirst(name), kLongAnswerCapacity, size);
    if (!read.result) {
        return read;
    }
    read.announcedSize = size;
    std::vector<char> chunk(kSdChunk);
    std::int64_t done = 0;
    for (std::int64_t remaining = size; remaining > 0; remaining -= kSdChunk) {
        const int wanted = static_cast<int>(std::min<std::int64_t>(kSdChunk, remaining));
        int count = 0;
        SerialStatus status = serial.Write(command::kReadFileOnSdCardNext);
        if (status == SerialOk) {
            status = serial.ReadExact(chunk.data(), wanted, count);
        }
        const DeviceResult piece = Finish(command::kReadFileOnSdCardNext, status);
        read.result.keepFirstFailure(piece);
        if (piece) {
            if (std::fwrite(chunk.data(), 1, static_cast<std::size_t>(wanted), target) !=
                static_cast<std::size_t>(wanted)) {
                read.result = DeviceResult::failure(DeviceFailure::FileFailed,
                                                    std::string(command::kReadFileOnSdCardNext),
                                                    "the target file could not be written");
                return read;
            }
            read.bytesWritten += wanted;
        } else if (status == SerialReadTimeout) {
            // Already logged as a time-out by the read; the piece is left out
            // and the transfer goes on, as the device expects.
            ++read.shortChunks;
        } else {
            return read;
        }
        done += wanted;
        if (progress) {
            progress(done, read.announcedSize);
        }
    }
    return read;
}

}  // namespace kyrvana
