#pragma once

#include <memory>
#include <string>

namespace GraphicalSession {

struct Disconnect {
    void operator()(void* connection) const;
};
// A connection of the program's own to the display, open while it lives.
using Connection = std::unique_ptr<void, Disconnect>;

// Whether the window program can open its window here. When it cannot,
// `reason` gets one line for the user. Asked before Qt starts, because Qt
// aborts the process when its platform cannot connect. A display that
// refuses is asked again for a moment: an X server resets when its last
// client leaves and refuses everyone meanwhile. The connection comes back
// open, to be dropped only once Qt has its own, so that leaving does not
// make this program's probe the last client of a server about to reset.
bool Available(std::string& reason, Connection& connection);

// The line for the user when the display that answered the probe refuses Qt.
std::string Unreachable();

} // namespace GraphicalSession
