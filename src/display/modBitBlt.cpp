#include "display/modBitBlt.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace modBitBlt {

bool CopyGlyph(PixelImage& face, int x, int y, int w, int h, const PixelImage& strip, int srcX,
               int srcY) {
    // 64-bit so that rectangles near the int limits cannot wrap around.
    std::int64_t dx = x, dy = y, sx = srcX, sy = srcY, cw = w, ch = h;
    const std::int64_t shiftX = std::max<std::int64_t>({0, -dx, -sx});
    const std::int64_t shiftY = std::max<std::int64_t>({0, -dy, -sy});
    dx += shiftX;
    sx += shiftX;
    cw -= shiftX;
    dy += shiftY;
    sy += shiftY;
    ch -= shiftY;
    cw = std::min({cw, std::int64_t{face.width} - dx, std::int64_t{strip.width} - sx});
    ch = std::min({ch, std::int64_t{face.height} - dy, std::int64_t{strip.height} - sy});
    if (cw <= 0 || ch <= 0) {
        return false;
    }

    const auto rowLength = static_cast<std::size_t>(cw);
    if (&face == &strip) {
        // Overlapping rectangles of one picture: read everything before writing.
        const PixelImage source = strip;
        return CopyGlyph(face, x, y, w, h, source, srcX, srcY);
    }
    for (std::int64_t row = 0; row < ch; ++row) {
        const auto from =
            strip.pixels.begin() + static_cast<std::ptrdiff_t>((sy + row) * strip.width + sx);
        const auto to =
            face.pixels.begin() + static_cast<std::ptrdiff_t>((dy + row) * face.width + dx);
        std::copy_n(from, rowLength, to);
    }
    return true;
}

} // namespace modBitBlt
