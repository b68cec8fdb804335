#include "DialogSize.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace DialogSize {

namespace {

const QScreen* OrPrimary(const QScreen* screen) {
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

QSize Available(const QScreen* screen) {
    screen = OrPrimary(screen);
    return screen != nullptr ? screen->availableGeometry().size() : QSize();
}

int GrownSide(int designed, int needed, int available) {
    const int wanted = std::max(designed, needed);
    return available > 0 ? std::min(wanted, available) : wanted;
}

} // namespace

int TwipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

double LogicalDpi(const QScreen* screen) {
    screen = OrPrimary(screen);
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

int WrapWidth(const QScreen* screen) {
    return Available(screen).width() * 6 / 10;
}

QSize Grown(const QSize& designed, const QSize& needed, const QSize& available) {
    return {GrownSide(designed.width(), needed.width(), available.width()),
            GrownSide(designed.height(), needed.height(), available.height())};
}

QSize Grown(const QSize& designed, const QSize& needed, const QScreen* screen) {
    return Grown(designed, needed, Available(screen));
}

QPoint PlacedNear(const QRect& anchor, const QSize& size, const QRect& available) {
    // Kept in, the left or top edge winning when the dialog is the larger.
    auto within = [](int wanted, int extent, int first, int last) {
        return std::max(first, std::min(wanted, last - extent + 1));
    };
    const int x = within(anchor.center().x() - size.width() / 2, size.width(), available.left(),
                         available.right());
    int y = anchor.bottom() + 1;
    if (y + size.height() - 1 > available.bottom()) {
        const int above = anchor.top() - size.height();
        y = above >= available.top() ? above : anchor.center().y() - size.height() / 2;
    }
    return {x, within(y, size.height(), available.top(), available.bottom())};
}

} // namespace DialogSize
