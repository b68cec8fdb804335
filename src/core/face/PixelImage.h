#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A rectangle of a picture's pixels; empty when it holds none.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// An opaque picture held as 0xRRGGBB words, row after row. The face and its
// artwork never need alpha, so none is kept.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    PixelImage() = default;
    PixelImage(int w, int h, std::uint32_t fill = 0)
        : width(w < 0 ? 0 : w), height(h < 0 ? 0 : h),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    // Unchecked: callers index inside the picture.
    std::uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
    std::uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }

    friend bool operator==(const PixelImage&, const PixelImage&) = default;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};
