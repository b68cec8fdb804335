#include "face/Blit.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

// Test names from the table rows.

PixelImage Numbered(int w, int h, std::uint32_t base) {
    PixelImage image(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.At(x, y) = base + static_cast<std::uint32_t>(y * 100 + x);
        }
    }
    return image;
}

// Face pixel by face pixel, asking where each one would come from: slow but
// obviously right, and a different road from clipping the rectangle.
PixelImage Reference(PixelImage face, int x, int y, int w, int h, const PixelImage& strip, int sx,
                     int sy) {
    const PixelImage source = strip;
    for (int fy = 0; fy < face.height; ++fy) {
        for (int fx = 0; fx < face.width; ++fx) {
            const long long i = static_cast<long long>(fx) - x;
            const long long j = static_cast<long long>(fy) - y;
            const long long gx = sx + i, gy = sy + j;
            if (i >= 0 && j >= 0 && i < w && j < h && gx >= 0 && gy >= 0 && gx < source.width &&
                gy < source.height) {
                face.At(fx, fy) = source.At(static_cast<int>(gx), static_cast<int>(gy));
            }
        }
    }
    return face;
}

struct CopyCase {
    const char* name;
    int x, y, w, h, srcX, srcY;
    bool copies;
};

class CopyGlyphClipping : public testing::TestWithParam<CopyCase> {};

TEST_P(CopyGlyphClipping, MatchesPixelByPixelCopy) {
    const CopyCase& c = GetParam();
    const PixelImage strip = Numbered(7, 5, 0x100000);
    PixelImage face = Numbered(6, 4, 0x200000);
    const PixelImage expected = Reference(face, c.x, c.y, c.w, c.h, strip, c.srcX, c.srcY);

    EXPECT_EQ(!Blit(face, c.x, c.y, c.w, c.h, strip, c.srcX, c.srcY).Empty(), c.copies);
    EXPECT_EQ(face, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, CopyGlyphClipping,
    testing::Values(CopyCase{"inside_both", 1, 1, 3, 2, 2, 1, true},
                    CopyCase{"whole_face", 0, 0, 6, 4, 0, 0, true},
                    CopyCase{"past_face_right_and_bottom", 4, 2, 5, 5, 0, 0, true},
                    CopyCase{"past_strip_right_and_bottom", 0, 0, 6, 4, 4, 3, true},
                    CopyCase{"face_left_of_zero", -2, 0, 4, 2, 0, 0, true},
                    CopyCase{"strip_above_zero", 0, 0, 3, 3, 1, -2, true},
                    CopyCase{"both_negative_unequally", -1, 1, 5, 3, -3, -1, true},
                    CopyCase{"zero_width", 1, 1, 0, 2, 0, 0, false},
                    CopyCase{"negative_height", 1, 1, 2, -3, 0, 0, false},
                    CopyCase{"beyond_face", 6, 0, 2, 2, 0, 0, false},
                    CopyCase{"beyond_strip", 0, 0, 2, 2, 7, 0, false},
                    CopyCase{"extreme_origin", INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, false},
                    CopyCase{"extreme_size", 2, 1, INT_MAX, INT_MAX, 3, 2, true},
                    CopyCase{"extreme_source", 0, 0, 4, 4, INT_MAX, INT_MAX, false}),
    RowName());

TEST(CopyGlyph, OverlappingCopyWithinOnePictureReadsBeforeWriting) {
    PixelImage image = Numbered(6, 4, 0x300000);
    const PixelImage expected = Reference(image, 1, 1, 4, 3, image, 0, 0);
    Blit(image, 1, 1, 4, 3, image, 0, 0);
    EXPECT_EQ(image, expected);
}

} // namespace
