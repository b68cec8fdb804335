#include "app/frmMain.h"

#include "app/RedrawSchedule.h"
#include "display/Assets.h"
#include "display/PixelImage.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstring>

namespace {

QImage ToImage(const PixelImage& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            row[x] = 0xff000000u | picture.At(x, y);
        }
    }
    return image;
}

} // namespace

FacePicture::FacePicture(QWidget* parent) : QWidget(parent) {
    // Every pixel is ours; nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void FacePicture::Load(const PixelImage& picture) {
    image_ = ToImage(picture);
    setFixedSize(image_.size());
    dirty_ = QRegion(image_.rect());
}

void FacePicture::CopyGlyph(int x, int y, int w, int h, const QImage& strip, int srcX, int srcY) {
    // Clip against both pictures while keeping source and destination paired.
    if (x < 0) {
        w += x;
        srcX -= x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        srcY -= y;
        y = 0;
    }
    if (srcX < 0) {
        w += srcX;
        x -= srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        h += srcY;
        y -= srcY;
        srcY = 0;
    }
    w = std::min({w, image_.width() - x, strip.width() - srcX});
    h = std::min({h, image_.height() - y, strip.height() - srcY});
    if (w <= 0 || h <= 0) {
        return;
    }
    // A cell that already shows these pixels (the steady colon, a forced
    // redraw of unchanged digits) needs no repaint: presenting costs far more
    // than comparing.
    const std::size_t bytes = static_cast<std::size_t>(w) * sizeof(QRgb);
    bool changed = false;
    for (int row = 0; row < h; ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(strip.constScanLine(srcY + row)) + srcX;
        auto* to = reinterpret_cast<QRgb*>(image_.scanLine(y + row)) + x;
        if (std::memcmp(to, from, bytes) != 0) {
            std::memcpy(to, from, bytes);
            changed = true;
        }
    }
    if (changed) {
        dirty_ += QRect(x, y, w, h);
    }
}

void FacePicture::Present() {
    if (dirty_.isEmpty()) {
        return;
    }
    requested_ += dirty_;
    update(dirty_);
    dirty_ = QRegion();
}

void FacePicture::paintEvent(QPaintEvent* event) {
    const bool external = !(event->region() - requested_).isEmpty();
    requested_ = QRegion();
    if (external && onExternalPaint) {
        onExternalPaint();
    }
    // Whatever the redraw copied is painted now, so it needs no second paint.
    dirty_ = QRegion();
    QPainter painter(this);
    for (const QRect& r : event->region()) {
        painter.drawImage(r.topLeft(), image_, r);
    }
}

