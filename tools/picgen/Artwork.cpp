#include "Artwork.h"

#include "face/FaceLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <string>

namespace Artwork {

std::uint32_t Picture::At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
}

namespace {

using namespace FaceLayout;

struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

Rgb FromWord(std::uint32_t w) {
    return {static_cast<double>((w >> 16) & 0xFFU), static_cast<double>((w >> 8) & 0xFFU),
            static_cast<double>(w & 0xFFU)};
}

std::uint32_t Channel(double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

std::uint32_t ToWord(Rgb c) {
    return (Channel(c.r) << 16) | (Channel(c.g) << 8) | Channel(c.b);
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Mix(std::uint32_t a, std::uint32_t b, double t) {
    return Mix(FromWord(a), FromWord(b), t);
}

Picture Blank(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return p;
}

void Put(Picture& p, int x, int y, std::uint32_t colour) {
    p.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) +
             static_cast<std::size_t>(x)] = colour;
}

// ---- The panel's gloss: bright top edge, black band above the middle, a
// slow rise toward the bottom.

struct Anchor {
    int at;
    std::uint32_t colour;
};

constexpr Anchor kGloss[] = {
    {0, 0x353936},  {1, 0x393C3A},  {3, 0x2D302D},  {6, 0x1B1C1B},  {9, 0x0B0B0B},
    {11, 0x000000}, {12, 0x000000}, {15, 0x0B0B0B}, {20, 0x161816}, {25, 0x262826},
    {29, 0x323432}, {32, 0x393C3A}, {34, 0x404340}, {35, 0x3A3C3C},
};

// Piecewise linear through anchors, each channel rounded once, so the
// anchors themselves come out exactly.
template <std::size_t N> std::uint32_t Through(const Anchor (&anchors)[N], double at) {
    if (at <= anchors[0].at) {
        return anchors[0].colour;
    }
    for (std::size_t i = 1; i < N; ++i) {
        if (at <= anchors[i].at) {
            const Anchor& lo = anchors[i - 1];
            const Anchor& hi = anchors[i];
            return ToWord(Mix(lo.colour, hi.colour, (at - lo.at) / (hi.at - lo.at)));
        }
    }
    return anchors[N - 1].colour;
}

std::uint32_t GlossRow(int row) {
    return Through(kGloss, row);
}

// For the scaled icon: rows are sampled at their centres and blended between.
Rgb GlossAt(double y) {
    const double row = std::clamp(y - 0.5, 0.0, static_cast<double>(kCellHeight - 1));
    const int lo = static_cast<int>(std::floor(row));
    const int hi = std::min(lo + 1, kCellHeight - 1);
    return Mix(GlossRow(lo), GlossRow(hi), row - lo);
}

double Brightness(std::uint32_t c) {
    const Rgb v = FromWord(c);
    return (v.r + v.g + v.b) / 3.0;
}

// 0 on the black band, 1 at the brightest gloss row: the rim follows the
// gloss so the panel reads as one curved piece of glass.
double GlossLevel(double cellRow) {
    static const double brightest = [] {
        double m = 0;
        for (int r = 0; r < kCellHeight; ++r) {
            m = std::max(m, Brightness(GlossRow(r)));
        }
        return m;
    }();
    const Rgb g = GlossAt(cellRow + 0.5);
    return ((g.r + g.g + g.b) / 3.0) / brightest;
}

// ---- Segments. Drawn upright in cell coordinates (a pixel covers
// [x, x+1) x [y, y+1)), then slanted forward about the middle row.

struct Point {
    double x;
    double y;
};
using Polygon = std::array<Point, 6>;

constexpr double kHalf = 1.5;    // half the segment thickness
constexpr double kGap = 0.55;    // dark slit between neighbouring segments
constexpr double kSlant = 0.095; // x shift per row upward
constexpr double kLeftX = 5.0;   // upright centre lines at the middle row
constexpr double kRightX = 18.0;
constexpr double kTopY = 4.5; // bar centre lines
constexpr double kMidY = 17.5;
constexpr double kBottomY = 30.5;

Point Slant(Point p) {
    return {p.x + kSlant * (kMidY - p.y), p.y};
}

Polygon Slanted(Polygon p) {
    for (Point& q : p) {
        q = Slant(q);
    }
    return p;
}

Polygon Bar(double y) {
    const double x0 = kLeftX + kGap;
    const double x1 = kRightX - kGap;
    return Slanted({{{x0, y},
                     {x0 + kHalf, y - kHalf},
                     {x1 - kHalf, y - kHalf},
                     {x1, y},
                     {x1 - kHalf, y + kHalf},
                     {x0 + kHalf, y + kHalf}}});
}

Polygon Upright(double x, double y0, double y1) {
    y0 += kGap;
    y1 -= kGap;
    return Slanted({{{x, y0},
                     {x + kHalf, y0 + kHalf},
                     {x + kHalf, y1 - kHalf},
                     {x, y1},
                     {x - kHalf, y1 - kHalf},
                     {x - kHalf, y0 + kHalf}}});
}

// a top, b upper right, c lower right, d bottom, e lower left, f upper left,
// g middle.
const std::array<Polygon, 7>& Segments() {
    static const std::array<Polygon, 7> segments = {
        Bar(kTopY),    Upright(kRightX, kTopY, kMidY),   Upright(kRightX, kMidY, kBottomY),
        Bar(kBottomY), Upright(kLeftX, kMidY, kBottomY), Upright(kLeftX, kTopY, kMidY),
        Bar(kMidY),
    };
    return segments;
}

constexpr unsigned kLitSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x27, 0x7F, 0x6F};

