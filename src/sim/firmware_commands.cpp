#include "sim/firmware_commands.h"

#include <cstdint>

#include "core/common/c_locale_text.h"
#include "core/device/device_vocabulary.h"
#include "sim/firmware.h"

namespace kyrvana::sim {

std::string lineAnswer(const std::string& text) {
    return text + "\r";
}
std::string ackAnswer() {
    return "OK\r";
}
std::string refusedAnswer() {
    return "ERROR\r";
}

std::string word32Answer(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

namespace {

using Answer = std::optional<std::string>;

std::string number(std::int64_t value) {
    return cFormat("%lld", static_cast<long long>(value));
}

bool isWell(std::int64_t well) {
    return well >= 0 && well < Firmware::kWells;
}

// Jog speed codes are steps of 2000 microsteps per second (code 7: 2.2 mm/s
// at the default pitch), slower than a positioning move so that a technician
// can stop where he wants.
constexpr double kJogStepPerCode = 2000.0;
constexpr char kListingEnd = 0x17;

Answer queryRev(Firmware& fw, const RecognizedCommand& c) {
    const std::string text = fw.revision(static_cast<int>(c.numbers[0]));
    return text.empty() ? refusedAnswer() : lineAnswer(text);
}

Answer queryInternalValue(Firmware& fw, const RecognizedCommand& c) {
    if (!fw.validValueIndex(c.numbers[0])) {
        return refusedAnswer();
    }
    return lineAnswer(number(fw.internalValue(static_cast<int>(c.numbers[0]))));
}

Answer queryUmPerUstep(Firmware& fw, const RecognizedCommand& c) {
    if (!isWell(c.numbers[0])) {
        return refusedAnswer();
    }
    return lineAnswer(cFormat("%f", fw.options().umPerUstep));
}

// GetEepromData(address, count): exactly `count` raw bytes, 0xFF beyond the memory.
Answer getEepromData(Firmware& fw, const RecognizedCommand& c) {
    const std::int64_t count = c.numbers[1];
    if (count < 0 || count > Eeprom::kSize) {
        return refusedAnswer();
    }
    return fw.eeprom().read(c.numbers[0], count);
}

// SetEepromData(address,length) writes an item's length word;
// SetEepromData(address,"text") writes a chunk of its text.
Answer setEepromData(Firmware& fw, const RecognizedCommand& c) {
    if (c.hasText) {
        if (c.numbers.size() != 1 || c.numbers[0] < 0 || c.numbers[0] >= Eeprom::kSize) {
            return refusedAnswer();
        }
        fw.eeprom().write(c.numbers[0], c.text);
        return ackAnswer();
    }
    if (c.numbers.size() != 2 || c.numbers[0] < 0 || c.numbers[0] > Eeprom::kSize - 2 ||
        c.numbers[1] < 0 || c.numbers[1] > 0xFFFF) {
        return refusedAnswer();
    }
    fw.eeprom().setWord16(c.numbers[0], static_cast<std::uint16_t>(c.numbers[1]));
    return ackAnswer();
}

// The program reads exactly four bytes, so a bad index still gets four
// (erased-cell) bytes rather than an error line.
Answer getControlSettings(Firmware& fw, const RecognizedCommand& c) {
    if (!fw.validSetting(c.numbers[0], c.numbers[1])) {
        return word32Answer(0xFFFFFFFFu);
    }
    return word32Answer(
        fw.controlSetting(static_cast<int>(c.numbers[0]), static_cast<int>(c.numbers[1])));
}

Answer setControlSettings(Firmware& fw, const RecognizedCommand& c) {
    if (!fw.validSetting(c.numbers[0], c.numbers[1]) || c.numbers[2] < 0 ||
        c.numbers[2] > 0xFFFFFFFFll) {
        return refusedAnswer();
    }
    fw.setControlSetting(static_cast<int>(c.numbers[0]), static_cast<int>(c.numbers[1]),
                         static_cast<std::uint32_t>(c.numbers[2]));
    return ackAnswer();
}

// UpdateFromSDIni(source, what): what 0 rebuilds the test description from
// the programmed sequence, 1 takes over the calibration item. The source
// argument (the program always sends 2) is accepted whatever it is.
Answer updateFromSdIni(Firmware& fw, const RecognizedCommand& c) {
    if (c.numbers[1] == 0) {
        fw.rebuildTestDescription();
        if (fw.options().runTestWhenProgrammed) {
            fw.runTest(nullptr, nullptr);
        }
        return ackAnswer();
    }
    if (c.numbers[1] == 1) {
        fw.reloadCalibration();
        return ackAnswer();
    }
    return refusedAnswer();
}

Answer listFiles(Firmware& fw, const RecognizedCommand&) {
    return fw.sdCard().listing() + kListingEnd;
}

Answer volumeSize(Firmware& fw, const RecognizedCommand&) {
    return lineAnswer(number(fw.sdCard().volumeKB()));
}

// The size in bytes; -1 when the file cannot be opened, which the program
// reads as a negative size and so can tell from an empty file.
Answer readFileFirst(Firmware& fw, const RecognizedCommand& c) {
    return lineAnswer(number(fw.sdCard().openForRead(c.text)));
}

// The next min(1024, remaining) bytes; nothing at all when no file is open
// or the file was read to its end (the program then times out).
Answer readFileNext(Firmware& fw, const RecognizedCommand&) {
    std::string bytes = fw.sdCard().readNext(static_cast<std::size_t>(kSdFilePiece));
    if (bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

Answer deleteFile(Firmware& fw, const RecognizedCommand& c) {
    return fw.sdCard().remove(c.text) ? ackAnswer() : refusedAnswer();
}

// Positioning(well, mode, target): mode 8 is an absolute move in microsteps.
Answer positioning(Firmware& fw, const RecognizedCommand& c) {
    if (!isWell(c.numbers[0]) || c.numbers[1] != 8) {
        return refusedAnswer();
    }
    fw.motors().moveTo(static_cast<int>(c.numbers[0]), c.numbers[2], MotorBank::Clock::now());
    return ackAnswer();
}

// Bit n set while motor n moves; 0 when all are idle.
Answer motorsState(Firmware& fw, const RecognizedCommand&) {
    return lineAnswer(number(fw.motors().movingMask(MotorBank::Clock::now())));
}

Answer motorPosition(Firmware& fw, const RecognizedCommand& c) {
    if (!isWell(c.numbers[0])) {
        return refusedAnswer();
    }
    return lineAnswer(
        number(fw.motors().position(static_cast<int>(c.numbers[0]), MotorBank::Clock::now())));
}

// Homing drives every actuator back to its home position (0) and answers at
// once; the program polls GetMotorsState for the end of the move.
Answer homing(Firmware& fw, const RecognizedCommand&) {
    fw.motors().homeAll(MotorBank::Clock::now());
    return ackAnswer();
}

// Packed Z(well, direction, speed, reserved): speed > 0 starts a jog, 0 stops it.
Answer packedJog(Firmware& fw, const RecognizedCommand& c) {
    const auto& n = c.numbers;
    if (!isWell(n[0]) || n[2] < 0) {
        return refusedAnswer();
    }
    const int well = static_cast<int>(n[0]);
    const auto now = MotorBank::Clock::now();
    if (n[2] == 0) {
        fw.motors().stop(well, now);
    } else {
        fw.motors().jog(well, n[1] != 0 ? 1 : 0, static_cast<double>(n[2]) * kJogStepPerCode, now);
    }
    return ackAnswer();
}

// Packed O(address): the 32-bit word at an EEPROM address
// (eeprom::kHomingDisabledWord backs internal value kHomingDisabled).
Answer packedReadWord(Firmware& fw, const RecognizedCommand& c) {
    return word32Answer(fw.eeprom().word32(c.numbers[0]));
}

// Packed w(index, value): sets an internal value.
Answer packedWriteValue(Firmware& fw, const RecognizedCommand& c) {
    if (!fw.validValueIndex(c.numbers[0])) {
        return refusedAnswer();
    }
    fw.setInternalValue(static_cast<int>(c.numbers[0]), c.numbers[1]);
    return ackAnswer();
}

}  // namespace

const std::vector<FirmwareCommand>& firmwareCommands() {
    using F = ArgumentForm;
    static const std::vector<FirmwareCommand> table = {
        {"QueryRev", F::Numbers, 1, queryRev},
        {"QueryInternalValue", F::Numbers, 1, queryInternalValue},
        {"QueryUmPerUstep", F::Numbers, 1, queryUmPerUstep},
        {"GetEepromData", F::Numbers, 2, getEepromData},
        {"SetEepromData", F::EepromWrite, -1, setEepromData},
        {"GetEepromControlSettingsData", F::Numbers, 2, getControlSettings},
        {"SetEepromControlSettingsData", F::Numbers, 3, setControlSettings},
        {"UpdateFromSDIni", F::Numbers, 2, updateFromSdIni},
        {"ListFilesOnSDCard", F::None, 0, listFiles},
        {"QuerySDVolumeSizeKB", F::None, 0, volumeSize},
        {"ReadFileOnSDCardFirst", F::QuotedText, 0, readFileFirst},
        {"ReadFileOnSDCardNext", F::None, 0, readFileNext},
        {"DeleteFileFromSDCard", F::QuotedText, 0, deleteFile},
        {"Positioning", F::Numbers, 3, positioning},
        {"GetMotorsState", F::None, 0, motorsState},
        {"QueryMotorPos", F::Numbers, 1, motorPosition},
        {"Homing", F::None, 0, homing},
        {"\x1CZ", F::Numbers, 4, packedJog},
        {"\x1CO", F::Numbers, 1, packedReadWord},
        {"\x1Cw", F::Numbers, 2, packedWriteValue},
    };
    return table;
}

}  // namespace kyrvana::sim
