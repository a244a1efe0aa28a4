#pragma once

#include <windows.h>

#include "cOrvelCaption.h"
#include "plumbing/IForm.h"
#include "plumbing/StdPicture.h"

// The skin torvane.exe ships, defined once: its two bitmaps by resource id,
// how the caption bitmap is cut, the title and menu colours and the fonts.
// The main window, the menu bar demo, the benchmark and the tests all take
// it from here.
namespace ShippedSkin {

// How the caption bitmap is cut, in its own pixels (the meaning of each is
// in cOrvelCaption.h).
struct Measures {
    int buttonWidth, buttonHeight;
    int activeLeftEnd, activeRightStart, activeRightEnd;
    int inactiveOffset;
};

// One drawing of the skin: the bitmaps it is painted from and their cuts.
struct Art {
    int captionBitmap, borderBitmap;  // resource identifiers
    Measures measures;
};

// The drawing for a display of `dpi` dots per inch. There is one drawing,
// made for 96 dpi, and it serves every display.
const Art& ArtFor(int dpi) noexcept;

// White title on the active caption, light grey on the inactive one.
inline constexpr cOrvelCaption::OleColor kActiveCaptionColor = 0xFFFFFF;
inline constexpr cOrvelCaption::OleColor kInactiveCaptionColor = 0xC0C0C0;
// Menu bar texts are black in every state. The grey is the popups' back
// colour and the window's own.
inline constexpr cOrvelCaption::OleColor kMenuColor = 0;
inline constexpr cOrvelCaption::OleColor kMenuColorOver = 0;
inline constexpr cOrvelCaption::OleColor kInactiveMenuColor = 0;
inline constexpr COLORREF kMenuBackgroundColor = RGB(207, 203, 207);
// Title and menu texts: SimSun, 9 points.
inline constexpr const wchar_t* kFontName = L"宋体";
inline constexpr double kFontSize = 9;

// Gives the caption the skin's colours and fonts. Before Attach: the menu
// bar takes its own when attached.
void Style(cOrvelCaption& caption);
// Attaches the caption to f's window, painted from the two bitmaps cut as
// `measures` says.
void Attach(cOrvelCaption& caption, IForm& f, const StdPicture& captionPicture, const StdPicture& borderPicture,
            const Measures& measures);

}  // namespace ShippedSkin
