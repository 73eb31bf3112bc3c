#include "core/protocol/protocol_writer.h"

#include <array>

#include "core/common/c_locale_text.h"
#include "core/protocol/instruction_keywords.h"
#include "core/protocol/set_columns.h"

namespace kyrvana {
namespace {

// Files are shared between Windows and Linux machines and must stay byte for
// byte the same, so the line end is written explicitly.
constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<Instruction, 23> kSavedColumns{
    Instruction::Name,         Instruction::XMode,
    Instruction::XFunction,    Instruction::StretchDurationMSec,
    Instruction::HoldTimeMSec, Instruction::RecoveryDurationMSec,
    Instruction::RestTimeMSec, Instruction::NumReps,
    Instruction::XMagnitude,   Instruction::YMagnitude,
    Instruction::ZMagnitude,   Instruction::AMagnitude,
    Instruction::BMagnitude,   Instruction::CMagnitude,
    Instruction::DataFreqMS,   Instruction::XPreloadMag,
    Instruction::YPreloadMag,  Instruction::ZPreloadMag,
    Instruction::APreloadMag,  Instruction::BPreloadMag,
    Instruction::CPreloadMag,  Instruction::XPreloadType,
    Instruction::TimeUnits,
};

void appendHardwareBlock(std::string& text, const HardwareSettings& hardware) {
    text += "##HARDWARE";
    text += kLineEnd;
    // The model line is the same whatever hardware is connected.
    text += "Kyrvana P7";
    text += kLineEnd;
    text += cFormat("FirmwareVersion %d", hardware.FirmwareVersion);
    text += kLineEnd;
    text += cFormat("ForceVelocityCode %u", hardware.ForceVelocityCode);
    text += kLineEnd;
    text += cFormat("RepeatTestSequence %d", hardware.RepeatTestSequence);
    text += kLineEnd;
}

void appendTable(std::string& text, const Protocol& protocol,
                 std::span<const Instruction> columns) {
    for (const Instruction column : columns) {
        text += instructionName(column);
        text += '\t';
    }
    text += kLineEnd;
    for (const SetRecord& set : protocol.sets) {
        for (const Instruction column : columns) {
            text += formatColumnValue(set, column);
            text += '\t';
        }
        text += kLineEnd;
    }
}

void writeText(std::ostream& out, const std::string& text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

std::span<const Instruction> savedProtocolColumns() {
    return kSavedColumns;
}

void writeHardwareBlock(std::ostream& out, const HardwareSettings& hardware) {
    std::string text;
    appendHardwareBlock(text, hardware);
    writeText(out, text);
}

void writeProtocol(std::ostream& out, Protocol& protocol) {
    protocol.columns.assign(kSavedColumns.begin(), kSavedColumns.end());
    writeProtocolTable(out, protocol, kSavedColumns);
}

void writeProtocolTable(std::ostream& out, const Protocol& protocol,
                        std::span<const Instruction> columns) {
    std::string text;
    appendTable(text, protocol, columns);
    writeText(out, text);
}

std::string protocolFileText(Protocol& protocol, const HardwareSettings& hardware) {
    std::string text;
    appendHardwareBlock(text, hardware);
    protocol.columns.assign(kSavedColumns.begin(), kSavedColumns.end());
    appendTable(text, protocol, kSavedColumns);
    return text;
}

WholeFileResult writeProtocolFile(const std::string& path, Protocol& protocol,
                                  const HardwareSettings& hardware) {
    return writeWholeFile(path, protocolFileText(protocol, hardware));
}

}  // namespace kyrvana
