#pragma once

// Where the cells of the glyph strip lie and where the face puts them. The
// picture generator draws from these same numbers, so the strip, the body and
// the face composition cannot drift apart.
namespace FaceLayout {

inline constexpr int kStripWidth = 265;
inline constexpr int kStripHeight = 36;
inline constexpr int kBodyWidth = 118;
inline constexpr int kBodyHeight = 48;

inline constexpr int kCellHeight = 36;
inline constexpr int kDigitWidth = 23;
inline constexpr int kColonWidth = 6;

inline constexpr int DigitSourceX(int digit) {
    return kDigitWidth * digit;
}
inline constexpr int kBlankSourceX = 230;
inline constexpr int kColonLitSourceX = 253;
inline constexpr int kColonUnlitSourceX = 259;

// Face positions 1 to 4 (tens of hours .. units of minutes) and the colon.
inline constexpr int kFaceY = 6;
inline constexpr int kDigitFaceX[4] = {8, 31, 64, 87};
inline constexpr int kColonFaceX = 56;

// The black panel of the body, rim included; its interior starts one pixel in.
inline constexpr int kPanelLeft = 5;
inline constexpr int kPanelTop = 5;
inline constexpr int kPanelRight = 112;
inline constexpr int kPanelBottom = 42;

// Icon sizes drawn for the window and the desktop entry.
inline constexpr int kIconSizes[] = {32, 48, 64, 128, 256};

} // namespace FaceLayout
