#pragma once

#include <functional>
#include <vector>

// Tells the program when the wall clock was set (forwards or back, by any
// amount, by anyone) or the time zone changed, so that an idle clock can
// sleep until its face changes instead of looking at the time every second
// to notice. The system announces these itself: a timer on the wall clock
// that is cancelled when the clock is set, and a watch on the zone's file, on
// Linux; window messages on Windows.
class ClockStepNotifier {
public:
    enum class Change { ClockSet, ZoneChanged };
    using Listener = std::function<void(Change)>;

    virtual ~ClockStepNotifier() = default;

    // What the event loop must watch for reading where the system announces
    // by descriptors (Linux). Empty where the announcements are window
    // messages, which the event loop delivers by itself (Windows).
    virtual std::vector<int> Descriptors() const = 0;

    // One of Descriptors() became readable: takes in what it says and tells
    // the listener when the clock or the zone changed.
    virtual void OnReadable(int descriptor) = 0;
};
