#include "TopMost.h"

#include <QWidget>
#include <QWindow>

void SetTopMost(QWidget* window, bool on) {
    if (window == nullptr) {
        return;
    }
    QWindow* handle = window->windowHandle();
    if (handle == nullptr) {
        // Not created yet: the flag is simply part of the window to come.
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        return;
    }
    // Changing the flag through the QWidget would re-create a visible window
    // (it hides and shows again); the QWindow changes only the stacking state.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window->overrideWindowFlags(flags);
    handle->setFlag(Qt::WindowStaysOnTopHint, on);
    if (window->isVisible()) {
        window->raise();
    }
}

void ReassertTopMost(QWidget* window, const SettingsRecord& settings) {
    if (settings.TopMost) {
        SetTopMost(window, true);
    }
}
