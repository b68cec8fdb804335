#include "GraphicalSession.h"

namespace GraphicalSession {

void Disconnect::operator()(void*) const {}

// A Windows desktop session always has its window station.
bool Available(std::string&, Connection&) {
    return true;
}

std::string Unreachable() {
    return "cannot open the clock window; the clock needs a graphical session";
}

} // namespace GraphicalSession
