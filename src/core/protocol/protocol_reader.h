#pragma once

// Reads a protocol file: an optional "##HARDWARE" block with the three
// hardware values, a header line of column keywords, and then the sets, each
// as many tokens as there are columns. Unknown keywords and words do not stop
// the reading: an unknown column is skipped and an unknown word leaves -1 in
// its field; both are listed for the caller to judge.

#include <istream>
#include <string>
#include <string_view>

#include "core/protocol/hardware_settings.h"
#include "core/protocol/protocol.h"
#include "core/protocol/protocol_read_problems.h"

namespace kyrvana {

enum class ProtocolReadStatus {
    // Read to the end; the sequence (and the hardware values when the file
    // has the block) were replaced.
    Complete,
    // Read, but the values of the last row ran out before its last column;
    // that row was left out and the rows before it were taken.
    LastRowCutShort,
    // The file could not be opened; nothing changed.
    CannotOpen,
    // Reading stopped before the end (a hardware value that is not a number,
    // an over-long header line or token, more sets than any sequence has);
    // nothing changed.
    Damaged,
};

// Whether the sequence and hardware values were replaced from the file.
constexpr bool protocolWasRead(ProtocolReadStatus status) {
    return status == ProtocolReadStatus::Complete || status == ProtocolReadStatus::LastRowCutShort;
}

// The largest header line after its first keyword, and the most sets a file
// may hold (ten fit into a device; anything near this many is not a protocol).
inline constexpr std::size_t kMaxHeaderRestLength = 2047;
inline constexpr std::size_t kMaxProtocolFileSets = 1000;

// Reads from a stream opened in binary mode (line ends may be LF or CR LF).
// `problems`, when given, receives the header keywords and values that the
// reader could not take, by line and word, whatever the status; what the
// reader builds is the same with or without it.
ProtocolReadStatus readProtocol(std::istream& in, Protocol& protocol, HardwareSettings& hardware,
                                ProtocolReadProblems* problems = nullptr);
ProtocolReadStatus readProtocolText(std::string_view text, Protocol& protocol,
                                    HardwareSettings& hardware,
                                    ProtocolReadProblems* problems = nullptr);
ProtocolReadStatus readProtocolFile(const std::string& path, Protocol& protocol,
                                    HardwareSettings& hardware,
                                    ProtocolReadProblems* problems = nullptr);

}  // namespace kyrvana
