#include "core/device/device_link.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/common/c_locale_text.h"
#include "core/device/command_texts.h"

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

SerialStatus DeviceLink::OpenPort() {
    const std::lock_guard lock(mutex_);
    const SerialStatus status = serial.Open(false, false, false, true, true, -1, true, portName);
    lastStatus = status;
    return status;
}

bool DeviceLink::Store(SerialStatus status) {
    lastStatus = status;
    return status == SerialOk;
}

bool DeviceLink::WriteCommand(std::string_view text) {
    return Store(serial.Write(text));
}

int DeviceLink::SendCommand(std::string_view text) {
    const std::lock_guard lock(mutex_);
    if (!WriteCommand(text)) {
        return 1;
    }
    char answer[kAckLineCapacity];
    int count = 0;
    return Store(serial.ReadLine(answer, kAckLineCapacity, count)) ? 0 : 1;
}

int DeviceLink::QueryCommand(std::string_view text, char* buffer, int capacity, int& count) {
    const std::lock_guard lock(mutex_);
    count = 0;
    if (!WriteCommand(text)) {
        return 1;
    }
    return Store(serial.ReadLine(buffer, capacity, count)) ? 0 : 1;
}

int DeviceLink::QueryLines(std::string_view text, std::vector<std::string>& lines) {
    const std::lock_guard lock(mutex_);
    lines.clear();
    if (!WriteCommand(text)) {
        return 1;
    }
    int count = 0;
    return Store(serial.ReadLines(lines, count)) ? 0 : 1;
}

int DeviceLink::QueryExact(std::string_view text, void* buffer, int length, int& count) {
    const std::lock_guard lock(mutex_);
    count = 0;
    if (!WriteCommand(text)) {
        return 1;
    }
    return Store(serial.ReadExact(buffer, length, count)) ? 0 : 1;
}

int DeviceLink::QueryInteger(std::string_view text, int capacity, int& value) {
    std::vector<char> answer(static_cast<std::size_t>(std::max(capacity, 1)));
    int count = 0;
    if (QueryCommand(text, answer.data(), capacity, count) != 0) {
        return 1;
    }
    value = cAtoi(std::string_view(answer.data(), static_cast<std::size_t>(count)));
    return 0;
}

int DeviceLink::QueryDouble(std::string_view text, int capacity, double& value) {
    std::vector<char> answer(static_cast<std::size_t>(std::max(capacity, 1)));
    int count = 0;
    if (QueryCommand(text, answer.data(), capacity, count) != 0) {
        return 1;
    }
    value = cAtof(std::string_view(answer.data(), static_cast<std::size_t>(count)));
    return 0;
}

bool DeviceLink::GetEepromData(int address, std::vector<std::string>& lines) {
    const std::lock_guard lock(mutex_);
    lines.clear();
    unsigned char lengthBytes[kEepromLengthBytes] = {};
    int count = 0;
    if (QueryExact(command::GetEepromData(address, kEepromLengthBytes), lengthBytes,
                   kEepromLengthBytes, count) != 0) {
        return false;
    }
    // Least significant byte first.
    const int length = lengthBytes[0] | (lengthBytes[1] << 8);
    if (length > kEepromItemLimit) {
        return false;
    }
    std::string text;
    for (int offset = 0; offset < length;) {
        const int chunk = std::min(length - offset, kEepromReadChunk);
        char buffer[2 * kEepromReadChunk] = {};
        if (QueryExact(command::GetEepromData(address + kEepromLengthBytes + offset, chunk), buffer,
                       chunk, count) != 0) {
            return false;
        }
        // The item is text: a zero byte ends what the chunk contributes.
        text.append(buffer, strnlen(buffer, static_cast<std::size_t>(chunk)));
        offset += chunk;
    }
    lines = SplitLines(text);
    return true;
}

int DeviceLink::SetEepromData(int address, std::string_view text) {
    const std::lock_guard lock(mutex_);
    // The device keeps a 16-bit length; that is all of the text it will hold.
    const auto length = static_cast<std::uint16_t>(text.size());
    int failures = SendCommand(command::SetEepromDataLength(address, length));
    for (std::size_t offset = 0; offset < length; offset += kEepromWriteChunk) {
        const std::string_view chunk =
            text.substr(offset, std::min<std::size_t>(kEepromWriteChunk, length - offset));
        failures += SendCommand(command::SetEepromDataChunk(
            address + kEepromLengthBytes + static_cast<int>(offset), chunk));
    }
    return failures == 0 ? 0 : 1;
}

double DeviceLink::AverageInternalValue(int n) {
    const std::lock_guard lock(mutex_);
    long long sum = 0;
    int previous = 0;
    int failedBeforeFirstGood = 0;
    bool anyGood = false;
    for (int i = 0; i < kSampleCount; ++i) {
        std::this_thread::sleep_for(kSamplePacing);
        int reading = previous;
        if (QueryInteger(command::QueryInternalValue(n + kLoadCellValueBase),
                         kInternalValueCapacity, reading) == 0) {
            if (!anyGood) {
                sum += static_cast<long long>(reading) * failedBeforeFirstGood;
            }
            anyGood = true;
        } else if (!anyGood) {
            ++failedBeforeFirstGood;
            continue;
        }
        previous = reading;
        sum += reading;
    }
    // Integer division: the fraction is cut off toward zero.
    return static_cast<double>(sum / kSampleCount);
}

int DeviceLink::WaitMotorsIdle() {
    const std::lock_guard lock(mutex_);
    int state = 0;
    if (QueryInteger(command::kGetMotorsState, kLongAnswerCapacity, state) != 0) {
        return -1;
    }
    while (state != 0) {
        std::this_thread::sleep_for(kMotorPollPacing);
        if (QueryInteger(command::kGetMotorsState, kLongAnswerCapacity, state) != 0) {
            return -1;
        }
    }
    return 1;
}

SdFileRead DeviceLink::ReadFileOnSDCard(std::string_view name, std::FILE* target,
                                        const SdProgress& progress) {
    const std::lock_guard lock(mutex_);
    SdFileRead read;
    int size = 0;
    if (target == nullptr ||
        QueryInteger(command::ReadFileOnSdCardFirst(name), kLongAnswerCapacity, size) != 0) {
        return read;
    }
    read.announcedSize = size;
    std::vector<char> chunk(kSdChunk);
    std::int64_t done = 0;
    for (std::int64_t remaining = size; remaining > 0; remaining -= kSdChunk) {
        const int wanted = static_cast<int>(std::min<std::int64_t>(kSdChunk, remaining));
        if (!WriteCommand(command::kReadFileOnSdCardNext)) {
            return read;
        }
        int count = 0;
        const SerialStatus status = serial.ReadExact(chunk.data(), wanted, count);
        lastStatus = status;
        if (status == SerialOk) {
            if (std::fwrite(chunk.data(), 1, static_cast<std::size_t>(wanted), target) !=
                static_cast<std::size_t>(wanted)) {
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
    read.result = 0;
    return read;
}

}  // namespace kyrvana
