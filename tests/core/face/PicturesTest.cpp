#include "face/Assets.h"
#include "face/Blit.h"
#include "face/FaceLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

namespace {

using FaceLayout::kBlankSourceX;
using FaceLayout::kColonLitSourceX;
using FaceLayout::kColonUnlitSourceX;

int R(std::uint32_t c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
int G(std::uint32_t c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
int B(std::uint32_t c) {
    return static_cast<int>(c & 0xFF);
}

// Each channel of c within those of lo and hi (either order).
bool Between(std::uint32_t c, std::uint32_t lo, std::uint32_t hi) {
    auto in = [](int v, int a, int b) { return v >= std::min(a, b) && v <= std::max(a, b); };
    return in(R(c), R(lo), R(hi)) && in(G(c), G(lo), G(hi)) && in(B(c), B(lo), B(hi));
}

std::string Hex(std::uint32_t c) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(c));
    return text;
}

// The cell's own background at a row, taken where no segment ever reaches.
std::uint32_t Gloss(int row) {
    return GlyphStrip().At(0, row);
}

TEST(Pictures, Sizes) {
    EXPECT_EQ(GlyphStrip().width * GlyphStrip().height, 265 * 36);
    EXPECT_EQ(BodyPicture().width * BodyPicture().height, 118 * 48);
    EXPECT_EQ(IconPicture(33).pixels.size(), 0u);
}

TEST(Pictures, GlossHoldsItsColoursAtTheirRows) {
    const struct {
        int row;
        std::uint32_t colour;
    } anchors[] = {{0, 0x353936},  {1, 0x393C3A},  {3, 0x2D302D},  {6, 0x1B1C1B},  {9, 0x0B0B0B},
                   {11, 0x000000}, {12, 0x000000}, {15, 0x0B0B0B}, {20, 0x161816}, {25, 0x262826},
                   {29, 0x323432}, {32, 0x393C3A}, {34, 0x404340}, {35, 0x3A3C3C}};
    for (const auto& a : anchors) {
        EXPECT_EQ(Hex(Gloss(a.row)), Hex(a.colour)) << "row " << a.row;
    }
    // Rows between anchors stay between their neighbours' colours.
    for (std::size_t i = 1; i < std::size(anchors); ++i) {
        for (int row = anchors[i - 1].row + 1; row < anchors[i].row; ++row) {
            EXPECT_TRUE(Between(Gloss(row), anchors[i - 1].colour, anchors[i].colour))
                << "row " << row << " " << Hex(Gloss(row));
        }
    }
}

TEST(Pictures, BackgroundDependsOnlyOnTheRow) {
    const PixelImage& strip = GlyphStrip();
    // Cell edges and the rows above and below the figures, in every cell;
    // and the holes of the digit cells (inside the ghost 8).
    for (int y = 0; y < 36; ++y) {
        const bool clearRow = y < 3 || y > 32;
        for (int x = 0; x < 265; ++x) {
            const bool digitCell = x < 253;
            const int column = digitCell ? x % 23 : (x - 253) % 6;
            const bool edge =
                digitCell ? (column < 2 || column > 20) : (column == 0 || column == 5);
            const bool hole = digitCell && column >= 10 && column <= 13 &&
                              ((y >= 7 && y <= 14) || (y >= 20 && y <= 27));
            if (clearRow || edge || hole) {
                EXPECT_EQ(Hex(strip.At(x, y)), Hex(Gloss(y))) << "x " << x << " y " << y;
            }
        }
    }
}

TEST(Pictures, PanelInteriorIsTheStripsGloss) {
    const PixelImage& body = BodyPicture();
    // Columns of the interior that no cell covers.
    for (const int x : {6, 7, 54, 55, 62, 63, 110, 111}) {
        for (int row = 0; row < 36; ++row) {
            EXPECT_EQ(Hex(body.At(x, row + 6)), Hex(Gloss(row))) << "x " << x << " row " << row;
        }
    }
}

TEST(Pictures, UnlitCellsCopiedOntoTheBodyChangeNothing) {
    PixelImage face = BodyPicture();
    for (const int x : FaceLayout::kDigitFaceX) {
        Blit(face, x, 6, 23, 36, GlyphStrip(), kBlankSourceX, 0);
    }
    Blit(face, 56, 6, 6, 36, GlyphStrip(), kColonUnlitSourceX, 0);
    EXPECT_TRUE(face == BodyPicture());
}

// A seam would show as a cell pixel near the edge that differs from the
// panel it lands on.
TEST(Pictures, LitCellsShowNoSeam) {
    struct Cell {
        int srcX, width, faceX;
    };
    std::vector<Cell> cells;
    for (int d = 0; d < 10; ++d) {
        for (const int x : FaceLayout::kDigitFaceX) {
            cells.push_back({23 * d, 23, x});
        }
    }
    cells.push_back({kColonLitSourceX, 6, 56});
    for (const Cell& c : cells) {
        PixelImage face = BodyPicture();
        Blit(face, c.faceX, 6, c.width, 36, GlyphStrip(), c.srcX, 0);
        for (int y = 5; y <= 42; ++y) {
            for (const int x : {c.faceX - 1, c.faceX, c.faceX + c.width - 1, c.faceX + c.width}) {
                EXPECT_EQ(face.At(x, y), BodyPicture().At(x, y))
                    << "cell " << c.srcX << " at " << c.faceX << ": x " << x << " y " << y;
            }
        }
        for (int x = c.faceX; x < c.faceX + c.width; ++x) {
            for (const int y : {6, 41}) {
                EXPECT_EQ(face.At(x, y), BodyPicture().At(x, y))
                    << "cell " << c.srcX << " at " << c.faceX << ": x " << x << " y " << y;
            }
        }
    }
}

bool LitSegment(std::uint32_t c) {
    return Between(c, 0xE2FC70, 0xEFFF78);
}

// Unlit: a ghost a few levels above the gloss, nowhere near lit.
bool UnlitSegment(std::uint32_t c, int row) {
    const std::uint32_t g = Gloss(row);
    return R(c) > R(g) && G(c) > G(g) && B(c) > B(g) && R(c) < R(g) + 0x30 && G(c) < G(g) + 0x30 &&
           B(c) < B(g) + 0x30;
}

TEST(Pictures, DigitsLightTheirSegments) {
    // The middle of each segment a to g (top, upper right, lower right,
    // bottom, lower left, upper left, middle), in cell coordinates.
    const struct {
        int x, y;
    } middle[7] = {{11, 4}, {18, 11}, {17, 24}, {10, 30}, {4, 24}, {5, 11}, {11, 17}};
    const char* lit[11] = {"abcdef", "bc",   "abdeg",   "abcdg",  "bcfg", "acdfg",
                           "acdefg", "abcf", "abcdefg", "abcdfg", ""};
    const PixelImage& strip = GlyphStrip();
    for (int cell = 0; cell < 11; ++cell) {
        const std::string on = lit[cell];
        for (int s = 0; s < 7; ++s) {
            const char name = static_cast<char>('a' + s);
            const std::uint32_t c = strip.At(23 * cell + middle[s].x, middle[s].y);
            if (on.find(name) != std::string::npos) {
                EXPECT_TRUE(LitSegment(c))
                    << "cell " << cell << " segment " << name << " " << Hex(c);
            } else {
                EXPECT_TRUE(UnlitSegment(c, middle[s].y))
                    << "cell " << cell << " segment " << name << " " << Hex(c);
            }
        }
    }
}

TEST(Pictures, ColonDots) {
    const PixelImage& strip = GlyphStrip();
    for (const int y : {10, 11, 12, 23, 24, 25}) {
        for (const int x : {2, 3}) {
            EXPECT_TRUE(Between(strip.At(kColonLitSourceX + x, y), 0xE6FA70, 0xF2FF7A)) << y;
            EXPECT_TRUE(Between(strip.At(kColonUnlitSourceX + x, y), 0x2A2C2A, 0x3A3C3A)) << y;
        }
    }
    EXPECT_NE(strip.At(kColonLitSourceX + 1, 11), Gloss(11)) << "anti-aliased fringe";
    EXPECT_EQ(strip.At(kColonLitSourceX + 2, 17), Gloss(17)) << "nothing between the dots";
}

TEST(Pictures, BodySurroundRimAndHalo) {
    const PixelImage& body = BodyPicture();
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Hex(body.At(x, y)), "E6E2CC") << x << "," << y;
        }
        EXPECT_EQ(Hex(body.At(117, y)), "F4EED8") << y;
    }
    for (int x = 0; x < 118; ++x) {
        for (const int y : {1, 2, 3, 44, 45, 46, 47}) {
            EXPECT_EQ(body.At(x, y), body.At(x, 0)) << "same shading in every row";
        }
        if (x > 0) {
            EXPECT_GE(R(body.At(x, 0)), R(body.At(x - 1, 0))) << "lighter toward the right";
        }
    }
    for (int x = 6; x <= 111; ++x) {
        EXPECT_TRUE(Between(body.At(x, 5), 0xA4A295, 0xAEAC9C)) << x;
        EXPECT_TRUE(Between(body.At(x, 42), 0xA4A295, 0xAEAC9C)) << x;
        EXPECT_TRUE(Between(body.At(x, 4), 0xEEEAD3, 0xFCF6DE)) << x;
        EXPECT_TRUE(Between(body.At(x, 43), 0xEEEAD3, 0xFCF6DE)) << x;
    }
    for (int y = 6; y <= 41; ++y) {
        EXPECT_TRUE(Between(body.At(5, y), 0x4F4F48, 0x969588)) << y;
        EXPECT_TRUE(Between(body.At(112, y), 0x7C796D, 0xBFBCAB)) << y;
        EXPECT_EQ(Hex(body.At(4, y)), "F6F0D8") << y;
        EXPECT_EQ(Hex(body.At(113, y)), "FFFCE4") << y;
    }
}

