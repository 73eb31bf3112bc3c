// Feeds arbitrary bytes to the protocol reader. Whatever it accepts must also
// go through the list texts and totals, and must be stable under the writer:
// writing what was read, reading that and writing again gives the same file.
// Listing what did not read must not change what is read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/editor/sequence_list_text.h"
#include "core/protocol/protocol_reader.h"
#include "core/protocol/protocol_writer.h"
#include "core/protocol/sequence_totals.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kyrvana;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Protocol protocol;
    HardwareSettings hardware;
    ProtocolReadProblems problems;
    const ProtocolReadStatus status = readProtocolText(text, protocol, hardware, &problems);
    (void)protocolReadProblemsText(problems);
    if (!protocolWasRead(status)) {
        return 0;
    }
    Protocol unlisted;
    HardwareSettings unlistedHardware;
    if (readProtocolText(text, unlisted, unlistedHardware) != status || !(unlisted == protocol)) {
        __builtin_trap();
    }

    WellDisabledChecks disabled{};
    disabled[1] = true;
    for (int i = 0; i < protocol.setCount(); ++i) {
        (void)sequenceListRowTexts(protocol, i, disabled);
    }
    (void)totalTimeText(
        shownTotalSeconds(totalDurationSeconds(protocol), hardware.RepeatTestSequence));
    (void)displacementRange(protocol);

    const std::string written = protocolFileText(protocol, hardware);
    Protocol again;
    HardwareSettings againHardware;
    if (readProtocolText(written, again, againHardware) != ProtocolReadStatus::Complete ||
        again.setCount() != protocol.setCount() ||
        protocolFileText(again, againHardware) != written) {
        __builtin_trap();
    }
    return 0;
}
