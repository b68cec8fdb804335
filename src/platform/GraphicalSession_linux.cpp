#include "GraphicalSession.h"

#include <cstdlib>
#include <string_view>
#include <xcb/xcb.h>

namespace GraphicalSession {

namespace {
std::string_view Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}
} // namespace

bool Available(std::string& reason) {
    const std::string_view platform = Env("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.substr(0, 3) != "xcb") {
        // Offscreen, Wayland or another platform chosen on purpose: Qt
        // reports its own failures there.
        return true;
    }
    const std::string_view display = Env("DISPLAY");
    if (display.empty()) {
        if (!Env("WAYLAND_DISPLAY").empty()) {
            // No XWayland: Qt's own Wayland platform may still serve.
            return true;
        }
        reason = "no display found (DISPLAY is not set); the clock needs a graphical session";
        return false;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!ok) {
        reason = "cannot connect to the display " + std::string(display) +
                 "; the clock needs a graphical session";
    }
    return ok;
}

} // namespace GraphicalSession
