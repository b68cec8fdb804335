#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Png {

// An 8-bit RGB PNG of 0xRRGGBB pixels. Stored (uncompressed) deflate blocks
// keep the encoder tiny; the files are small anyway.
std::vector<std::uint8_t> Encode(int width, int height, const std::vector<std::uint32_t>& pixels);

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace Png
