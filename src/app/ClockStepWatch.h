#pragma once

#include "datetime/ClockStepNotifier.h"

#include <memory>
#include <vector>

class QSocketNotifier;

// Puts a clock-step notifier's descriptors into the event loop: the notifier
// reads one when the loop finds it readable, and tells its listener.
class ClockStepWatch {
public:
    explicit ClockStepWatch(std::unique_ptr<ClockStepNotifier> notifier);
    ~ClockStepWatch();
    ClockStepWatch(const ClockStepWatch&) = delete;
    ClockStepWatch& operator=(const ClockStepWatch&) = delete;

private:
    std::unique_ptr<ClockStepNotifier> notifier_;
    // Declared after the notifier, so they stop watching before it closes
    // what they watch.
    std::vector<std::unique_ptr<QSocketNotifier>> readers_;
};
