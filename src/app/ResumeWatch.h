#pragma once

#include <QObject>

#include <memory>

// Tells the main window that the machine has woken from standby, in the way
// the system announces it: logind's PrepareForSleep(false) on Linux, the power
// messages of the main window on Windows. Where the system offers no such
// notice (no system bus, no logind) the watch stays silent and the program
// runs on without it.
class ResumeWatch : public QObject {
    Q_OBJECT

public:
    explicit ResumeWatch(QObject* parent = nullptr);
    ~ResumeWatch() override;

    ResumeWatch(const ResumeWatch&) = delete;
    ResumeWatch& operator=(const ResumeWatch&) = delete;

    // mainWindow is the main window's native handle (QWidget::winId(), which
    // creates the window); only Windows looks at it. A second call while
    // hooked does nothing.
    void HookMainWindow(quintptr mainWindow);
    void UnhookMainWindow(quintptr mainWindow);

    // True while a source of resume notices is attached.
    bool IsHooked() const;

Q_SIGNALS:
    // Once per resume notice; a Windows resume may bring more than one.
    void Resumed();

private Q_SLOTS:
    void OnPrepareForSleep(bool start);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
