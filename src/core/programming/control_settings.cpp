#include "core/programming/control_settings.h"

#include "core/common/saturating_cast.h"
#include "core/device/device_link.h"
#include "core/programming/speed_class.h"

namespace kyrvana {
namespace {

constexpr double kLoadLimitPerFullScale = 3.0;

}  // namespace

std::array<unsigned, kControlSettingsPerWell> controlSettingValues(float fullScaleLoad,
                                                                   std::uint32_t velocityCode,
                                                                   int speedClass) {
    return {
        1u,
        saturatingCast<unsigned>(static_cast<double>(fullScaleLoad) * kLoadLimitPerFullScale),
        4u,
        velocityCode,
        100u,
        10u,
        static_cast<unsigned>(speedClass),
    };
}

DeviceResult writeControlSettings(DeviceLink& link, const DeviceSetTable& table,
                                  std::uint32_t velocityCode) {
    const int sequenceSpeedClass = speedClass(table);
    DeviceResult first;
    for (unsigned well = 0; well < static_cast<unsigned>(kWellCount); ++well) {
        const auto values =
            controlSettingValues(link.fullScaleLoad[well], velocityCode, sequenceSpeedClass);
        for (unsigned index = 0; index < kControlSettingsPerWell; ++index) {
            first.keepFirstFailure(link.SetEepromControlSettingsData(well, index, values[index]));
        }
    }
    return first;
}

}  // namespace kyrvana
