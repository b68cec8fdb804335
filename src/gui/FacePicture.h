#pragma once

#include "face/PixelImage.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <functional>

// The clock-face picture box: keeps its pixels between frames and shows only
// the rectangles a frame changed. Mouse events are left to the window.
class FacePicture : public QWidget {
    Q_OBJECT
public:
    explicit FacePicture(QWidget* parent);

    void Load(const PixelImage& picture);

    // The pixels frames are copied into; MarkChanged tells which ones moved.
    PixelImage& Picture() { return picture_; }
    void MarkChanged(const PixelRect& rect);

    // Asks for the changed rectangles to be shown; nothing else is repainted.
    void Present();

    const QImage& Image() const { return image_; }

    // Called at the start of a paint that was not asked for by Present (an
    // expose, a resize): the window redraws the whole face there.
    std::function<void()> onExternalPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PixelImage picture_;
    QImage image_;
    QRegion dirty_;
    QRegion requested_;
};
