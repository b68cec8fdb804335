#include "ntp/ResumeWatchHook.h"

#include <utility>

bool IsResumeMessage(std::uint32_t message, std::uintptr_t wParam) {
    using namespace PowerMessage;
    switch (message) {
    case kPower:
        return wParam == kPwrSuspendResume || wParam == kPwrCriticalResume;
    case kPowerBroadcast:
        return wParam == kPbtApmResumeCritical || wParam == kPbtApmResumeSuspend ||
               wParam == kPbtApmResumeAutomatic;
    default:
        return false;
    }
}

MainWindowHook::MainWindowHook(std::function<void()> onResume) : onResume_(std::move(onResume)) {}

void MainWindowHook::Examine(std::uint32_t message, std::uintptr_t wParam) {
    if (busy_) {
        return;
    }
    busy_ = true;
    // Cleared on every way out, so a throwing handler cannot leave the hook deaf.
    struct ClearBusy {
        bool& flag;
        ~ClearBusy() { flag = false; }
    } clear{busy_};
    if (IsResumeMessage(message, wParam) && onResume_) {
        onResume_();
    }
}
