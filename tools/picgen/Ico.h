#pragma once

#include "Artwork.h"

#include <cstdint>
#include <vector>

namespace Ico {

// A Windows icon file holding every picture given, largest last: 256-pixel
// images as PNG (as Windows stores them), smaller ones as 32-bit DIBs, which
// every part of Windows reads.
std::vector<std::uint8_t> Encode(const std::vector<Artwork::Picture>& pictures);

} // namespace Ico
