#include "ShippedSkin.h"

#include <iterator>

#include "DrawingScale.h"
#include "resources/resource.h"

namespace ShippedSkin {

namespace {

// As resources/make_skin.py draws them: caption.bmp and border.bmp at 96
// dpi, captionNNN.png and borderNNN.png at NNN%; largest first.
constexpr Art kArts[] = {
    {IDR_CAPTION_200, IDR_BORDER_200, MeasuresAt(192), IDR_HOVER_200, 192},
    {IDR_CAPTION_175, IDR_BORDER_175, MeasuresAt(168), IDR_HOVER_175, 168},
    {IDR_CAPTION_150, IDR_BORDER_150, MeasuresAt(144), IDR_HOVER_150, 144},
    {IDR_CAPTION_125, IDR_BORDER_125, MeasuresAt(120), IDR_HOVER_125, 120},
    {IDB_CAPTION, IDB_BORDER, {19, 20, 90, 140, 240, 400}, IDR_HOVER_100, Dpi::kBase},
};
static_assert(MeasuresAt(Dpi::kBase).activeRightEnd == 240 && MeasuresAt(Dpi::kBase).inactiveOffset == 400);

}  // namespace

const Art& ArtFor(int dpi) noexcept {
    for (const Art& art : kArts)
        if (dpi >= art.dpi) return art;
    return kArts[std::size(kArts) - 1];
}

cOrvelCaption::Drawing DrawingFor(HINSTANCE module, int dpi) {
    const Art& art = ArtFor(dpi);
    auto picture = [&](int id) {
        return art.dpi == Dpi::kBase ? StdPicture::FromResource(module, id) : StdPicture::FromPngResource(module, id);
    };
    auto drawing = [](const Measures& m, int at) {
        return cOrvelCaption::Drawing{nullptr,           nullptr,           nullptr,
                                      m.buttonWidth,     m.buttonHeight,    m.activeLeftEnd,
                                      m.activeRightStart, m.activeRightEnd, m.inactiveOffset,
                                      at};
    };
    cOrvelCaption::Drawing d = drawing(art.measures, art.dpi);
    d.caption = picture(art.captionBitmap);
    d.border = picture(art.borderBitmap);
    d.hover = [module, id = art.hoverImage] { return StdPicture::FromPngResource(module, id); };
    if (art.dpi != kArts[0].dpi || dpi <= art.dpi) return d;
    return DrawingScale::Enlarge(d, drawing(MeasuresAt(dpi), dpi));
}

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

void Attach(cOrvelCaption& caption, IForm& f, HINSTANCE module) {
    caption.Attach(f, [module](int dpi) { return DrawingFor(module, dpi); });
}

}  // namespace ShippedSkin
