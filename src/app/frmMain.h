#pragma once

#include "app/LocalDateTime.h"
#include "app/SettingsRecord.h"
#include "display/modClock.h"

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <string>

class QTimer;
struct PixelImage;

// The clock-face picture box: keeps its pixels between frames and shows only
// the rectangles a frame copied. Mouse events are left to the window.
class FacePicture : public QWidget {
    Q_OBJECT
public:
    explicit FacePicture(QWidget* parent);

    void Load(const PixelImage& picture);
    // Plain copy out of the strip; the rectangle is clipped to both pictures.
    void CopyGlyph(int x, int y, int w, int h, const QImage& strip, int srcX, int srcY);
    // Asks for the copied rectangles to be shown; nothing else is repainted.
    void Present();

    const QImage& Image() const { return image_; }

    // Called at the start of a paint that was not asked for by Present (an
    // expose, a resize): the window redraws the whole face there.
    std::function<void()> onExternalPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    QRegion dirty_;
    QRegion requested_;
};

class frmMain : public QWidget {
    Q_OBJECT
public:
    // What the window asks of the rest of the program, so tests can watch it.
    struct Actions {
        // Hands the move to the window system; false when it refuses.
        std::function<bool()> startSystemMove;
        std::function<void(const QPoint& globalPos)> showPopupMenu;
        std::function<void()> exitApplication;
    };

    explicit frmMain(SettingsRecord& settings, QWidget* parent = nullptr);
    ~frmMain() override;

    void SetActions(Actions actions);
    void SetLocalClock(std::function<LocalDateTime()> clock);
    void SetDateFormatter(
        std::function<std::string(const LocalDateTime&, const std::string& pattern)> formatter);

    // Puts the body picture into picBody and sizes the window to it.
    void LoadBodyPicture();

    void DrawClockFace(bool force);

    // The redraw timer's shortest period; 0 stops it (the face then changes
    // only on paint and on the blink toggle).
    void SetDrawInterval(int milliseconds);
    const modClock::FaceState& Face() const { return face_; }

    // The tmrDate tick.
    void RefreshDateTip();

    // The designed controls. Owned through Qt parenthood.
    FacePicture* picBody = nullptr;
    QTimer* tmrClockDraw = nullptr;
    QTimer* tmrDate = nullptr;
    QTimer* tmrNTPatRun = nullptr;
    QTimer* tmrNTPbyTimer = nullptr;
    QTimer* tmrExit = nullptr;

    // Reads the local time from the OS, milliseconds included.
    static LocalDateTime SystemLocalTime();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Compose(bool force);
    void OnClockDrawTick();
    void OnExitTick();

    SettingsRecord& settings_;
    Actions actions_;
    std::function<LocalDateTime()> localClock_;
    std::function<std::string(const LocalDateTime&, const std::string&)> dateFormatter_;
    modClock::FaceState face_;
    LocalDateTime lastNow_;
    int drawInterval_ = 75;
    QImage strip_;

    // Set when the window system would not move the window: the window then
    // follows the pointer itself while the left button alone stays down.
    bool following_ = false;
    QPoint grabOffset_;
};