bool Inside(const Polygon& poly, Point p) {
    bool anyNegative = false;
    bool anyPositive = false;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point a = poly[i];
        const Point b = poly[(i + 1) % poly.size()];
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        anyNegative = anyNegative || cross < 0;
        anyPositive = anyPositive || cross > 0;
    }
    return !(anyNegative && anyPositive);
}

struct Box {
    double left, top, right, bottom;
    bool Holds(Point p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

Box Bounds(const Polygon& poly) {
    Box b{poly[0].x, poly[0].y, poly[0].x, poly[0].y};
    for (const Point& q : poly) {
        b = {std::min(b.left, q.x), std::min(b.top, q.y), std::max(b.right, q.x),
             std::max(b.bottom, q.y)};
    }
    return b;
}

// Index of the segment under a cell point, or -1 for the background. The
// boxes keep the sampling cheap enough for the sanitizer builds.
int SegmentAt(Point p) {
    static const std::array<Box, 7> boxes = [] {
        std::array<Box, 7> b{};
        for (std::size_t i = 0; i < b.size(); ++i) {
            b[i] = Bounds(Segments()[i]);
        }
        return b;
    }();
    static const Box all = [] {
        Box a = boxes[0];
        for (const Box& b : boxes) {
            a = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom)};
        }
        return a;
    }();
    if (!all.Holds(p)) {
        return -1;
    }
    const auto& segments = Segments();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (boxes[i].Holds(p) && Inside(segments[i], p)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Colon dots: two pixels wide with a fringe either side, not slanted.
bool DotAt(Point p) {
    const bool across = p.x >= 1.6 && p.x < 4.4;
    return across && ((p.y >= 10 && p.y < 13) || (p.y >= 23 && p.y < 26));
}

constexpr std::uint32_t kLitTop = 0xEFFF78;
constexpr std::uint32_t kLitBottom = 0xE2FC70;
constexpr std::uint32_t kColonLit = 0xECFF75;
constexpr std::uint32_t kColonUnlit = 0x323432;
constexpr Rgb kUnlitLift = {0x1A, 0x1C, 0x1A}; // unlit segment = gloss + this

Rgb LitColour(double cellRow) {
    const double t = std::clamp((cellRow - 3.0) / (32.0 - 3.0), 0.0, 1.0);
    return Mix(kLitTop, kLitBottom, t);
}

Rgb UnlitColour(int row) {
    const Rgb g = FromWord(GlossRow(row));
    return {g.r + kUnlitLift.r, g.g + kUnlitLift.g, g.b + kUnlitLift.b};
}

// ---- One-to-one cells. Edge coverage is kept to a few steps so that a
// picture stays within 256 colours.

constexpr int kSamples = 16;         // per pixel and axis
constexpr double kCoverageSteps = 4; // 0, 1/4, 1/2, 3/4, 1

double Quantised(double coverage) {
    return std::round(coverage * kCoverageSteps) / kCoverageSteps;
}

enum class Cell { Digit, Colon };

// litMask: segments (or, for the colon, bit 0: the dots) that are lit.
void DrawCell(Picture& strip, int left, Cell kind, unsigned litMask) {
    const int width = kind == Cell::Digit ? kDigitWidth : kColonWidth;
    for (int y = 0; y < kCellHeight; ++y) {
        const Rgb background = FromWord(GlossRow(y));
        for (int x = 0; x < width; ++x) {
            int lit = 0;
            int unlit = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point p{x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples};
                    bool on = false;
                    bool off = false;
                    if (kind == Cell::Digit) {
                        const int segment = SegmentAt(p);
                        on = segment >= 0 && (litMask >> segment & 1U) != 0;
                        off = segment >= 0 && !on;
                    } else if (DotAt(p)) {
                        on = (litMask & 1U) != 0;
                        off = !on;
                    }
                    lit += on ? 1 : 0;
                    unlit += off ? 1 : 0;
                }
            }
            const double all = kSamples * kSamples;
            const double litCover = Quantised(lit / all);
            const double unlitCover = std::min(Quantised(unlit / all), 1.0 - litCover);
            Rgb litColour = LitColour(y);
            Rgb unlitColour = UnlitColour(y);
            if (kind == Cell::Colon) {
                litColour = FromWord(kColonLit);
                unlitColour = FromWord(kColonUnlit);
            }
            const double rest = 1.0 - litCover - unlitCover;
            const Rgb c = {
                background.r * rest + litColour.r * litCover + unlitColour.r * unlitCover,
                background.g * rest + litColour.g * litCover + unlitColour.g * unlitCover,
                background.b * rest + litColour.b * litCover + unlitColour.b * unlitCover};
            Put(strip, left + x, y, ToWord(c));
        }
    }
}

