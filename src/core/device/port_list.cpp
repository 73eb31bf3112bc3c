#include "core/device/port_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

#include "core/common/c_locale_text.h"

namespace kyrvana {

namespace fs = std::filesystem;

namespace {

// Sysfs attributes are a line of text; anything longer is not one of them.
constexpr std::size_t kMaxAttributeBytes = 4096;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isTrailingSpace(char c) {
    return c == '\n' || c == '\r' || c == ' ' || c == '\t';
}

// The text of a small attribute file without its line end; none when it is
// not a readable regular file. Opened without blocking, so that a FIFO or a
// device node planted in the tree cannot hang the caller.
std::optional<std::string> readAttribute(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        text.emplace();
        char buffer[256];
        while (text && text->size() < kMaxAttributeBytes) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0) {
                text.reset();
            } else if (count == 0) {
                break;
            } else {
                text->append(buffer, static_cast<std::size_t>(count));
            }
        }
    }
    ::close(fd);
    if (text) {
        while (!text->empty() && isTrailingSpace(text->back())) {
            text->pop_back();
        }
    }
    return text;
}

// idVendor and idProduct hold four lower-case hex digits ("03eb"); the
// hardware identifier wants them upper-case and four wide.
std::optional<std::string> usbIdText(const fs::path& file) {
    const std::optional<std::string> text = readAttribute(file);
    if (!text || text->empty() || text->size() > 4 ||
        !std::all_of(text->begin(), text->end(), isHexDigit)) {
        return std::nullopt;
    }
    return std::string(4 - text->size(), '0') + cToUpper(*text);
}

// True when `path` is `base` or below it (both canonical).
bool isWithin(const fs::path& path, const fs::path& base) {
    const fs::path relative = path.lexically_relative(base);
    return !relative.empty() && *relative.begin() != "..";
}

bool entryExists(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

// The nearest folder at or above `device` that carries USB identifiers. The
// walk stays inside the tree's sys folder, so a fake tree never borrows the
// real system's devices.
std::optional<fs::path> usbDeviceFolder(const fs::path& device, const fs::path& sysDir) {
    for (fs::path folder = device; folder != sysDir && isWithin(folder, sysDir);
         folder = folder.parent_path()) {
        if (entryExists(folder / "idVendor") || entryExists(folder / "idProduct")) {
            return folder;
        }
    }
    return std::nullopt;
}

std::string driverName(const fs::path& device) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(device / "driver", ec);
    return ec ? std::string() : target.filename().string();
}

std::optional<PortInfo> describePort(const fs::path& root, const fs::path& sysDir,
                                     const fs::path& classEntry) {
    std::error_code ec;
    const fs::path deviceLink = classEntry / "device";
    const fs::path device = fs::canonical(deviceLink, ec);
    if (ec || !isWithin(device, sysDir)) {
        return std::nullopt;  // virtual terminals have no device; broken or looping links
    }
    const std::optional<fs::path> usbDevice = usbDeviceFolder(device, sysDir);
    if (!usbDevice) {
        return std::nullopt;  // a port without a USB parent, such as an on-board UART
    }
    const std::optional<std::string> vendor = usbIdText(*usbDevice / "idVendor");
    const std::optional<std::string> product = usbIdText(*usbDevice / "idProduct");
    if (!vendor || !product) {
        return std::nullopt;
    }

    std::optional<std::string> serial = readAttribute(*usbDevice / "serial");
    if (!serial || serial->empty()) {
        serial = usbDevice->filename().string();
    }
    std::optional<std::string> description = readAttribute(*usbDevice / "product");
    if (!description || description->empty()) {
        description = driverName(device);
    }

    const fs::path deviceNode = root / "dev" / classEntry.filename();
    if (!fs::exists(deviceNode, ec)) {
        return std::nullopt;  // nothing to open yet (or any more)
    }
    // A port being published or removed: the class entry appears last and goes
    // first, so if it still leads to the same device now, everything read
    // above belonged to a complete entry.
    if (fs::canonical(deviceLink, ec) != device || ec) {
        return std::nullopt;
    }
    return PortInfo{deviceNode.string(), std::move(*description),
                    "USB\\VID_" + *vendor + "&PID_" + *product + "\\" + *serial};
}

}  // namespace

std::vector<PortInfo> listUsbSerialPorts(const fs::path& root) {
    std::vector<PortInfo> ports;
    std::error_code ec;
    const fs::path sysDir = fs::canonical(root / "sys", ec);
    if (ec) {
        return ports;
    }
    for (fs::directory_iterator entry(root / "sys" / "class" / "tty", ec), end; !ec && entry != end;
         entry.increment(ec)) {
        if (std::optional<PortInfo> port = describePort(root, sysDir, entry->path())) {
            ports.push_back(std::move(*port));
        }
    }
    std::sort(ports.begin(), ports.end(), [](const PortInfo& left, const PortInfo& right) {
        return portNameLess(left.portName, right.portName);
    });
    return ports;
}

bool portNameLess(std::string_view left, std::string_view right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (isDigit(left[i]) && isDigit(right[j])) {
            // Compare the digit runs as numbers of any length: without their
            // leading zeros, the longer run is the larger number.
            while (i < left.size() && left[i] == '0') {
                ++i;
            }
            while (j < right.size() && right[j] == '0') {
                ++j;
            }
            std::size_t leftEnd = i;
            while (leftEnd < left.size() && isDigit(left[leftEnd])) {
                ++leftEnd;
            }
            std::size_t rightEnd = j;
            while (rightEnd < right.size() && isDigit(right[rightEnd])) {
                ++rightEnd;
            }
            const std::string_view leftNumber = left.substr(i, leftEnd - i);
            const std::string_view rightNumber = right.substr(j, rightEnd - j);
            if (leftNumber.size() != rightNumber.size()) {
                return leftNumber.size() < rightNumber.size();
            }
            if (leftNumber != rightNumber) {
                return leftNumber < rightNumber;
            }
            i = leftEnd;
            j = rightEnd;
            continue;
        }
        if (left[i] != right[j]) {
            return static_cast<unsigned char>(left[i]) < static_cast<unsigned char>(right[j]);
        }
        ++i;
        ++j;
    }
    if (i == left.size() && j == right.size()) {
        return left < right;  // equal but for leading zeros
    }
    return i == left.size();
}

std::string sysfsUsbId(std::string_view tag) {
    return cToLower(tag.substr(tag.find('_') + 1));
}

bool isStimulatorPort(const PortInfo& port) {
    return port.hardwareId.find(kStimulatorVendorTag) != std::string::npos &&
           port.hardwareId.find(kStimulatorProductTag) != std::string::npos;
}

std::optional<std::size_t> findStimulatorPort(const std::vector<PortInfo>& ports) {
    for (std::size_t index = 0; index < ports.size(); ++index) {
        if (isStimulatorPort(ports[index])) {
            return index;
        }
    }
    return std::nullopt;
}

}  // namespace kyrvana
