#pragma once

#include "datetime/LocalDateTime.h"
#include "face/ClockFace.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsStore.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class FacePicture;
class QTimer;

// The borderless clock window: the face, the mouse, the date tooltip and the
// face's own wake-ups. What the mouse asks for is announced; the program
// decides what it means.
class ClockWindow : public QWidget {
    Q_OBJECT
public:
    explicit ClockWindow(SettingsRecord& settings, QWidget* parent = nullptr);
    ~ClockWindow() override;

    void SetLocalClock(std::function<LocalDateTime()> clock);
    // Milliseconds of a clock that is never set (the timers' own); it spaces
    // the minute ticks whatever the wall clock does.
    void SetSteadyClock(std::function<std::int64_t()> clock);
    void SetDateFormatter(
        std::function<std::string(const LocalDateTime&, const std::string& pattern)> formatter);

    // Puts the body picture into the face and sizes the window to it.
    void LoadBodyPicture();

    // One frame, and the plan of the next wake-ups. Whatever changes a
    // setting the face shows calls it with force on, so the change shows at
    // once.
    void DrawClockFace(bool force);

    // After the options were applied: the top-most band and the face at once,
    // not at its next tick.
    void ApplySettings();

    // The redraw timer's shortest period; 0 stops it (the face then changes
    // only on paint and on the blink toggle).
    void SetDrawInterval(int milliseconds);
    const ClockFace::FaceState& Face() const { return face_; }

    // The system clock was set or the zone changed: the face follows at once
    // and the wake-ups are planned afresh.
    void ClockChanged();

    // Where the window stands, for the settings' position ratios.
    SettingsStore::WindowPosition Position() const;

    // Top-left corner for the position ratios on a screen of the given size. Not
    // clamped to the screen, only kept within what a window position can hold.
    static QPoint PlacementFor(double xRatio, double yRatio, const QSize& screen);
    static QSize PrimaryScreenSize();

Q_SIGNALS:
    // A right click on the clock, or the Menu key or Shift+F10 while it has
    // the focus; the menu opens with its left edge there.
    void menuRequested(const QPoint& globalPos);
    // The double-click when set, or the window system's close.
    void exitRequested();
    // Once a minute, in the face's minute wake-up, so the countdown adds no
    // wake-up of its own.
    void minuteTicked();

protected:
    // Hands the move to the window system; false when it refuses.
    virtual bool StartSystemMove();

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The window follows its face's size on the screen it is on now.
    void FitFaceToScreen();
    void Compose(bool force);
    void PlanWakeUps(const LocalDateTime& now);
    QString DateTipText() const;
    void UpdateDateTip();
    void OnMinuteTick();

    SettingsRecord& settings_;
    std::function<LocalDateTime()> localClock_;
    std::function<std::int64_t()> steadyClock_;
    std::int64_t lastMinuteTick_ = 0;
    std::function<std::string(const LocalDateTime&, const std::string&)> dateFormatter_;
    ClockFace::FaceState face_;
    LocalDateTime lastNow_;
    int drawInterval_ = 75;

    // Owned through Qt parenthood.
    FacePicture* picBody_ = nullptr;
    QTimer* tmrClockDraw_ = nullptr;
    QTimer* tmrNTPbyTimer_ = nullptr;

    // Set when the window system would not move the window: the window then
    // follows the pointer itself while the left button alone stays down.
    bool following_ = false;
    QPoint grabOffset_;
};
