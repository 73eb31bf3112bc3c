#pragma once

// The columns of a protocol file's set rows: how one value is read into a set
// and written from it.

#include <string>
#include <string_view>

#include "core/protocol/instruction.h"
#include "core/protocol/set_record.h"

namespace kyrvana {

// A name in a file is one token: each blank is kept as "[_]".
std::string nameFromFileToken(std::string_view token);
std::string fileTokenFromName(std::string_view name);

// Stores one value token in the field of a column. Columns without a field
// (Unknown, the preload types of wells A to C, codes above 48) change nothing.
// Numbers out of range for their field saturate. Returns false when the token
// is not a value of the column (a word the vocabulary does not know, no
// number at its start); the field then holds what the C conversions give for
// it (-1 for a word, 0 for a number), exactly as when the result is ignored.
bool applyColumnValue(SetRecord& set, Instruction column, std::string_view token);

// The value written for a column: enumerations as their output texts, floats
// in the stream's default form (6 significant digits), integers in decimal.
std::string formatColumnValue(const SetRecord& set, Instruction column);

}  // namespace kyrvana
