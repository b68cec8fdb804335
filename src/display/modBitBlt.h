#pragma once

#include "display/PixelImage.h"

namespace modBitBlt {

// Plain rectangle copy from strip (srcX, srcY) to face (x, y), w x h pixels:
// no blending, no scaling. The rectangle is clipped to both pictures, keeping
// source and destination pixels paired, so a bad rectangle copies less rather
// than writing outside either buffer. Returns whether any pixel was copied;
// the face routine ignores it.
bool CopyGlyph(PixelImage& face, int x, int y, int w, int h, const PixelImage& strip, int srcX,
               int srcY);

} // namespace modBitBlt
