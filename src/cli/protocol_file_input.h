#pragma once

// How kyrvana-cli takes a protocol file in: what it says on standard error
// about a file it could read only in part, and which files it refuses.

#include <string>

#include "core/protocol/hardware_settings.h"
#include "core/protocol/protocol.h"
#include "core/protocol/protocol_reader.h"

namespace kyrvana::cli {

// Says why a file was not read (cannot be opened, reading stopped before its
// end) and warns about a last row cut short. True when the file was read.
bool reportProtocolReadStatus(const std::string& shownName, ProtocolReadStatus status);

// Reads a file for `check` and `program`. Besides what
// reportProtocolReadStatus() refuses, a file is refused (false) when none of
// its header keywords names a column (a CSV data file, a binary file) or
// when a value is not a value of its column (an unknown waveform, mode,
// preload type or time unit, a number without digits): the sequence built
// from it would hold settings the file never gave. Each such word is named
// with its line. Header keywords that name no column, in a file that has
// known ones, are only warned about: their values are skipped.
bool readUsableProtocolFile(const std::string& path, Protocol& sequence,
                            HardwareSettings& hardware);

}  // namespace kyrvana::cli
