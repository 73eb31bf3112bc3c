#pragma once

// The column keywords of a protocol file: read ignoring case, written in their
// mixed-case output form.

#include <string_view>

#include "core/protocol/instruction.h"

namespace kyrvana {

// The code of a header keyword (letters a to z compared ignoring case);
// Instruction::Unknown for any other text.
Instruction instructionFromKeyword(std::string_view text);

// The output name of a column; "InvalidInstruction" for codes without a
// keyword (-1, the preload types of wells A to C, and everything above 48).
std::string_view instructionName(Instruction code);

}  // namespace kyrvana
