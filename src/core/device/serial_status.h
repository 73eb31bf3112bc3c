#pragma once

namespace kyrvana {

// Status of a serial-port operation. The values are bits so that callers can
// store them in one integer (`DeviceLink::lastStatus`); 1 is left for the
// failed command of the transport above.
enum SerialStatus : unsigned {
    SerialOk = 0,
    SerialOpenFailed = 2,      // opening the port or configuring its line failed
    SerialTimeoutsFailed = 3,  // the raw mode and read timing could not be set
    SerialWriteFailed = 4,
    SerialReadFailed = 16,   // the read failed: device gone, hang-up, or reads woken
    SerialReadTimeout = 32,  // fewer bytes than needed arrived within the read time-out
    SerialBufferFull = 64,   // the answer did not fit the buffer or the line limit
};

}  // namespace kyrvana
