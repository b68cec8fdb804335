#pragma once

#include "face/PixelImage.h"

#include <span>

// The pictures travel inside the program (drawn at build time), so a copied
// binary finds them without any file beside it.

// 265 x 36: digits 0-9, the blank digit, the lit and the unlit colon.
const PixelImage& GlyphStrip();

// 118 x 48: the clock with every segment unlit.
const PixelImage& BodyPicture();

// Square icon of one of IconSizes(); any other size gives an empty picture.
const PixelImage& IconPicture(int size);
std::span<const int> IconSizes();
