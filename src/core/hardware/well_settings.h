#pragma once

#include <array>
#include <cstdint>

namespace kyrvana {

// Which wells the stimulator leaves alone: a disabled well does not move
// during homing or a test. The document keeps one flag byte per well (wells
// 1 to 6 at index 0 to 5) and the mask that programming sends to the device,
// in which bit n-1 is set when well n is disabled (bits 6 and 7 stay 0).
struct DisabledWells {
    static constexpr int kWells = 6;

    std::array<std::uint8_t, kWells> flags{};  // 1 disabled, 0 in use
    std::uint8_t mask = 0;
};

// Shown when the user tries to disable every well: a test needs one well.
inline constexpr const char* kAllWellsDisabledMessage = "All wells cannot be disabled.";

// The device mask for the given checked wells.
std::uint8_t disabledWellsMask(const std::array<bool, DisabledWells::kWells>& disabled);

// True when all six wells are checked, which the program refuses.
bool allWellsDisabled(const std::array<bool, DisabledWells::kWells>& disabled);

// The checked wells as the document stores them; false (and `target`
// untouched) when all six are checked.
bool applyDisabledWells(const std::array<bool, DisabledWells::kWells>& disabled,
                        DisabledWells& target);

// The flags as check-box states (any non-zero byte counts as disabled).
std::array<bool, DisabledWells::kWells> disabledWellChecks(const DisabledWells& wells);

}  // namespace kyrvana
