#include "gui/app/failure_sentence.h"

namespace kyrvana::gui {

QString failureSentence(const DeviceResult& result) {
    switch (result.why()) {
        case DeviceFailure::None:
            return {};
        case DeviceFailure::NoPort:
            return QStringLiteral("No device is connected.");
        // A USB serial port that takes no more bytes, or hangs up while an
        // answer is awaited, has almost always lost its device.
        case DeviceFailure::WriteFailed:
        case DeviceFailure::PortGone:
            return QStringLiteral("The port is gone: the device was unplugged.");
        case DeviceFailure::Timeout:
            return QStringLiteral("The device did not answer.");
        case DeviceFailure::Unusable:
            return QStringLiteral("The device's answer could not be used.");
        case DeviceFailure::FileFailed:
            return QStringLiteral("A file on this computer could not be written.");
        case DeviceFailure::Cancelled:
            return QStringLiteral("Stopped before it was done.");
        case DeviceFailure::Refused:
            return QStringLiteral("Nothing was sent to the device.");
    }
    return QStringLiteral("The device work failed.");
}

}  // namespace kyrvana::gui