// ---- The body around the panel.

constexpr Anchor kCream[] = {
    {0, 0xE6E2CC}, {3, 0xE6E2CC}, {40, 0xE9E5D0}, {80, 0xEFE9D4}, {117, 0xF4EED8}};
constexpr std::uint32_t kHaloLeft = 0xF6F0D8;
constexpr std::uint32_t kHaloRight = 0xFFFCE4;
constexpr std::uint32_t kHaloEdgeLeft = 0xEEEAD3; // above and below the panel
constexpr std::uint32_t kHaloEdgeRight = 0xFCF6DE;
constexpr std::uint32_t kRimEdgeLeft = 0xA4A295; // top and bottom rim rows
constexpr std::uint32_t kRimEdgeRight = 0xAEAC9C;
constexpr std::uint32_t kRimLeftDark = 0x4F4F48;
constexpr std::uint32_t kRimLeftLight = 0x969588;
constexpr std::uint32_t kRimRightDark = 0x7C796D;
constexpr std::uint32_t kRimRightLight = 0xBFBCAB;
constexpr double kRimSteps = 8; // shades along the side rims

Rgb SideRim(bool left, double cellRow) {
    const double level = std::round(GlossLevel(cellRow) * kRimSteps) / kRimSteps;
    return left ? Mix(kRimLeftDark, kRimLeftLight, level)
                : Mix(kRimRightDark, kRimRightLight, level);
}

double Across(int x, int from, int to) {
    return static_cast<double>(x - from) / (to - from);
}

} // namespace

Picture DrawGlyphStrip() {
    Picture strip = Blank(kStripWidth, kStripHeight);
    for (int d = 0; d < 10; ++d) {
        DrawCell(strip, DigitSourceX(d), Cell::Digit, kLitSegments[d]);
    }
    DrawCell(strip, kBlankSourceX, Cell::Digit, 0);
    DrawCell(strip, kColonLitSourceX, Cell::Colon, 1);
    DrawCell(strip, kColonUnlitSourceX, Cell::Colon, 0);
    return strip;
}

