#include "QtPictures.h"

#include "face/Assets.h"

#include <QPixmap>

QImage ToImage(const PixelImage& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    CopyToImage(picture, {0, 0, picture.width, picture.height}, image);
    return image;
}

void CopyToImage(const PixelImage& picture, const PixelRect& rect, QImage& image) {
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            // The pictures carry no alpha; Qt's RGB32 wants it opaque.
            row[x] = 0xff000000u | picture.At(x, y);
        }
    }
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : IconSizes()) {
        icon.addPixmap(QPixmap::fromImage(ToImage(IconPicture(size))));
    }
    return icon;
}
