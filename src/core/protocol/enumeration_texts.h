#pragma once

// The words of the set codes: what a protocol file may say (parse) and what
// the program writes and shows (format). Parsing gives Unknown (-1) for a
// text it does not know; formatting gives a fixed invalid text for a code it
// does not know, which is then what appears in a saved file or on screen.

#include <string_view>

#include "core/protocol/enumerations.h"

namespace kyrvana {

// "DISP", "FORCE", ignoring case.
ControlMode parseControlMode(std::string_view text);
std::string_view formatControlMode(ControlMode code);

// "STEP", "RAMP", "STRAIN", "CUSTOM", "SINUSOID", ignoring case.
FunctionType parseFunctionType(std::string_view text);
std::string_view formatFunctionType(FunctionType code);

// Unit symbols compared byte for byte: "um" is a unit, "UM" is not.
UnitsCode parseUnits(std::string_view text);
std::string_view formatUnits(UnitsCode code);

// "NONE", "FIRST", "EVERY", ignoring case.
PreloadType parsePreloadType(std::string_view text);
std::string_view formatPreloadType(PreloadType code);

// "SECONDS" ... "DSECONDS", ignoring case.
TimeUnits parseTimeUnits(std::string_view text);
std::string_view formatTimeUnits(TimeUnits code);
// The short letter shown after a duration: "S", "m", "h", "d", "mS", "dS".
std::string_view timeUnitsLetter(TimeUnits code);
// Milliseconds in one unit of `code`; 1 (milliseconds) for an unknown unit,
// so an unknown unit shows and converts durations unchanged.
double millisecondsPerTimeUnit(TimeUnits code);

// Compared byte for byte; "Max" is an older word for "All". Code 2 is written
// "All(64) " with a trailing blank.
DataType parseDataType(std::string_view text);
std::string_view formatDataType(DataType code);

}  // namespace kyrvana
