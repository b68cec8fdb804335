#pragma once

// Turns the OS's requests to end the process (SIGTERM, SIGINT, SIGHUP) into
// something the event loop can wait on: a descriptor that becomes readable.
// The handler itself only writes one byte, as nothing else is safe there.
namespace TerminationSignals {

// Installs the handlers once and returns the descriptor to watch, or -1 where
// the platform delivers no such signals (Windows: the session's end reaches
// the program as a window message instead).
int Install();

// Reads whatever bytes are pending, so the descriptor stops being readable.
void Drain(int fd);

} // namespace TerminationSignals