frmMain::frmMain(SettingsRecord& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), settings_(settings),
      localClock_(&frmMain::SystemLocalTime), strip_(ToImage(GlyphStrip())) {
    setWindowTitle(QStringLiteral("Morvatel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The clock is rarely the active window, and its date is wanted anyway.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    picBody = new FacePicture(this);
    picBody->move(0, 0);
    picBody->onExternalPaint = [this] { Compose(true); };

    // Re-armed at every tick for the next moment the face can change; precise,
    // so a colon edge or a new minute is not shown late.
    tmrClockDraw = new QTimer(this);
    tmrClockDraw->setInterval(drawInterval_);
    tmrClockDraw->setSingleShot(true);
    tmrClockDraw->setTimerType(Qt::PreciseTimer);
    connect(tmrClockDraw, &QTimer::timeout, this, &frmMain::OnClockDrawTick);
    tmrClockDraw->start();

    // Coarse timers wake on whole seconds together with the face's own
    // recheck, so an idle clock wakes about once a second, not twice.
    tmrDate = new QTimer(this);
    tmrDate->setInterval(2000);
    tmrDate->setTimerType(Qt::VeryCoarseTimer);
    connect(tmrDate, &QTimer::timeout, this, &frmMain::RefreshDateTip);
    tmrDate->start();

    // Its tick belongs to the synchronisation triggers, which arm it.
    tmrNTPatRun = new QTimer(this);
    tmrNTPatRun->setInterval(60000);

    // Its tick belongs to the synchronisation triggers (the countdown).
    tmrNTPbyTimer = new QTimer(this);
    tmrNTPbyTimer->setInterval(60000);
    tmrNTPbyTimer->setTimerType(Qt::VeryCoarseTimer);
    tmrNTPbyTimer->start();

    // Lets the menu close before the program goes away.
    tmrExit = new QTimer(this);
    tmrExit->setInterval(100);
    tmrExit->setSingleShot(true);
    connect(tmrExit, &QTimer::timeout, this, &frmMain::OnExitTick);
}

frmMain::~frmMain() = default;

void frmMain::SetActions(Actions actions) {
    actions_ = std::move(actions);
}

void frmMain::SetLocalClock(std::function<LocalDateTime()> clock) {
    localClock_ = std::move(clock);
}

void frmMain::SetDateFormatter(
    std::function<std::string(const LocalDateTime&, const std::string&)> formatter) {
    dateFormatter_ = std::move(formatter);
}

void frmMain::LoadBodyPicture() {
    picBody->Load(BodyPicture());
    setFixedSize(picBody->size());
}

LocalDateTime frmMain::SystemLocalTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return LocalDateTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
}

void frmMain::SetDrawInterval(int milliseconds) {
    drawInterval_ = milliseconds;
    if (milliseconds <= 0) {
        tmrClockDraw->stop();
        return;
    }
    tmrClockDraw->start(milliseconds);
}

void frmMain::OnClockDrawTick() {
    DrawClockFace(false);
}

void frmMain::Compose(bool force) {
    lastNow_ = localClock_();
    modClock::DrawClockFace(force, lastNow_, settings_, face_,
                            [this](int x, int y, int w, int h, int srcX, int srcY) {
                                picBody->CopyGlyph(x, y, w, h, strip_, srcX, srcY);
                            });
}

void frmMain::DrawClockFace(bool force) {
    Compose(force);
    picBody->Present();
    // Every frame, not only the timer's, decides the next wake-up: a colon
    // that just started blinking must not wait for a wake-up planned without.
    if (drawInterval_ > 0) {
        tmrClockDraw->setTimerType(RedrawSchedule::MayCoalesce(lastNow_, settings_, drawInterval_)
                                       ? Qt::VeryCoarseTimer
                                       : Qt::PreciseTimer);
        tmrClockDraw->start(RedrawSchedule::NextDelay(lastNow_, settings_, drawInterval_));
    }
}

void frmMain::RefreshDateTip() {
    if (!dateFormatter_) {
        return;
    }
    const QString text =
        QString::fromStdString(dateFormatter_(face_.DisplayedTime, settings_.DateFormat));
    // Reassigning an unchanged text would disturb a tooltip the user is reading.
    if (text != picBody->toolTip()) {
        picBody->setToolTip(text);
    }
}

void frmMain::OnExitTick() {
    tmrExit->stop();
    if (actions_.exitApplication) {
        actions_.exitApplication();
    }
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    // Only remembered, for the case where the window must follow the pointer
    // itself: a press alone never moves the window.
    if (event->button() == Qt::LeftButton) {
        grabOffset_ = event->position().toPoint();
    }
    following_ = false;
}

void frmMain::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::LeftButton) {
        following_ = false;
        return;
    }
    if (following_) {
        move(event->globalPosition().toPoint() - grabOffset_);
        return;
    }
    const bool handedOver = actions_.startSystemMove
                                ? actions_.startSystemMove()
                                : (windowHandle() != nullptr && windowHandle()->startSystemMove());
    if (!handedOver) {
        following_ = true;
        move(event->globalPosition().toPoint() - grabOffset_);
    }
}

void frmMain::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        following_ = false;
    }
    if (event->button() == Qt::RightButton && actions_.showPopupMenu) {
        actions_.showPopupMenu(event->globalPosition().toPoint());
    }
}

void frmMain::mouseDoubleClickEvent(QMouseEvent* event) {
    // The double-click of the left button, as on every desktop.
    if (event->button() == Qt::LeftButton && settings_.EXITbyDblClick && actions_.exitApplication) {
        actions_.exitApplication();
        return;
    }
    mousePressEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // A close from the window system (its close command, the end of the
    // session) ends the program the orderly way, so the settings are saved and
    // no hidden form keeps the process alive.
    if (actions_.exitApplication) {
        event->ignore();
        actions_.exitApplication();
        return;
    }
    QWidget::closeEvent(event);
}
