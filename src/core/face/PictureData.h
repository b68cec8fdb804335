#pragma once

#include <cstdint>

// Pixel arrays written by the picture generator at build time (0xRRGGBB,
// row after row); the sizes are those of FaceLayout.
namespace PictureData {

extern const std::uint32_t GlyphStrip[];
extern const std::uint32_t Body[];
extern const std::uint32_t Icon32[];
extern const std::uint32_t Icon48[];
extern const std::uint32_t Icon64[];
extern const std::uint32_t Icon128[];
extern const std::uint32_t Icon256[];

} // namespace PictureData
