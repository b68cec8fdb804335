#include "FacePicture.h"

#include "QtPictures.h"

#include <QPaintEvent>
#include <QPainter>

FacePicture::FacePicture(QWidget* parent) : QWidget(parent) {
    // Every pixel is ours; nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void FacePicture::Load(const PixelImage& picture) {
    picture_ = picture;
    image_ = ToImage(picture_);
    setFixedSize(image_.size());
    dirty_ = QRegion(image_.rect());
}

void FacePicture::MarkChanged(const PixelRect& rect) {
    if (rect.Empty()) {
        return;
    }
    CopyToImage(picture_, rect, image_);
    dirty_ += QRect(rect.x, rect.y, rect.width, rect.height);
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
    // What the redraw copied inside this paint is shown now; what it copied
    // elsewhere is asked for, or a cell that changed outside a partial expose
    // would stay stale until it changed again.
    const QRegion elsewhere = dirty_ - event->region();
    dirty_ = QRegion();
    if (!elsewhere.isEmpty()) {
        requested_ += elsewhere;
        update(elsewhere);
    }
    QPainter painter(this);
    for (const QRect& r : event->region()) {
        painter.drawImage(r.topLeft(), image_, r);
    }
}
