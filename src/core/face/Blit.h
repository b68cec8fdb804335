#pragma once

#include "face/PixelImage.h"

// Plain rectangle copy from source (srcX, srcY) to target (x, y), w x h
// pixels: no blending, no scaling. The rectangle is clipped to both pictures,
// keeping source and target pixels paired, so a bad rectangle copies less
// rather than writing outside either buffer.
//
// Returns the part of target that now looks different; empty when the copy
// was clipped away or the target already showed those pixels (the steady
// colon, a forced redraw of unchanged digits). Presenting a rectangle costs
// far more than comparing one, so callers show only what this returns.
PixelRect Blit(PixelImage& target, int x, int y, int w, int h, const PixelImage& source, int srcX,
               int srcY);
