#include "face/Blit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

PixelRect Blit(PixelImage& target, int x, int y, int w, int h, const PixelImage& source, int srcX,
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
    cw = std::min({cw, std::int64_t{target.width} - dx, std::int64_t{source.width} - sx});
    ch = std::min({ch, std::int64_t{target.height} - dy, std::int64_t{source.height} - sy});
    if (cw <= 0 || ch <= 0) {
        return {};
    }

    if (&target == &source) {
        // Overlapping rectangles of one picture: read everything before writing.
        const PixelImage copy = source;
        return Blit(target, x, y, w, h, copy, srcX, srcY);
    }
    const auto rowLength = static_cast<std::ptrdiff_t>(cw);
    bool changed = false;
    for (std::int64_t row = 0; row < ch; ++row) {
        const auto from =
            source.pixels.begin() + static_cast<std::ptrdiff_t>((sy + row) * source.width + sx);
        const auto to =
            target.pixels.begin() + static_cast<std::ptrdiff_t>((dy + row) * target.width + dx);
        if (!std::equal(from, from + rowLength, to)) {
            std::copy_n(from, rowLength, to);
            changed = true;
        }
    }
    if (!changed) {
        return {};
    }
    // Inside both pictures by now, so every value fits an int.
    return {static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(cw), static_cast<int>(ch)};
}
