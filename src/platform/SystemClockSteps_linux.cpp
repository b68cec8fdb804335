#include "SystemClockSteps.h"
#include "TimerFdCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <limits>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>

namespace {

// A timer on the wall clock, set with TFD_TIMER_CANCEL_ON_SET for a time that
// never comes: its read fails with ECANCELED exactly when someone sets the
// clock (the kernel counts a resume from suspend as such too). The zone is
// the file /etc/localtime, which tools replace rather than edit, so its
// folder is watched for a new entry of that name.
class LinuxClockSteps final : public ClockStepNotifier {
public:
    LinuxClockSteps(Listener listener, const TimerFdCalls& calls, const std::string& zoneFile)
        : listener_(std::move(listener)), calls_(calls) {
        timer_ = calls_.create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
        if (timer_ >= 0 && !Arm()) {
            calls_.close(timer_);
            timer_ = -1;
        }
        WatchZone(zoneFile);
    }

    ~LinuxClockSteps() override {
        if (timer_ >= 0) {
            calls_.close(timer_);
        }
        if (zoneWatch_ >= 0) {
            ::close(zoneWatch_);
        }
    }

    LinuxClockSteps(const LinuxClockSteps&) = delete;
    LinuxClockSteps& operator=(const LinuxClockSteps&) = delete;

    std::vector<int> Descriptors() const override {
        std::vector<int> fds;
        for (const int fd : {timer_, zoneWatch_}) {
            if (fd >= 0) {
                fds.push_back(fd);
            }
        }
        return fds;
    }

    void OnReadable(int descriptor) override {
        if (descriptor < 0) {
            return;
        }
        if (descriptor == timer_) {
            OnTimer();
        } else if (descriptor == zoneWatch_) {
            OnZoneFolder();
        }
    }

private:
    bool Arm() {
        itimerspec never{};
        never.it_value.tv_sec = ClockSteps::NeverSeconds();
        return calls_.settime(timer_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never,
                              nullptr) == 0;
    }

    void OnTimer() {
        std::uint64_t expirations = 0;
        const ssize_t n = calls_.read(timer_, &expirations, sizeof expirations);
        // ECANCELED: the clock was set, and the timer stays cancelled until it
        // is armed again. An expiry: the clock was set past the time that
        // never comes. Anything else (EAGAIN) was no news.
        if (n < 0 && errno != ECANCELED) {
            return;
        }
        Arm();
        Tell(Change::ClockSet);
    }

    void WatchZone(const std::string& zoneFile) {
        const std::size_t slash = zoneFile.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string(".")
                                   : slash == 0               ? std::string("/")
                                                              : zoneFile.substr(0, slash);
        zoneName_ = slash == std::string::npos ? zoneFile : zoneFile.substr(slash + 1);
        zoneWatch_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (zoneWatch_ < 0) {
            return;
        }
        const std::uint32_t replacedOrGone =
            IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM;
        if (::inotify_add_watch(zoneWatch_, folder.c_str(), replacedOrGone) < 0) {
            ::close(zoneWatch_);
            zoneWatch_ = -1;
        }
    }

    void OnZoneFolder() {
        alignas(inotify_event) char buffer[4096];
        bool changed = false;
        ssize_t n = 0;
        while ((n = ::read(zoneWatch_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // Lost events may have named the zone's file.
                if ((event->mask & IN_Q_OVERFLOW) != 0 ||
                    (event->len > 0 && zoneName_ == event->name)) {
                    changed = true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (changed) {
            // The C library reads the zone again only when asked to.
            ::tzset();
            Tell(Change::ZoneChanged);
        }
    }

    void Tell(Change change) {
        if (listener_) {
            listener_(change);
        }
    }

    Listener listener_;
    const TimerFdCalls& calls_;
    int timer_ = -1;
    int zoneWatch_ = -1;
    std::string zoneName_;
};

} // namespace

const TimerFdCalls& RealTimerFdCalls() {
    static const TimerFdCalls calls{&::timerfd_create, &::timerfd_settime, &::read, &::close};
    return calls;
}

namespace ClockSteps {

time_t NeverSeconds() {
    // 10000-01-01 00:00:00 UTC, where time_t reaches that far.
    return static_cast<time_t>(
        std::min<long long>(253402300800LL, std::numeric_limits<time_t>::max()));
}

std::unique_ptr<ClockStepNotifier> Make(ClockStepNotifier::Listener listener,
                                        const TimerFdCalls& calls, const std::string& zoneFile) {
    return std::make_unique<LinuxClockSteps>(std::move(listener), calls, zoneFile);
}

} // namespace ClockSteps

std::unique_ptr<ClockStepNotifier> MakeSystemClockSteps(ClockStepNotifier::Listener listener) {
    return ClockSteps::Make(std::move(listener), RealTimerFdCalls(), "/etc/localtime");
}
