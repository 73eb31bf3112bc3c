#pragma once

// Temporary files that an interrupt must not leave behind. A program
// stopped by Ctrl+C (SIGINT), SIGTERM or a closed terminal (SIGHUP) in the
// middle of writing a file removes the temporary files it registered here,
// then ends through the signal as it would have without them, so that the
// folder holds the earlier file and nothing else.
//
// The table is fixed in size and read by the signal handler with nothing
// but atomics and unlink(), which are safe there.

namespace kyrvana {

// Registers a path for removal on an interrupt; the slot to release, or -1
// when the table is full (the file is then only removed the ordinary way).
int registerInterruptCleanup(const char* path);
void releaseInterruptCleanup(int slot);

// Installs the handler for SIGINT, SIGTERM and SIGHUP, each unless the
// process ignores it (a program started with nohup keeps ignoring SIGHUP).
// For programs whose default ending on these signals should stay; a program
// that handles them itself removes its temporary files in its own shutdown.
void installInterruptCleanup();

}  // namespace kyrvana
