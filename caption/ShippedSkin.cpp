#include "ShippedSkin.h"

#include "resources/resource.h"

namespace ShippedSkin {

namespace {

// caption.bmp and border.bmp, as resources/make_skin.py draws them.
constexpr Art kArt96{IDB_CAPTION, IDB_BORDER, {19, 20, 90, 140, 240, 400}};

}  // namespace

const Art& ArtFor(int) noexcept { return kArt96; }

void Style(cOrvelCaption& caption) {
    caption.ActiveCaptionColor(kActiveCaptionColor);
    caption.InActiveCaptionColor(kInactiveCaptionColor);
    caption.ActiveMenuColor(kMenuColor);
    caption.ActiveMenuColorOver(kMenuColorOver);
    caption.InActiveMenuColor(kInactiveMenuColor);
    caption.MenuBackgroundColor(kMenuBackgroundColor);
    caption.CaptionFont()->Name(kFontName);
    caption.CaptionFont()->Size(kFontSize);
    caption.MenuFont()->Name(kFontName);
    caption.MenuFont()->Size(kFontSize);
}

void Attach(cOrvelCaption& caption, IForm& f, const StdPicture& captionPicture, const StdPicture& borderPicture,
            const Measures& measures) {
    caption.Attach(f, captionPicture, borderPicture, measures.buttonWidth, measures.buttonHeight,
                   measures.activeLeftEnd, measures.activeRightStart, measures.activeRightEnd, measures.inactiveOffset);
}

}  // namespace ShippedSkin
