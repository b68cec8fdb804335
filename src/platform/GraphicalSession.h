#pragma once

#include <string>

namespace GraphicalSession {

// Whether the window program can open its window here. When it cannot,
// `reason` gets one line for the user. Asked before Qt starts, because Qt
// aborts the process when its platform cannot connect.
bool Available(std::string& reason);

} // namespace GraphicalSession
