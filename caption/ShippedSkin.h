#pragma once

#include <windows.h>

#include "cOrvelCaption.h"
#include "plumbing/Dpi.h"
#include "plumbing/IForm.h"
#include "plumbing/StdPicture.h"

// The skin torvane.exe ships, defined once: its art by resource id for each
// display scale, how the caption bitmap is cut, the title and menu colours
// and the fonts.
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

// One drawing of the skin: the bitmaps it is painted from, their cuts, the
// caption buttons under the pointer and the DPI it is drawn for.
struct Art {
    // Resource identifiers: BITMAPs at 96 dpi, PNGs (RCDATA) at the other
    // scales; the hover looks are PNGs at every scale.
    int captionBitmap, borderBitmap;
    Measures measures;
    int hoverImage;
    int dpi;
};

// The measures of the 96-dpi drawing at `dpi`, rounded as Dpi::Scale rounds.
constexpr Measures MeasuresAt(int dpi) noexcept {
    return {Dpi::Scale(19, dpi),  Dpi::Scale(20, dpi),  Dpi::Scale(90, dpi),
            Dpi::Scale(140, dpi), Dpi::Scale(240, dpi), Dpi::Scale(400, dpi)};
}

// The drawing for a display of `dpi` dots per inch: the one drawn for the
// largest scale not above it (100%, 125%, 150%, 175%, 200%; 100% below 96).
const Art& ArtFor(int dpi) noexcept;

// The skin as the caption paints it at `dpi`, loaded from module's
// resources: ArtFor(dpi), and above 200% that drawing enlarged to `dpi`.
cOrvelCaption::Drawing DrawingFor(HINSTANCE module, int dpi);

// White title on the active caption; on the inactive one a light grey that
// keeps a contrast of at least 4.5:1 with the inactive plate (4.8 where the
// plate is lightest).
inline constexpr cOrvelCaption::OleColor kActiveCaptionColor = 0xFFFFFF;
inline constexpr cOrvelCaption::OleColor kInactiveCaptionColor = 0xF5F5F5;
// Menu bar texts are black in every state. The grey is the popups' back
// colour and the window's own.
inline constexpr cOrvelCaption::OleColor kMenuColor = 0;
inline constexpr cOrvelCaption::OleColor kMenuColorOver = 0;
inline constexpr cOrvelCaption::OleColor kInactiveMenuColor = 0;
inline constexpr COLORREF kMenuBackgroundColor = RGB(207, 203, 207);
// Title and menu texts: SimSun, 9 points (StdFont::Height gives the pixels at a DPI).
inline constexpr const wchar_t* kFontName = L"宋体";
inline constexpr double kFontSize = 9;

// Gives the caption the skin's colours and fonts. Before Attach: the menu
// bar takes its own when attached.
void Style(cOrvelCaption& caption);
// Attaches the caption to f's window, painted from the two bitmaps cut as
// `measures` says.
void Attach(cOrvelCaption& caption, IForm& f, const StdPicture& captionPicture, const StdPicture& borderPicture,
            const Measures& measures);
// Attaches the caption to f's window with the drawing for the window's DPI
// from module's resources, and with the one for each new DPI.
void Attach(cOrvelCaption& caption, IForm& f, HINSTANCE module);

}  // namespace ShippedSkin
