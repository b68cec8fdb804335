#include "FacePicture.h"

#include "FaceAccessible.h"
#include "QtPictures.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Ratios come as products of floating-point factors (1.5 * 2 is fine, but
// 1.1 * 3 is 3.3000000000000003); a hair's breadth must not cost a pixel.
constexpr qreal kSlack = 1e-6;

} // namespace

FacePicture::FacePicture(QWidget* parent) : QWidget(parent) {
    // Every pixel is ours; nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&FaceAccessible::Factory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void FacePicture::AnnounceTimeChanged() {
    // Asking for the event's interface would make one; without a listener
    // nothing is made at all.
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

int FacePicture::WholeScale(qreal devicePixelRatio) {
    return std::max(1, static_cast<int>(std::floor(devicePixelRatio + kSlack)));
}

QSize FacePicture::LogicalSize(const QSize& faceSize, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const qreal perPixel = WholeScale(ratio) / ratio;
    auto side = [perPixel](int face) {
        return static_cast<int>(std::ceil(face * perPixel - kSlack));
    };
    return {side(faceSize.width()), side(faceSize.height())};
}

void FacePicture::Load(const PixelImage& picture) {
    picture_ = picture;
    image_ = ToImage(picture_);
    Rebuild(devicePixelRatioF());
}

bool FacePicture::FitToDevicePixelRatio() {
    const QSize before = size();
    if (devicePixelRatioF() != ratio_) {
        Rebuild(devicePixelRatioF());
    }
    return size() != before;
}

void FacePicture::Rebuild(qreal ratio) {
    ratio_ = ratio > 0 ? ratio : 1.0;
    scale_ = WholeScale(ratio_);
    const QSize logical = LogicalSize(image_.size(), ratio_);
    setFixedSize(logical);
    const QSize device(static_cast<int>(std::ceil(logical.width() * ratio_ - kSlack)),
                       static_cast<int>(std::ceil(logical.height() * ratio_ - kSlack)));
    scaled_ = device != image_.size();
    device_ = scaled_ ? QImage(device, QImage::Format_RGB32) : QImage();
    if (scaled_) {
        Scale(image_.rect());
    }
    dirty_ = QRegion(rect());
    update();
}

QRect FacePicture::ToLogical(const QRect& faceRect) const {
    const qreal perPixel = scale_ / ratio_;
    QRect r = QRectF(faceRect.x() * perPixel, faceRect.y() * perPixel, faceRect.width() * perPixel,
                     faceRect.height() * perPixel)
                  .toAlignedRect();
    // The edge of the face reaches the edge of the box.
    if (faceRect.right() == image_.width() - 1) {
        r.setRight(width() - 1);
    }
    if (faceRect.bottom() == image_.height() - 1) {
        r.setBottom(height() - 1);
    }
    return r;
}

void FacePicture::Scale(const QRect& faceRect) {
    // Nearest pixel, and past the face's last pixel that pixel again.
    const int x0 = faceRect.x() * scale_;
    const int y0 = faceRect.y() * scale_;
    const int x1 =
        faceRect.right() == image_.width() - 1 ? device_.width() : (faceRect.right() + 1) * scale_;
    const int y1 = faceRect.bottom() == image_.height() - 1 ? device_.height()
                                                            : (faceRect.bottom() + 1) * scale_;
    for (int y = y0; y < std::min(y1, device_.height()); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(
            image_.constScanLine(std::min(y / scale_, image_.height() - 1)));
        auto* to = reinterpret_cast<QRgb*>(device_.scanLine(y));
        for (int x = x0; x < std::min(x1, device_.width()); ++x) {
            to[x] = from[std::min(x / scale_, image_.width() - 1)];
        }
    }
}

void FacePicture::MarkChanged(const PixelRect& rect) {
    if (rect.Empty()) {
        return;
    }
    CopyToImage(picture_, rect, image_);
    const QRect faceRect(rect.x, rect.y, rect.width, rect.height);
    if (scaled_) {
        Scale(faceRect);
    }
    dirty_ += ToLogical(faceRect);
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
    // Moved to a screen of another ratio before the window was refitted:
    // the picture is redrawn for it at once, never resampled.
    if (devicePixelRatioF() != ratio_) {
        Rebuild(devicePixelRatioF());
    }
    const bool external = !(event->region() - requested_).isEmpty();
    requested_ = QRegion();
    if (external) {
        Q_EMIT externalPaint();
    }
    // What the redraw copied inside this paint is shown now; what it copied
    // elsewhere is asked for, or a cell that changed outside a partial expose
    // would stay stale until it changed again.
    const QRegion elsewhere = dirty_ - event->region();
    dirty_ = QRegion();
    if (!elsewhere.isEmpty()) {
        requested_ += elsewhere;
        update(elsewhere);
    }
    // Drawn in device pixels, one to one.
    QPainter painter(this);
    painter.setWorldTransform(QTransform::fromScale(1 / ratio_, 1 / ratio_));
    const QImage& shown = Shown();
    for (const QRect& r : event->region()) {
        const QRect device =
            QRectF(r.x() * ratio_, r.y() * ratio_, r.width() * ratio_, r.height() * ratio_)
                .toAlignedRect() &
            shown.rect();
        painter.drawImage(device.topLeft(), shown, device);
    }
}
