// Windows colour values as the forms store them: 0x00BBGGRR for a plain
// colour (red in the low byte), or 0x800000NN for the system colour with index
// NN, which the renderer resolves at draw time (GetSysColor on Windows, the
// classic default table below elsewhere).
#ifndef ZOLT_UI_COLORS_H_
#define ZOLT_UI_COLORS_H_

#include <cstdint>

namespace zolt::ui {

using Color = uint32_t;

inline constexpr Color kSystemColorFlag = 0x80000000u;

constexpr Color SystemColor(int index) {
  return kSystemColorFlag | static_cast<Color>(index);
}
constexpr bool IsSystemColor(Color c) { return (c & kSystemColorFlag) != 0; }
constexpr int SystemColorIndex(Color c) { return static_cast<int>(c & 0xFF); }
constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r) | (static_cast<Color>(g) << 8) |
         (static_cast<Color>(b) << 16);
}
constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

// The system colours the forms use (indices of GetSysColor).
inline constexpr Color kColorWindowBackground = SystemColor(5);   // COLOR_WINDOW
inline constexpr Color kColorWindowText = SystemColor(8);         // COLOR_WINDOWTEXT
inline constexpr Color kColorButtonFace = SystemColor(15);        // COLOR_BTNFACE
inline constexpr Color kColorButtonText = SystemColor(18);        // COLOR_BTNTEXT
inline constexpr Color kColorInfoText = SystemColor(23);          // COLOR_INFOTEXT
inline constexpr Color kColorInfoBackground = SystemColor(24);    // COLOR_INFOBK

// Plain colours that the programs name.
inline constexpr Color kColorBlack = 0x000000;
inline constexpr Color kColorWhite = 16777215;
inline constexpr Color kColorPureRed = 255;
inline constexpr Color kColorPureBlue = 16711680;
inline constexpr Color kColorLightGreen = 8454016;
inline constexpr Color kColorLightRed = 8421631;
inline constexpr Color kColorLightGrey = 14737632;
inline constexpr Color kColorGrey = 12632256;

// A plain colour for any value: system colours through the classic Windows
// scheme's defaults (unknown indices give button face grey). Renderers that
// have a real system palette (Win32) resolve system colours themselves.
Color ResolveColor(Color c);

}  // namespace zolt::ui

#endif  // ZOLT_UI_COLORS_H_