Picture DrawBody(const Picture& strip) {
    Picture body = Blank(kBodyWidth, kBodyHeight);
    for (int y = 0; y < kBodyHeight; ++y) {
        for (int x = 0; x < kBodyWidth; ++x) {
            Put(body, x, y, Through(kCream, x));
        }
    }

    const int left = kPanelLeft;
    const int right = kPanelRight;
    const int top = kPanelTop;
    const int bottom = kPanelBottom;

    for (int x = left; x <= right; ++x) {
        const double t = Across(x, left, right);
        const std::uint32_t halo = ToWord(Mix(kHaloEdgeLeft, kHaloEdgeRight, t));
        Put(body, x, top - 1, halo);
        Put(body, x, bottom + 1, halo);
        const std::uint32_t rim = ToWord(Mix(kRimEdgeLeft, kRimEdgeRight, t));
        Put(body, x, top, rim);
        Put(body, x, bottom, rim);
    }
    for (int y = top; y <= bottom; ++y) {
        Put(body, left - 1, y, kHaloLeft);
        Put(body, right + 1, y, kHaloRight);
        const double cellRow = std::clamp(y - (top + 1), 0, kCellHeight - 1);
        Put(body, left, y, ToWord(SideRim(true, cellRow)));
        Put(body, right, y, ToWord(SideRim(false, cellRow)));
    }
    // Rounded corners: each rim corner half gone into the surround.
    for (const int x : {left, right}) {
        for (const int y : {top, bottom}) {
            const int inX = x == left ? x + 1 : x - 1;
            const int inY = y == top ? y + 1 : y - 1;
            const Rgb rim = Mix(body.At(inX, y), body.At(x, inY), 0.5);
            Put(body, x, y, ToWord(Mix(rim, FromWord(Through(kCream, x)), 0.5)));
        }
    }

    for (int y = top + 1; y < bottom; ++y) {
        for (int x = left + 1; x < right; ++x) {
            Put(body, x, y, GlossRow(y - (top + 1)));
        }
    }

    // The unlit clock: the very cells the face later copies over it.
    for (int x : kDigitFaceX) {
        for (int y = 0; y < kCellHeight; ++y) {
            for (int c = 0; c < kDigitWidth; ++c) {
                Put(body, x + c, kFaceY + y, strip.At(kBlankSourceX + c, y));
            }
        }
    }
    for (int y = 0; y < kCellHeight; ++y) {
        for (int c = 0; c < kColonWidth; ++c) {
            Put(body, kColonFaceX + c, kFaceY + y, strip.At(kColonUnlitSourceX + c, y));
        }
    }
    return body;
}

// The icon is laid out on a 32-unit grid: cream, halo and rim at both sides,
// the panel between, and a lit 8 filling the panel's height (cell rows 2 to
// 33). Larger icons sample the same layout more finely instead of scaling
// pixels.
Picture DrawIcon(int size) {
    Picture icon = Blank(size, size);
    constexpr int kIconSamples = 8;
    const double unit = 32.0 / size;
    constexpr double kCellLeft = 4.5; // the 23-unit cell centred in 24 units
    constexpr double kCellTop = -2.0;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Rgb sum;
            for (int sy = 0; sy < kIconSamples; ++sy) {
                for (int sx = 0; sx < kIconSamples; ++sx) {
                    const double u = (px + (sx + 0.5) / kIconSamples) * unit;
                    const double v = (py + (sy + 0.5) / kIconSamples) * unit;
                    const double cellRow = v - kCellTop;
                    Rgb c;
                    if (u < 2) {
                        c = FromWord(kCream[0].colour);
                    } else if (u >= 30) {
                        c = FromWord(std::prev(std::end(kCream))->colour);
                    } else if (u < 3) {
                        c = FromWord(kHaloLeft);
                    } else if (u >= 29) {
                        c = FromWord(kHaloRight);
                    } else if (u < 4 || u >= 28) {
                        c = SideRim(u < 4, cellRow);
                    } else if (SegmentAt({u - kCellLeft, cellRow}) >= 0) {
                        c = LitColour(cellRow);
                    } else {
                        c = GlossAt(cellRow);
                    }
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            const double n = kIconSamples * kIconSamples;
            Put(icon, px, py, ToWord({sum.r / n, sum.g / n, sum.b / n}));
        }
    }
    return icon;
}

