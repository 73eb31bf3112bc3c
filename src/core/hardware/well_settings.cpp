#include "core/hardware/well_settings.h"

#include <algorithm>

namespace kyrvana {

std::uint8_t disabledWellsMask(const std::array<bool, DisabledWells::kWells>& disabled) {
    unsigned mask = 0;
    for (int well = 0; well < DisabledWells::kWells; ++well) {
        if (disabled[static_cast<std::size_t>(well)]) {
            mask |= 1U << well;
        }
    }
    return static_cast<std::uint8_t>(mask);
}

bool allWellsDisabled(const std::array<bool, DisabledWells::kWells>& disabled) {
    return std::all_of(disabled.begin(), disabled.end(), [](bool checked) { return checked; });
}

bool applyDisabledWells(const std::array<bool, DisabledWells::kWells>& disabled,
                        DisabledWells& target) {
    if (allWellsDisabled(disabled)) {
        return false;
    }
    for (std::size_t well = 0; well < disabled.size(); ++well) {
        target.flags[well] = disabled[well] ? 1 : 0;
    }
    target.mask = disabledWellsMask(disabled);
    return true;
}

std::array<bool, DisabledWells::kWells> disabledWellChecks(const DisabledWells& wells) {
    std::array<bool, DisabledWells::kWells> checks{};
    for (std::size_t well = 0; well < checks.size(); ++well) {
        checks[well] = wells.flags[well] != 0;
    }
    return checks;
}

}  // namespace kyrvana
