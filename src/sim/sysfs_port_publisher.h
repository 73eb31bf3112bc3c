#pragma once

// Makes a simulated stimulator look plugged in: lays out, below a root folder,
// the sysfs entries the kernel makes for a USB CDC ACM port, and a device node
// link to the simulator's pseudo-terminal. The program's port list, pointed at
// the same root, then finds the port exactly as it finds a real stimulator.
//
//   <root>/sys/devices/pci0000:00/0000:00:14.0/usb1/<usbPort>/
//       idVendor idProduct serial product manufacturer   (the USB device)
//       <usbPort>:1.0/                                   (its CDC ACM interface)
//           driver -> ../../../../../../bus/usb/drivers/cdc_acm
//           tty/<ttyName>/device -> ../../../<usbPort>:1.0
//   <root>/sys/class/tty/<ttyName> -> ../../devices/.../<usbPort>:1.0/tty/<ttyName>
//   <root>/dev/<ttyName> -> the pseudo-terminal
//
// The class entry is made last and removed first, so a port list read at the
// same time sees either the whole port or none of it.
//
// A publication holds a lock on <usbPort>/owner.lock for as long as it lasts.
// The kernel drops the lock when the process ends, however it ends, so a tree
// left behind by a killed simulator is told apart from a live one: the next
// publisher replaces it rather than refuse, which would leave a device node
// that leads to a pseudo-terminal number another program may since have been
// given.

#include <filesystem>
#include <string>
#include <vector>

#include "core/device/port_list.h"

namespace kyrvana::sim {

struct SysfsPortOptions {
    // As the kernel writes them: four lower-case hex digits.
    std::string vendorId = sysfsUsbId(kStimulatorVendorTag);
    std::string productId = sysfsUsbId(kStimulatorProductTag);
    std::string serial = "KYRSIM0001";           // empty: the device has no serial number string
    std::string product = "Kyrvana Stimulator";  // empty: no product string
    std::string manufacturer = "Kyrvana";
    std::string ttyName = "ttyACM0";
    std::string usbPort = "1-2";  // bus 1, port 2: the USB device's folder name
};

class SysfsPortPublisher {
  public:
    explicit SysfsPortPublisher(SysfsPortOptions options = {});
    ~SysfsPortPublisher();
    SysfsPortPublisher(const SysfsPortPublisher&) = delete;
    SysfsPortPublisher& operator=(const SysfsPortPublisher&) = delete;

    // Plugs the port in under `root` with <root>/dev/<ttyName> leading to
    // `portPath`. A port left behind under the same tty name or USB port by a
    // publisher that is gone is removed first (see replacedStale()). False
    // with a reason in `error` when it is already published, when the tty
    // name or USB port is taken by a live publisher (or by entries of unknown
    // origin), or when the tree cannot be written; nothing is left behind
    // then.
    bool publish(const std::filesystem::path& root, const std::string& portPath,
                 std::string* error = nullptr);
    // Unplugs: removes every entry publish made (folders only when empty, so a
    // second port published under the same root keeps its share).
    void unpublish();
    bool published() const { return published_; }
    // Whether the last publish() first removed a port left behind.
    bool replacedStale() const { return replacedStale_; }

    const SysfsPortOptions& options() const { return options_; }

  private:
    bool makeFolder(const std::filesystem::path& folder, std::string* error);
    bool makeFile(const std::filesystem::path& file, const std::string& text, std::string* error);
    bool makeLink(const std::filesystem::path& link, const std::filesystem::path& target,
                  std::string* error);
    bool takeOwnership(const std::filesystem::path& usbDevice, std::string* error);
    void removeMade();

    SysfsPortOptions options_;
    std::filesystem::path root_;
    std::vector<std::filesystem::path> made_;  // in the order made
    int ownerLock_ = -1;
    bool published_ = false;
    bool replacedStale_ = false;
};

}  // namespace kyrvana::sim
