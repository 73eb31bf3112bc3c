#pragma once

// The list of USB serial ports on Linux, read from sysfs.
//
// The kernel presents every terminal device under /sys/class/tty/<name>, a
// link into /sys/devices. Its `device` link leads to the device behind the
// terminal; for a USB port that is an interface folder (cdc_acm) or a folder
// below one (usb-serial drivers), and somewhere above it sits the USB device
// folder with the vendor and product identifiers (idVendor, idProduct). Ports
// without such a parent (the on-board 8250 UARTs, virtual consoles) cannot be
// the stimulator and are left out.
//
// Everything is read below a root folder, "/" on a real system, so that tests
// and the simulator can present a port exactly as a plugged-in device does.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "core/device/port_info.h"

namespace kyrvana {

// The USB serial ports under `root`, ordered by portNameLess. For each port:
//   portName    <root>/dev/<name>
//   description the USB device's product string; when it has none, the name
//               of the driver bound to the port's device (e.g. "cdc_acm"),
//               or empty
//   hardwareId  USB\VID_xxxx&PID_xxxx\<serial> with upper-case hex; a device
//               without a serial number string gets its USB bus path instead
//               (e.g. "1-2"), which stays the same while it sits in one socket
// Entries that cannot be read (broken or looping links, missing or unreadable
// identifier files, no device node under <root>/dev) are skipped. Never throws
// on file-system trouble; an unreadable tree gives an empty list.
std::vector<PortInfo> listUsbSerialPorts(const std::filesystem::path& root = "/");

// Port-name order with runs of digits compared as numbers, so that ttyACM2
// comes before ttyACM10. Everything else compares byte by byte; names that
// differ only in leading zeros are ordered by the plain text, which keeps the
// order strict.
bool portNameLess(std::string_view left, std::string_view right);

// The stimulator's USB identifiers as they appear in a hardware identifier.
inline constexpr std::string_view kStimulatorVendorTag = "VID_03EB";
inline constexpr std::string_view kStimulatorProductTag = "PID_2404";

// The id a tag carries as sysfs spells it in idVendor / idProduct (and a
// udev rule matches it): "VID_03EB" -> "03eb".
std::string sysfsUsbId(std::string_view tag);

// True when the hardware identifier names the stimulator: it contains both
// tags, compared with case.
bool isStimulatorPort(const PortInfo& port);

// The index of the first port that is the stimulator; none when no port is.
std::optional<std::size_t> findStimulatorPort(const std::vector<PortInfo>& ports);

}  // namespace kyrvana
