#include "SystemClockSteps.h"

#include <time.h>
#include <utility>
#include <windows.h>

namespace {

// A top-level window that is never shown: the system broadcasts
// WM_TIMECHANGE and WM_SETTINGCHANGE to top-level windows only, so a
// message-only window would never hear them. The program's event loop
// dispatches its messages like those of any other window of the thread.
class WindowClockSteps final : public ClockStepNotifier {
public:
    explicit WindowClockSteps(Listener listener) : listener_(std::move(listener)) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowClockSteps::Procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClockStepWindowClass;
        // A second notifier finds the class already there, which serves as well.
        ::RegisterClassExW(&windowClass);
        window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClockStepWindowClass, L"",
                                    WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    }

    ~WindowClockSteps() override {
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
        }
    }

    WindowClockSteps(const WindowClockSteps&) = delete;
    WindowClockSteps& operator=(const WindowClockSteps&) = delete;

    std::vector<int> Descriptors() const override { return {}; }
    void OnReadable(int) override {}

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self =
            reinterpret_cast<WindowClockSteps*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            if (message == WM_TIMECHANGE) {
                self->Tell(Change::ClockSet);
                return 0;
            }
            if (message == WM_SETTINGCHANGE) {
                // The C runtime reads the zone again only when asked to.
                ::_tzset();
                self->Tell(Change::ZoneChanged);
            }
            if (message == WM_NCDESTROY) {
                ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            }
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void Tell(Change change) {
        if (listener_) {
            listener_(change);
        }
    }

    Listener listener_;
    HWND window_ = nullptr;
};

} // namespace

std::unique_ptr<ClockStepNotifier> MakeSystemClockSteps(ClockStepNotifier::Listener listener) {
    return std::make_unique<WindowClockSteps>(std::move(listener));
}
