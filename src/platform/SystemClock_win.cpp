#include "SystemClock.h"

#include "ntp/SyncRun.h"

#include <windows.h>

namespace SystemClock {

namespace {
// Per window: a hung window is skipped instead of freezing the clock.
constexpr UINT kBroadcastTimeoutMs = 1000;
} // namespace

SetResult Set(const ntp::SystemTimeFields& utc) {
    if (!ntp::IsValidSystemTime(utc)) {
        return SetResult::Failed;
    }
    SYSTEMTIME st{};
    st.wYear = utc.Year;
    st.wMonth = utc.Month;
    st.wDayOfWeek = 0;
    st.wDay = utc.Day;
    st.wHour = utc.Hour;
    st.wMinute = utc.Minute;
    st.wSecond = utc.Second;
    st.wMilliseconds = utc.Milliseconds;
    // SetSystemTime enables SE_SYSTEMTIME_NAME itself for the call.
    if (::SetSystemTime(&st) != FALSE) {
        return SetResult::Done;
    }
    return GetLastError() == ERROR_PRIVILEGE_NOT_HELD ? SetResult::NotPermitted : SetResult::Failed;
}

void BroadcastTimeChange() {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs,
                        &result);
}

} // namespace SystemClock
