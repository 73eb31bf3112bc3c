#pragma once

// The codes of a set's fields. On the device and in the files each is a signed
// 32-bit integer. They are open enumerations: -1 (Unknown) is what a text that
// did not parse leaves in the field, and any other value that arrives from a
// file or the device is kept as it is, so that it can be shown and written back
// as the matching invalid text instead of being lost.

#include <cstdint>
#include <type_traits>

namespace kyrvana {

enum class ControlMode : std::int32_t { Unknown = -1, Displacement = 0, Force = 1 };

// The waveform of the load phase.
enum class FunctionType : std::int32_t {
    Unknown = -1,
    Ramp = 0,
    Strain = 1,
    Custom = 2,
    Step = 3,
    Sinusoid = 4,
};

// The unit of a set's magnitudes.
enum class UnitsCode : std::int32_t {
    Unknown = -1,
    Percent = 0,
    Micrometres = 1,
    Millinewtons = 2,
    Micronewtons = 3,
    Millimetres = 4,
    Newtons = 5,
};

// When the actuator first presses to the preload force.
enum class PreloadType : std::int32_t {
    Unknown = -1,
    None = 0,
    FirstRepetition = 1,
    EveryRepetition = 2,
};

// The unit in which a set's durations are shown; the durations themselves are
// always kept in milliseconds.
enum class TimeUnits : std::int32_t {
    Unknown = -1,
    Seconds = 0,
    Minutes = 1,
    Hours = 2,
    Days = 3,
    Milliseconds = 4,
    Deciseconds = 5,
};

// The rate at which the device records data during a set.
enum class DataFrequency : std::int32_t {
    Unknown = -1,
    Hz100 = 0,
    Hz10 = 1,
    Hz1 = 2,
    Hz0_1 = 3,
    Hz0_01 = 4,
    Hz0_001 = 5,
    None = 6,
};

// Images per second.
enum class ImageFrequency : std::int32_t {
    Unknown = -1,
    PerSecond60 = 0,
    PerSecond30 = 1,
    PerSecond15 = 2,
    PerSecond5 = 3,
    PerSecond1 = 4,
    PerSecond0_1 = 5,
    PerSecond0_01 = 6,
    PerSecond0_001 = 7,
    Off = 8,
};

// Which samples of a cycle the device keeps.
enum class DataType : std::int32_t {
    Unknown = -1,
    Peaks = 0,
    None = 1,
    All64 = 2,
    All = 3,
};

// The integer code of an enumeration value, as the device and the files use it.
template <typename Enum>
requires std::is_enum_v<Enum>
constexpr std::int32_t codeOf(Enum value) {
    return static_cast<std::int32_t>(value);
}

}  // namespace kyrvana
