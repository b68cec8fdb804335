// Writes the glyph strip the program carries as a binary PPM on stdout, so the
// end-to-end tests can compare screenshots with the very pixels compiled in.
#include "face/Assets.h"

#include <cstdio>
#include <string>

int main() {
    const PixelImage& strip = GlyphStrip();
    std::string out =
        "P6\n" + std::to_string(strip.width) + " " + std::to_string(strip.height) + "\n255\n";
    for (const std::uint32_t p : strip.pixels) {
        out += static_cast<char>((p >> 16) & 0xff);
        out += static_cast<char>((p >> 8) & 0xff);
        out += static_cast<char>(p & 0xff);
    }
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}