TEST(Pictures, AtMost256Colours) {
    for (const PixelImage* p : {&GlyphStrip(), &BodyPicture()}) {
        const std::set<std::uint32_t> colours(p->pixels.begin(), p->pixels.end());
        EXPECT_LE(colours.size(), 256u);
    }
}

TEST(Pictures, IconsShowALitEightBetweenCreamEdges) {
    for (const int size : IconSizes()) {
        SCOPED_TRACE(size);
        const PixelImage& icon = IconPicture(size);
        ASSERT_EQ(icon.width * icon.height, size * size);
        auto at = [&](double u, double v) {
            return icon.At(static_cast<int>(u * size / 32), static_cast<int>(v * size / 32));
        };
        for (const double v : {1.0, 16.0, 31.0}) {
            EXPECT_TRUE(Between(at(0.5, v), 0xE0DCC0, 0xFFFFE8)) << "left edge";
            EXPECT_TRUE(Between(at(31.5, v), 0xE0DCC0, 0xFFFFE8)) << "right edge";
        }
        // Bars a, g, d and the four uprights of the 8.
        for (const auto& [u, v] : {std::pair{16.0, 2.5},
                                   {16.0, 15.5},
                                   {15.0, 28.5},
                                   {9.5, 9.5},
                                   {22.5, 9.5},
                                   {9.0, 22.0},
                                   {22.0, 22.0}}) {
            EXPECT_TRUE(Between(at(u, v), 0xD8F068, 0xF4FF80)) << u << "," << v;
        }
        EXPECT_LT(G(at(16.0, 9.0)), 0x40) << "dark panel inside the 8";
    }
}

} // namespace
