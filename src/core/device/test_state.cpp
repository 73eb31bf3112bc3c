#include "core/device/test_state.h"

#include "core/device/device_link.h"

namespace kyrvana {

bool deviceTestInProgress(DeviceLink& link) {
    int state = 0;
    return link.QueryTestState(state) && isTestInProgress(state);
}

}  // namespace kyrvana
