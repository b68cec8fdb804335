#pragma once

#include "face/PixelImage.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <functional>

// The clock-face picture box: keeps its pixels between frames and shows only
// the rectangles a frame changed. Mouse events are left to the window.
//
// The face is pixel art, so it is shown at a whole number of device pixels
// per face pixel, copied without resampling: at a device-pixel ratio of 2
// each pixel is a 2 x 2 square. Where a fractional ratio is forced anyway,
// the face takes the largest whole factor that fits and the picture box
// shrinks to it (a last part of a logical pixel repeats the edge).
class FacePicture : public QWidget {
    Q_OBJECT
public:
    explicit FacePicture(QWidget* parent);

    void Load(const PixelImage& picture);

    // Sizes the picture box for the device-pixel ratio it is on now; true
    // when its size changed.
    bool FitToDevicePixelRatio();

    // The pixels frames are copied into; MarkChanged tells which ones moved.
    PixelImage& Picture() { return picture_; }
    void MarkChanged(const PixelRect& rect);

    // Asks for the changed rectangles to be shown; nothing else is repainted.
    void Present();

    // The face, one pixel a face pixel.
    const QImage& Image() const { return image_; }

    // What an assistive technology is told, made only when one asks: the
    // time the face shows and the date of the tooltip.
    std::function<QString()> spokenTime;
    std::function<QString()> spokenDate;
    // The face shows another time: a screen reader hears the new one.
    void AnnounceTimeChanged();

    // Device pixels per face pixel at a device-pixel ratio: the largest whole
    // number that fits, at least 1.
    static int WholeScale(qreal devicePixelRatio);
    // The picture box's size in logical pixels for a face of faceSize: the
    // face's device size, rounded up to whole logical pixels.
    static QSize LogicalSize(const QSize& faceSize, qreal devicePixelRatio);

Q_SIGNALS:
    // At the start of a paint that was not asked for by Present (an expose, a
    // resize): the window redraws the whole face there, before it is shown.
    void externalPaint();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where a rectangle of the face lies on the box, in logical pixels.
    QRect ToLogical(const QRect& faceRect) const;
    // Copies a rectangle of the face into the device picture.
    void Scale(const QRect& faceRect);
    void Rebuild(qreal ratio);
    const QImage& Shown() const { return scaled_ ? device_ : image_; }

    PixelImage picture_;
    QImage image_;
    QImage device_; // the face in device pixels, when that is not image_
    bool scaled_ = false;
    qreal ratio_ = 1.0;
    int scale_ = 1;
    QRegion dirty_;
    QRegion requested_;
};
