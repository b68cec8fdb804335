#include "TerminationSignals.h"

namespace TerminationSignals {

int Install() {
    return -1;
}

void Drain(int) {}

} // namespace TerminationSignals