namespace {

std::string Hex(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(ToWord(c)));
    return text;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') {
        s.pop_back();
    }
    return s;
}

// A top-to-bottom gradient over the icon's 32 units, sampled every half unit:
// fine enough for the eye, and the same colours the raster icons average.
template <class Colour> std::string VerticalGradient(const char* id, Colour colourAt) {
    std::string g = "<linearGradient id=\"" + std::string(id) +
                    "\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"32\">";
    for (int half = 0; half <= 64; ++half) {
        const double v = half / 2.0;
        g += "<stop offset=\"" + Number(v / 32) + "\" stop-color=\"" + Hex(colourAt(v)) + "\"/>";
    }
    return g + "</linearGradient>\n";
}

std::string Rect(double x, double width, const std::string& fill) {
    return "<rect x=\"" + Number(x) + "\" y=\"0\" width=\"" + Number(width) +
           "\" height=\"32\" fill=\"" + fill + "\"/>\n";
}

} // namespace

std::string DrawIconSvg() {
    // Laid out as DrawIcon: cell row = icon unit - kCellTop.
    constexpr double kCellLeft = 4.5;
    constexpr double kCellTop = -2.0;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                      "viewBox=\"0 0 32 32\">\n<defs>\n";
    svg += VerticalGradient("gloss", [&](double v) { return GlossAt(v - kCellTop); });
    svg += VerticalGradient("rimLeft", [&](double v) { return SideRim(true, v - kCellTop); });
    svg += VerticalGradient("rimRight", [&](double v) { return SideRim(false, v - kCellTop); });
    svg += "<linearGradient id=\"lit\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"3\" "
           "x2=\"0\" y2=\"32\"><stop offset=\"0\" stop-color=\"" +
           Hex(FromWord(kLitTop)) + "\"/><stop offset=\"1\" stop-color=\"" +
           Hex(FromWord(kLitBottom)) + "\"/></linearGradient>\n</defs>\n";
    svg += Rect(0, 2, Hex(FromWord(kCream[0].colour)));
    svg += Rect(2, 1, Hex(FromWord(kHaloLeft)));
    svg += Rect(3, 1, "url(#rimLeft)");
    svg += Rect(4, 24, "url(#gloss)");
    svg += Rect(28, 1, "url(#rimRight)");
    svg += Rect(29, 1, Hex(FromWord(kHaloRight)));
    svg += Rect(30, 2, Hex(FromWord(std::prev(std::end(kCream))->colour)));
    svg += "<g transform=\"translate(" + Number(kCellLeft) + " " + Number(kCellTop) +
           ")\" fill=\"url(#lit)\">\n";
    for (const Polygon& segment : Segments()) {
        svg += "<polygon points=\"";
        for (const Point& p : segment) {
            svg += Number(p.x) + "," + Number(p.y) + (&p == &segment.back() ? "" : " ");
        }
        svg += "\"/>\n";
    }
    return svg + "</g>\n</svg>\n";
}

Picture ComposeFace(const Picture& body, const Picture& strip, const char* digits, bool colonLit) {
    Picture face = body;
    auto copy = [&](int to, int from, int width) {
        for (int y = 0; y < kCellHeight; ++y) {
            for (int c = 0; c < width; ++c) {
                Put(face, to + c, kFaceY + y, strip.At(from + c, y));
            }
        }
    };
    for (int i = 0; i < 4; ++i) {
        const int d = digits[i] - '0';
        copy(kDigitFaceX[i], i == 0 && d == 0 ? kBlankSourceX : DigitSourceX(d), kDigitWidth);
    }
    copy(kColonFaceX, colonLit ? kColonLitSourceX : kColonUnlitSourceX, kColonWidth);
    return face;
}

Picture Enlarge(const Picture& picture, int factor) {
    Picture big = Blank(picture.width * factor, picture.height * factor);
    for (int y = 0; y < big.height; ++y) {
        for (int x = 0; x < big.width; ++x) {
            Put(big, x, y, picture.At(x / factor, y / factor));
        }
    }
    return big;
}

} // namespace Artwork
