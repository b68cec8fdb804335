#include "ClockWindow.h"

#include "FacePicture.h"
#include "SystemTime.h"
#include "TopMost.h"
#include "face/Assets.h"
#include "face/Blit.h"
#include "face/RedrawSchedule.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

ClockWindow::ClockWindow(SettingsRecord& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), settings_(settings),
      localClock_(&SystemLocalTime), steadyClock_(&SteadyMilliseconds) {
    setWindowTitle(QStringLiteral("Morvatel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The clock is rarely the active window, and its date is wanted anyway.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // Keyboard users reach the menu from the clock itself (Menu, Shift+F10),
    // so it must be able to hold the focus.
    setFocusPolicy(Qt::StrongFocus);

    picBody_ = new FacePicture(this);
    picBody_->setObjectName(QStringLiteral("picBody"));
    picBody_->move(0, 0);
    connect(picBody_, &FacePicture::externalPaint, this, [this] { Compose(true); });
    picBody_->spokenTime = [this] {
        const LocalDateTime& shown = face_.DisplayedTime;
        return QString::fromStdString(
            ClockFace::SpokenTime(shown.hour, shown.minute, settings_.TimeFormat));
    };
    picBody_->spokenDate = [this] { return DateTipText(); };
    // The focus rests on the face, so a screen reader that follows it reads
    // the time; keys the face leaves alone still reach the window.
    picBody_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(picBody_);

    // Re-armed at every frame for the next moment the face can change;
    // precise, so a colon edge or a new minute is not shown late.
    tmrClockDraw_ = new QTimer(this);
    tmrClockDraw_->setObjectName(QStringLiteral("tmrClockDraw"));
    tmrClockDraw_->setInterval(drawInterval_);
    tmrClockDraw_->setSingleShot(true);
    tmrClockDraw_->setTimerType(Qt::PreciseTimer);
    connect(tmrClockDraw_, &QTimer::timeout, this, [this] { DrawClockFace(false); });

    // The date tooltip is made when it is about to show, so it needs no timer.
    picBody_->installEventFilter(this);

    // The countdown's minute. Armed with every frame for the face's next
    // minute, so that it ticks in the face's minute wake-up rather than
    // waking the program by itself.
    tmrNTPbyTimer_ = new QTimer(this);
    tmrNTPbyTimer_->setObjectName(QStringLiteral("tmrNTPbyTimer"));
    tmrNTPbyTimer_->setInterval(60000);
    tmrNTPbyTimer_->setSingleShot(true);
    tmrNTPbyTimer_->setTimerType(Qt::PreciseTimer);
    connect(tmrNTPbyTimer_, &QTimer::timeout, this, &ClockWindow::OnMinuteTick);
    lastMinuteTick_ = steadyClock_();
}

ClockWindow::~ClockWindow() = default;

void ClockWindow::SetLocalClock(std::function<LocalDateTime()> clock) {
    localClock_ = std::move(clock);
}

void ClockWindow::SetSteadyClock(std::function<std::int64_t()> clock) {
    steadyClock_ = std::move(clock);
    lastMinuteTick_ = steadyClock_();
}

void ClockWindow::SetDateFormatter(
    std::function<std::string(const LocalDateTime&, const std::string&)> formatter) {
    dateFormatter_ = std::move(formatter);
}

void ClockWindow::LoadBodyPicture() {
    picBody_->Load(BodyPicture());
    setFixedSize(picBody_->size());
}

void ClockWindow::SetDrawInterval(int milliseconds) {
    drawInterval_ = milliseconds;
    if (milliseconds <= 0) {
        tmrClockDraw_->stop();
        return;
    }
    // The face may be stale after a stop; the frame also plans the next one.
    DrawClockFace(false);
}

void ClockWindow::OnMinuteTick() {
    lastMinuteTick_ = steadyClock_();
    tmrNTPbyTimer_->start(RedrawSchedule::MinuteTickDelay(localClock_(), settings_, 0));
    Q_EMIT minuteTicked();
}

void ClockWindow::ClockChanged() {
    // A stopped clock (DrawInterval 0) stays as it is; the countdown's minute
    // still follows the clock.
    if (drawInterval_ > 0) {
        DrawClockFace(false);
    } else {
        PlanWakeUps(localClock_());
    }
}

void ClockWindow::PlanWakeUps(const LocalDateTime& now) {
    if (drawInterval_ > 0) {
        tmrClockDraw_->start(RedrawSchedule::NextDelay(now, settings_, drawInterval_));
    }
    tmrNTPbyTimer_->start(
        RedrawSchedule::MinuteTickDelay(now, settings_, steadyClock_() - lastMinuteTick_));
}

void ClockWindow::Compose(bool force) {
    lastNow_ = localClock_();
    const std::string before = face_.LastFaceText;
    ClockFace::Draw(
        force, lastNow_, settings_, face_, [this](int x, int y, int w, int h, int srcX, int srcY) {
            picBody_->MarkChanged(Blit(picBody_->Picture(), x, y, w, h, GlyphStrip(), srcX, srcY));
        });
    if (face_.LastFaceText != before) {
        picBody_->AnnounceTimeChanged();
    }
}

void ClockWindow::DrawClockFace(bool force) {
    Compose(force);
    picBody_->Present();
    // Every frame, not only the timer's, decides the next wake-up: a colon
    // that just started blinking, a new offset or hour style must not wait
    // for a wake-up planned without them.
    PlanWakeUps(lastNow_);
}

void ClockWindow::ApplySettings() {
    SetTopMost(this, settings_.TopMost);
    DrawClockFace(true);
}

bool ClockWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picBody_ && event->type() == QEvent::ToolTip) {
        UpdateDateTip();
    }
    return QWidget::eventFilter(watched, event);
}

