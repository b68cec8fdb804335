#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The clock's artwork, drawn from its geometry and colours: the glyph strip
// and the body one to one, the icon at any size.
namespace Artwork {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB, row after row

    std::uint32_t At(int x, int y) const;
};

Picture DrawGlyphStrip();
Picture DrawBody(const Picture& strip);
Picture DrawIcon(int size);
// The icon as SVG, drawn from the same layout for any size.
std::string DrawIconSvg();

// The body with a time composed on it, as the running clock shows it; only
// for looking at the artwork.
Picture ComposeFace(const Picture& body, const Picture& strip, const char* digits, bool colonLit);

// Nearest-neighbour enlargement, for looking at the artwork.
Picture Enlarge(const Picture& picture, int factor);

} // namespace Artwork
