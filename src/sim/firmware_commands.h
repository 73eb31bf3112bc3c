#pragma once

// The firmware's command table: one entry per command of the device's
// command set, with the form of its arguments and the small function that
// carries it out. Adding a command is one function and one row.

#include <optional>
#include <string>
#include <vector>

#include "sim/command_recognizer.h"

namespace kyrvana::sim {

class Firmware;

struct FirmwareCommand {
    const char* name;
    ArgumentForm form;
    int arity;  // how many numbers the command takes; -1: the function checks
    // The answer bytes, or nothing when the firmware stays silent.
    std::optional<std::string> (*run)(Firmware& firmware, const RecognizedCommand& command);
};

const std::vector<FirmwareCommand>& firmwareCommands();

// Answer forms.
std::string lineAnswer(const std::string& text);  // text + CR
std::string ackAnswer();                          // "OK\r"
std::string refusedAnswer();                      // "ERROR\r": bad arguments
std::string word32Answer(std::uint32_t value);    // 4 bytes, least significant first

}  // namespace kyrvana::sim
