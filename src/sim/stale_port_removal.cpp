#include "sim/stale_port_removal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <system_error>
#include <vector>

namespace kyrvana::sim {

namespace fs = std::filesystem;

namespace {

bool isSymlink(const fs::path& path) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(path, ec));
}

// The USB device folder of the port a class entry leads to:
// <usb>/<usb>:1.0/tty/<tty> is three levels below it.
fs::path ownerOfClassEntry(const fs::path& root, const fs::path& classEntry) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(classEntry, ec);
    if (ec) {
        return {};
    }
    const fs::path ttyFolder = (classEntry.parent_path() / target).lexically_normal();
    const fs::path usbDevice = ttyFolder.parent_path().parent_path().parent_path();
    const fs::path relative = usbDevice.lexically_relative(root);
    if (relative.empty() || *relative.begin() == ".." || *relative.begin() == ".") {
        return {};
    }
    return usbDevice;
}

// Takes the owner lock of a published port; -1 while its publisher lives or
// when the folder has no lock file.
int lockOfGonePublisher(const fs::path& usbDevice) {
    const int fd = ::open((usbDevice / kPortOwnerLockName).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The class entry goes first, as when a port is unplugged, then the device
// node, then the USB device with everything below it.
void removePort(const fs::path& root, const fs::path& usbDevice) {
    const fs::path ttyFolders = usbDevice / (usbDevice.filename().string() + ":1.0") / "tty";
    std::error_code ec;
    for (const fs::directory_entry& tty : fs::directory_iterator(ttyFolders, ec)) {
        const fs::path name = tty.path().filename();
        const fs::path classEntry = root / "sys" / "class" / "tty" / name;
        if (isSymlink(classEntry) && ownerOfClassEntry(root, classEntry) == usbDevice) {
            fs::remove(classEntry, ec);
        }
        const fs::path deviceNode = root / "dev" / name;
        if (isSymlink(deviceNode)) {
            fs::remove(deviceNode, ec);
        }
    }
    fs::remove_all(usbDevice, ec);
}

}  // namespace

bool removePortsLeftBehind(const fs::path& root, const fs::path& usbDevice,
                           const fs::path& classEntry) {
    std::vector<fs::path> candidates{usbDevice};
    if (isSymlink(classEntry)) {
        const fs::path owner = ownerOfClassEntry(root, classEntry);
        if (!owner.empty() && owner != usbDevice) {
            candidates.push_back(owner);
        }
    }
    bool removed = false;
    for (const fs::path& candidate : candidates) {
        const int lock = lockOfGonePublisher(candidate);
        if (lock < 0) {
            continue;
        }
        // Held while removing, so that of two simulators starting at the same
        // moment only one removes it.
        removePort(root, candidate);
        ::close(lock);
        removed = true;
    }
    return removed;
}

}  // namespace kyrvana::sim
