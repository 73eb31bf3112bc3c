#pragma once

// How long the program waits for the stimulator, in one place: the document,
// the command-line tool and the device link start from these values, and
// tests shorten the ones they are given as options.

#include <chrono>

namespace kyrvana::timing {

// Each byte of an answer may take this long; a device that sends nothing for
// longer has not answered.
inline constexpr int kReadTimeoutMs = 20000;
// After its port opens the stimulator needs this long before it answers.
inline constexpr std::chrono::milliseconds kSettleDelay{2000};
// Getting back into step after a failed or unusable answer: what still
// arrives is read and thrown away until the line has been quiet this long (a
// device answers a command at once and in one stretch, so a fifth of a
// second of silence means it has finished), but no longer than the limit for
// a device that never stops talking.
inline constexpr std::chrono::milliseconds kResyncQuiet{200};
inline constexpr std::chrono::milliseconds kResyncLimit{600};
// The pause between the ten readings averaged into one load-cell sample.
inline constexpr std::chrono::milliseconds kLoadCellSamplePacing{10};
// How often the motor state is asked while waiting for the motors to stop.
inline constexpr std::chrono::milliseconds kMotorPollPacing{100};
// How often the request thread checks whether the device is present.
inline constexpr std::chrono::milliseconds kPresencePollInterval{1000};

}  // namespace kyrvana::timing
