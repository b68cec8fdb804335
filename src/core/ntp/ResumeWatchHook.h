#pragma once

#include <cstdint>
#include <functional>

// Window messages that announce a resume from standby. The values are the
// window system's own, spelt out so that the logic stays testable anywhere. Not
// named as in the system headers, whose macros would swallow these names.
namespace PowerMessage {
inline constexpr std::uint32_t kPower = 0x48;
inline constexpr std::uint32_t kPowerBroadcast = 0x218;
inline constexpr std::uintptr_t kPwrSuspendResume = 2;
inline constexpr std::uintptr_t kPwrCriticalResume = 3;
inline constexpr std::uintptr_t kPbtApmSuspend = 4;
inline constexpr std::uintptr_t kPbtApmResumeCritical = 6;
inline constexpr std::uintptr_t kPbtApmResumeSuspend = 7;
inline constexpr std::uintptr_t kPbtApmResumeAutomatic = 18;
} // namespace PowerMessage

bool IsResumeMessage(std::uint32_t message, std::uintptr_t wParam);

// Looks at every message of the main window and never consumes one. One
// resume usually brings several of the messages; each counts, and the arming
// they cause restarts the same wait, so one run follows the last of them.
class MainWindowHook {
public:
    explicit MainWindowHook(std::function<void()> onResume);

    // A message sent to the window while an earlier one is still being
    // examined (the arming dispatches nothing today, but a handler might) is
    // let through unexamined rather than counted twice.
    void Examine(std::uint32_t message, std::uintptr_t wParam);

    bool Busy() const { return busy_; }

private:
    std::function<void()> onResume_;
    bool busy_ = false;
};
