#pragma once

// Writes protocol files: the hardware block, then a header line of column
// names and one row per set, every value followed by a tab and every line
// ended by CR LF on every platform.

#include <ostream>
#include <span>
#include <string>

#include "core/common/whole_file_writer.h"
#include "core/protocol/hardware_settings.h"
#include "core/protocol/instruction.h"
#include "core/protocol/protocol.h"

namespace kyrvana {

// The 23 columns that every saved file has, in their order.
std::span<const Instruction> savedProtocolColumns();

void writeHardwareBlock(std::ostream& out, const HardwareSettings& hardware);

// Resets protocol.columns to the saved columns, then writes the header line
// and the sets. The sets themselves are not changed: a name with blanks keeps
// its blanks in memory and holds "[_]" only in the file.
void writeProtocol(std::ostream& out, Protocol& protocol);

// The header line and rows for any column list, in the same form.
void writeProtocolTable(std::ostream& out, const Protocol& protocol,
                        std::span<const Instruction> columns);

// The hardware block followed by the table, as one text.
std::string protocolFileText(Protocol& protocol, const HardwareSettings& hardware);

// Writes the hardware block and the table as the whole file at `path`: the
// file is replaced only once every byte of the new content is on the disk,
// and a write that fails (a full disk, a folder that cannot be written)
// leaves an earlier file of that name as it was.
WholeFileResult writeProtocolFile(const std::string& path, Protocol& protocol,
                                  const HardwareSettings& hardware);

}  // namespace kyrvana
