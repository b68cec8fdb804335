#pragma once

#include "face/PixelImage.h"

#include <QIcon>
#include <QImage>

// The core's pictures as Qt sees them.

// A new image holding the whole picture.
QImage ToImage(const PixelImage& picture);

// Copies one rectangle of picture into image, which has the picture's size.
void CopyToImage(const PixelImage& picture, const PixelRect& rect, QImage& image);

// The program's icon in every size the generator draws.
QIcon ProgramIcon();
