#include "sim/sysfs_port_publisher.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "sim/stale_port_removal.h"

namespace kyrvana::sim {

namespace fs = std::filesystem;

namespace {

// The host controller the simulated device hangs off, as on a common laptop.
const fs::path kUsbBusFolder = fs::path("sys") / "devices" / "pci0000:00" / "0000:00:14.0" / "usb1";

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool fail(std::string* error, const std::string& reason) {
    if (error) {
        *error = reason;
    }
    return false;
}

bool entryExists(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

bool isStrictlyWithin(const fs::path& path, const fs::path& base) {
    const fs::path relative = path.lexically_relative(base);
    return !relative.empty() && relative != "." && *relative.begin() != "..";
}

}  // namespace

SysfsPortPublisher::SysfsPortPublisher(SysfsPortOptions options) : options_(std::move(options)) {}

SysfsPortPublisher::~SysfsPortPublisher() {
    unpublish();
}

bool SysfsPortPublisher::publish(const fs::path& root, const std::string& portPath,
                                 std::string* error) {
    if (published_) {
        return fail(error, "the port is already published under " + root_.string());
    }
    const std::string& tty = options_.ttyName;
    const std::string& usbPort = options_.usbPort;
    if (!isPlainName(tty) || !isPlainName(usbPort) || options_.vendorId.empty() ||
        options_.productId.empty() || portPath.empty()) {
        return fail(error, "the tty name, USB port, identifiers and port path must be given");
    }
    std::error_code ec;
    const fs::path target = fs::absolute(portPath, ec);
    if (ec) {
        return fail(error, "cannot make an absolute path of " + portPath + ": " + ec.message());
    }

    root_ = root.lexically_normal();
    const fs::path usbDevice = root_ / kUsbBusFolder / usbPort;
    const std::string interfaceName = usbPort + ":1.0";
    const fs::path interface = usbDevice / interfaceName;
    const fs::path ttyFolder = interface / "tty" / tty;
    const fs::path deviceNode = root_ / "dev" / tty;
    const fs::path classEntry = root_ / "sys" / "class" / "tty" / tty;
    replacedStale_ = removePortsLeftBehind(root_, usbDevice, classEntry);
    for (const fs::path& taken : {classEntry, deviceNode, usbDevice}) {
        if (entryExists(taken)) {
            return fail(error, taken.string() +
                                   " already exists (a simulated port that is still plugged "
                                   "in, or entries no simulator made: remove them)");
        }
    }

    const bool made =
        makeFolder(usbDevice, error) && takeOwnership(usbDevice, error) &&
        makeFile(usbDevice / "idVendor", options_.vendorId, error) &&
        makeFile(usbDevice / "idProduct", options_.productId, error) &&
        (options_.serial.empty() || makeFile(usbDevice / "serial", options_.serial, error)) &&
        (options_.product.empty() || makeFile(usbDevice / "product", options_.product, error)) &&
        (options_.manufacturer.empty() ||
         makeFile(usbDevice / "manufacturer", options_.manufacturer, error)) &&
        makeFolder(interface, error) &&
        makeLink(interface / "driver", "../../../../../../bus/usb/drivers/cdc_acm", error) &&
        makeFolder(ttyFolder, error) &&
        makeLink(ttyFolder / "device", fs::path("../../..") / interfaceName, error) &&
        makeFolder(deviceNode.parent_path(), error) && makeLink(deviceNode, target, error) &&
        makeFolder(classEntry.parent_path(), error) &&
        // Last: from here on the port list sees the port.
        makeLink(classEntry, (fs::path("../..") / ttyFolder.lexically_relative(root_ / "sys")),
                 error);
    if (!made) {
        removeMade();
        return false;
    }
    published_ = true;
    return true;
}

void SysfsPortPublisher::unpublish() {
    removeMade();
    published_ = false;
}

bool SysfsPortPublisher::takeOwnership(const fs::path& usbDevice, std::string* error) {
    const fs::path lockFile = usbDevice / kPortOwnerLockName;
    ownerLock_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (ownerLock_ < 0) {
        return fail(error, "cannot make " + lockFile.string() + ": " + std::strerror(errno));
    }
    made_.push_back(lockFile);
    // Nobody else can hold it: the file is new.
    if (::flock(ownerLock_, LOCK_EX | LOCK_NB) != 0) {
        return fail(error, "cannot lock " + lockFile.string() + ": " + std::strerror(errno));
    }
    return true;
}

bool SysfsPortPublisher::makeFolder(const fs::path& folder, std::string* error) {
    // One level at a time, so that exactly the folders made here are removed.
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        std::error_code ec;
        if (fs::create_directory(partial, ec)) {
            made_.push_back(partial);
        } else if (ec) {
            return fail(error, "cannot make " + partial.string() + ": " + ec.message());
        }
    }
    return true;
}

bool SysfsPortPublisher::makeFile(const fs::path& file, const std::string& text,
                                  std::string* error) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return fail(error, "cannot make " + file.string() + ": " + std::strerror(errno));
    }
    made_.push_back(file);
    // Attributes read as a line, as the kernel writes them.
    const std::string line = text + "\n";
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t count = ::write(fd, line.data() + written, line.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            const std::string reason = std::strerror(errno);
            ::close(fd);
            return fail(error, "cannot write " + file.string() + ": " + reason);
        }
        written += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return true;
}

bool SysfsPortPublisher::makeLink(const fs::path& link, const fs::path& target,
                                  std::string* error) {
    std::error_code ec;
    fs::create_symlink(target, link, ec);
    if (ec) {
        return fail(error, "cannot make " + link.string() + ": " + ec.message());
    }
    made_.push_back(link);
    return true;
}

void SysfsPortPublisher::removeMade() {
    // Newest first: the class entry goes before anything it leads to.
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
        std::error_code ec;
        fs::remove(*it, ec);  // a folder still holding another port's entries stays
    }
    // The port is gone from the tree before its lock is let go.
    if (ownerLock_ >= 0) {
        ::close(ownerLock_);
        ownerLock_ = -1;
    }
    // Folders that another publisher made under the same root and that this
    // one shared go when they are empty now, so the last port to leave leaves
    // nothing behind. The root itself stays unless this publisher made it.
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
        for (fs::path folder = it->parent_path(); isStrictlyWithin(folder, root_);
             folder = folder.parent_path()) {
            std::error_code ec;
            if (!fs::is_directory(fs::symlink_status(folder, ec)) || !fs::is_empty(folder, ec) ||
                ec || !fs::remove(folder, ec)) {
                break;
            }
        }
    }
    made_.clear();
}

}  // namespace kyrvana::sim
