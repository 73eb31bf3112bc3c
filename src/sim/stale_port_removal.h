#pragma once

// Finds, in a fake sysfs tree, a simulated port whose publisher is gone (a
// simulator killed before it could unplug) and removes it, so that a new
// simulator can take its tty name and USB port. A publisher holds an
// exclusive flock() on the lock file in its USB device folder for as long as
// its port is published; the kernel releases it when the process ends, so a
// lock that can be taken means nobody owns that port any more.

#include <filesystem>

namespace kyrvana::sim {

// The lock file's name inside a published USB device folder.
inline constexpr const char* kPortOwnerLockName = "owner.lock";

// Looks at the USB device folder `usbDevice` and at the port that the class
// entry `classEntry` leads to. Each of them whose lock can be taken is removed
// with its class entries and device nodes; a port whose lock is held, or that
// has no lock file (entries of unknown origin), is left alone. True when
// something was removed.
bool removePortsLeftBehind(const std::filesystem::path& root,
                           const std::filesystem::path& usbDevice,
                           const std::filesystem::path& classEntry);

}  // namespace kyrvana::sim