QString ClockWindow::DateTipText() const {
    if (!dateFormatter_) {
        return {};
    }
    // The time of this moment, not of the last frame, which may be a minute
    // old: a pattern with seconds is right to the second.
    const LocalDateTime shown = ClockFace::DisplayedTimeFor(localClock_(), settings_);
    return QString::fromStdString(dateFormatter_(shown, settings_.DateFormat));
}

void ClockWindow::UpdateDateTip() {
    if (!dateFormatter_) {
        return;
    }
    const QString text = DateTipText();
    // Reassigning an unchanged text would disturb a tooltip the user is reading.
    if (text != picBody_->toolTip()) {
        picBody_->setToolTip(text);
    }
}

void ClockWindow::mousePressEvent(QMouseEvent* event) {
    // Only remembered, for the case where the window must follow the pointer
    // itself: a press alone never moves the window.
    if (event->button() == Qt::LeftButton) {
        grabOffset_ = event->position().toPoint();
    }
    following_ = false;
}

void ClockWindow::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::LeftButton) {
        following_ = false;
        return;
    }
    if (following_) {
        move(event->globalPosition().toPoint() - grabOffset_);
        return;
    }
    if (!StartSystemMove()) {
        following_ = true;
        move(event->globalPosition().toPoint() - grabOffset_);
    }
}

void ClockWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        following_ = false;
    }
    if (event->button() == Qt::RightButton) {
        Q_EMIT menuRequested(event->globalPosition().toPoint());
    }
}

void ClockWindow::keyPressEvent(QKeyEvent* event) {
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (event->key() == Qt::Key_Menu || shiftF10) {
        // Under the clock, where a keyboard user's eyes are.
        Q_EMIT menuRequested(mapToGlobal(rect().bottomLeft()));
        return;
    }
    QWidget::keyPressEvent(event);
}

void ClockWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // The double-click of the left button, as on every desktop.
    if (event->button() == Qt::LeftButton && settings_.EXITbyDblClick) {
        Q_EMIT exitRequested();
        return;
    }
    mousePressEvent(event);
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    // A close from the window system (its close command, the end of the
    // session) ends the program the orderly way, so the settings are saved and
    // no hidden window keeps the process alive.
    event->ignore();
    Q_EMIT exitRequested();
}

bool ClockWindow::StartSystemMove() {
    return windowHandle() != nullptr && windowHandle()->startSystemMove();
}

void ClockWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A screen of another device-pixel ratio draws the face at another
    // whole factor.
    if (QWindow* handle = windowHandle()) {
        connect(handle, &QWindow::screenChanged, this, &ClockWindow::FitFaceToScreen,
                Qt::UniqueConnection);
    }
    FitFaceToScreen();
}

void ClockWindow::FitFaceToScreen() {
    if (picBody_->FitToDevicePixelRatio()) {
        setFixedSize(picBody_->size());
    }
}

SettingsStore::WindowPosition ClockWindow::Position() const {
    const QSize screen = PrimaryScreenSize();
    const QPoint at = pos();
    return {static_cast<double>(at.x()), static_cast<double>(at.y()),
            static_cast<double>(screen.width()), static_cast<double>(screen.height())};
}

QSize ClockWindow::PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(0, 0);
}

QPoint ClockWindow::PlacementFor(double xRatio, double yRatio, const QSize& screen) {
    // Far enough to put a window off every screen, near enough that window
    // arithmetic cannot overflow.
    static constexpr double kLimit = 1 << 24;
    auto at = [](double extent, double ratio) {
        const double v = extent * ratio;
        if (!std::isfinite(v)) {
            return 0;
        }
        return static_cast<int>(std::lround(std::clamp(v, -kLimit, kLimit)));
    };
    return {at(screen.width(), xRatio), at(screen.height(), yRatio)};
}
