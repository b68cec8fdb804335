#include "GraphicalSession.h"

namespace GraphicalSession {

// A Windows desktop session always has its window station.
bool Available(std::string&) {
    return true;
}

} // namespace GraphicalSession
