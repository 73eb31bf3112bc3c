#pragma once

// Which names from the device's listing the program may act on. A name comes
// from the device and goes into a local path and into a command text, so it
// is checked for both uses before anything is sent or written.

#include <cstddef>
#include <string_view>

namespace kyrvana {

// The device's command buffers: a download command text holds at most 511
// characters, a deletion command text at most 63. A longer text would be cut
// by the firmware and name another file.
inline constexpr std::size_t kDownloadCommandLimit = 511;
inline constexpr std::size_t kDeleteCommandLimit = 63;

// True for a name that is only a file name: not empty, not "." or "..",
// without "/" or "\" and without control characters, so that joined to the
// download folder it can only name a file inside that folder.
bool isPlainFileName(std::string_view name);

// Whether the command text for `name` fits the device's buffer.
bool fitsDownloadCommand(std::string_view name);
bool fitsDeleteCommand(std::string_view name);

}  // namespace kyrvana
