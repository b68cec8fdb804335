#include "GraphicalSession.h"

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <xcb/xcb.h>

namespace GraphicalSession {

namespace {

std::string_view Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

// A server resets in a few milliseconds; a display that still refuses after
// more than a second is not coming back.
xcb_connection_t* Connect() {
    std::chrono::milliseconds pause(10);
    for (int attempt = 0;; ++attempt) {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        // Only a refused or broken connection may heal; a DISPLAY that names
        // no screen or cannot be read never will.
        if (xcb_connection_has_error(connection) != XCB_CONN_ERROR || attempt == 7) {
            return connection;
        }
        xcb_disconnect(connection);
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
}

} // namespace

void Disconnect::operator()(void* connection) const {
    xcb_disconnect(static_cast<xcb_connection_t*>(connection));
}

bool Available(std::string& reason, Connection& connection) {
    const std::string_view platform = Env("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.substr(0, 3) != "xcb") {
        // Offscreen, Wayland or another platform chosen on purpose: Qt
        // reports its own failures there.
        return true;
    }
    if (Env("DISPLAY").empty()) {
        if (!Env("WAYLAND_DISPLAY").empty()) {
            // No XWayland: Qt's own Wayland platform may still serve.
            return true;
        }
        reason = "no display found (DISPLAY is not set); the clock needs a graphical session";
        return false;
    }
    connection.reset(Connect());
    if (xcb_connection_has_error(static_cast<xcb_connection_t*>(connection.get())) != 0) {
        connection.reset();
        reason = Unreachable();
        return false;
    }
    return true;
}

std::string Unreachable() {
    return "cannot connect to the display " + std::string(Env("DISPLAY")) +
           "; the clock needs a graphical session";
}

} // namespace GraphicalSession
