#include "core/protocol/instruction_keywords.h"

#include <array>

#include "core/protocol/vocabulary_matching.h"

namespace kyrvana {
namespace {

struct InstructionWord {
    Instruction code;
    std::string_view name;     // written in headers
    std::string_view keyword;  // read from headers, compared upper-cased
};

constexpr std::array<InstructionWord, 46> kInstructionWords{{
    {Instruction::Name, "Name", "NAME"},
    {Instruction::XMode, "XMode", "XMODE"},
    {Instruction::XFunction, "XFunction", "XFUNCTION"},
    {Instruction::XUnits, "XUnits", "XUNITS"},
    {Instruction::XMagnitude, "XMagnitude", "XMAGNITUDE"},
    {Instruction::XPreloadType, "XPreloadType", "XPRELOADTYPE"},
    {Instruction::XPreloadMag, "XPreloadMag", "XPRELOADMAG"},
    {Instruction::YMode, "YMode", "YMODE"},
    {Instruction::YFunction, "YFunction", "YFUNCTION"},
    {Instruction::YUnits, "YUnits", "YUNITS"},
    {Instruction::YMagnitude, "YMagnitude", "YMAGNITUDE"},
    {Instruction::YPreloadType, "YPreloadType", "YPRELOADTYPE"},
    {Instruction::YPreloadMag, "YPreloadMag", "YPRELOADMAG"},
    {Instruction::ZMode, "ZMode", "ZMODE"},
    {Instruction::ZFunction, "ZFunction", "ZFUNCTION"},
    {Instruction::ZUnits, "ZUnits", "ZUNITS"},
    {Instruction::ZMagnitude, "ZMagnitude", "ZMAGNITUDE"},
    {Instruction::AMagnitude, "AMagnitude", "AMAGNITUDE"},
    {Instruction::BMagnitude, "BMagnitude", "BMAGNITUDE"},
    {Instruction::CMagnitude, "CMagnitude", "CMAGNITUDE"},
    {Instruction::ZPreloadType, "ZPreloadType", "ZPRELOADTYPE"},
    {Instruction::ZPreloadMag, "ZPreloadMag", "ZPRELOADMAG"},
    {Instruction::APreloadMag, "APreloadMag", "APRELOADMAG"},
    {Instruction::BPreloadMag, "BPreloadMag", "BPRELOADMAG"},
    {Instruction::CPreloadMag, "CPreloadMag", "CPRELOADMAG"},
    {Instruction::StretchDurationSec, "StretchDurationSec", "STRETCHDURATIONSEC"},
    {Instruction::RecoveryDurationSec, "RecoveryDurationSec", "RECOVERYDURATIONSEC"},
    {Instruction::HoldTimeSec, "HoldTimeSec", "HOLDTIMESEC"},
    {Instruction::RestTimeSec, "RestTimeSec", "RESTTIMESEC"},
    {Instruction::StretchDurationMSec, "StretchDurationMSec", "STRETCHDURATIONMSEC"},
    {Instruction::RecoveryDurationMSec, "RecoveryDurationMSec", "RECOVERYDURATIONMSEC"},
    {Instruction::HoldTimeMSec, "HoldTimeMSec", "HOLDTIMEMSEC"},
    {Instruction::RestTimeMSec, "RestTimeMSec", "RESTTIMEMSEC"},
    {Instruction::NumReps, "NumReps", "NUMREPS"},
    {Instruction::DataFreqHz, "DataFreqHz", "DATAFREQHZ"},
    {Instruction::DataType, "DataType", "DATATYPE"},
    {Instruction::ImageFreqHz, "ImageFreqHz", "IMAGEFREQHZ"},
    {Instruction::Tolerance, "Tolerance", "TOLERANCE"},
    {Instruction::TolCorOver, "TolCorOver", "TOLCOROVER"},
    {Instruction::TimeUnits, "TimeUnits", "TIMEUNITS"},
    {Instruction::AutoAdjust, "AutoAdjust", "AUTOADJUST"},
    {Instruction::DataFreqMS, "DataFreqMS", "DATAFREQMS"},
    {Instruction::LoadSpeed, "LoadSpeed", "LOADSPEED"},
    {Instruction::UnloadSpeed, "UnloadSpeed", "UNLOADSPEED"},
    {Instruction::LoadAccel, "LoadAccel", "LOADACCEL"},
    {Instruction::UnloadAccel, "UnloadAccel", "UNLOADACCEL"},
}};

}  // namespace

Instruction instructionFromKeyword(std::string_view text) {
    if (text.size() > kVocabularyTextLimit) {
        return Instruction::Unknown;
    }
    for (const InstructionWord& word : kInstructionWords) {
        if (equalsIgnoringCase(text, word.keyword)) {
            return word.code;
        }
    }
    return Instruction::Unknown;
}

std::string_view instructionName(Instruction code) {
    for (const InstructionWord& word : kInstructionWords) {
        if (word.code == code) {
            return word.name;
        }
    }
    return "InvalidInstruction";
}

}  // namespace kyrvana
