#include "SystemClock.h"
#include "Win32Conversions.h"

#include "datetime/LocalDateTime.h"
#include "ntp/SyncRun.h"

namespace SystemClock {

namespace {
// Per window: a hung window is skipped instead of freezing the clock.
constexpr UINT kBroadcastTimeoutMs = 1000;
} // namespace

bool ToSystemTime(const ntp::SystemTimeFields& utc, SYSTEMTIME& out) {
    if (!ntp::IsValidSystemTime(utc)) {
        return false;
    }
    out = SYSTEMTIME{};
    out.wYear = utc.Year;
    out.wMonth = utc.Month;
    out.wDayOfWeek = static_cast<WORD>(DateMath::Weekday(utc.Year, utc.Month, utc.Day));
    out.wDay = utc.Day;
    out.wHour = utc.Hour;
    out.wMinute = utc.Minute;
    out.wSecond = utc.Second;
    out.wMilliseconds = utc.Milliseconds;
    return true;
}

SetResult Set(const ntp::SystemTimeFields& utc) {
    SYSTEMTIME st{};
    if (!ToSystemTime(utc, st)) {
        return SetResult::Failed;
    }
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
