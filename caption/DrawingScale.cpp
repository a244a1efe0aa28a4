#include "DrawingScale.h"

#include <algorithm>

#include "plumbing/UniqueHandle.h"

namespace DrawingScale {

namespace {

using Drawing = cOrvelCaption::Drawing;

// A picture's bitmap selected into a memory DC for reading or drawing.
struct Surface {
    explicit Surface(HBITMAP bitmap) : dc(CreateCompatibleDC(nullptr)), selected(dc.get(), bitmap) {
        SetStretchBltMode(dc.get(), HALFTONE);
        SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    }
    HDC get() const noexcept { return dc.get(); }
    UniqueDC dc;
    SelectGuard selected;
};

SIZE SizeOf(const StdPicture* picture) {
    BITMAP b{};
    if (!picture || !GetObjectW(picture->Handle(), sizeof b, &b)) return {0, 0};
    return {b.bmWidth, b.bmHeight};
}

// A new 24-bit picture with `pieces` copied into it from `from`.
template <typename Pieces>
std::shared_ptr<StdPicture> Compose(const StdPicture& from, SIZE size, Pieces pieces) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap) {
        const Surface source(from.Handle()), target(bitmap.get());
        auto stretch = [&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
            StretchBlt(target.get(), dx, dy, dw, dh, source.get(), sx, sy, sw, sh, SRCCOPY);
        };
        pieces(stretch);
    }
    return std::make_shared<StdPicture>(std::move(bitmap));
}

}  // namespace

Drawing Enlarge(const Drawing& from, Drawing to) {
    if (!from.caption || !from.caption->Handle() || from.dpi <= 0 || to.dpi <= from.dpi) return from;
    const Drawing& f = from;
    // A height of the drawing at the higher DPI, rounded as Dpi::Scale rounds.
    auto grow = [&](int px) { return static_cast<int>((static_cast<long long>(px) * to.dpi + f.dpi / 2) / f.dpi); };

    // The caption: for each set, the left end, the tile column drawn across
    // the middle, and the right end; then the button cells, both looks.
    const int fromH = SizeOf(f.caption.get()).cy, toH = grow(fromH);
    to.caption = Compose(*f.caption, {to.lInactiveOffset + to.lActiveRightEnd, toH}, [&](auto stretch) {
        for (const bool active : {true, false}) {
            const int fx = active ? 0 : f.lInactiveOffset, tx = active ? 0 : to.lInactiveOffset;
            stretch(tx, 0, to.lActiveLeftEnd, toH, fx, 0, f.lActiveLeftEnd, fromH);
            stretch(tx + to.lActiveLeftEnd, 0, to.lActiveRightStart - to.lActiveLeftEnd, toH,
                    fx + f.lActiveLeftEnd + 1, 0, 1, fromH);
            stretch(tx + to.lActiveRightStart, 0, to.lActiveRightEnd - to.lActiveRightStart, toH,
                    fx + f.lActiveRightStart, 0, f.lActiveRightEnd - f.lActiveRightStart, fromH);
        }
        for (int cell = 0; cell < 4; ++cell) {
            const int fc = cell ? f.lActiveRightEnd + cell * f.lButtonWidth : f.lActiveRightEnd + 1;
            const int tc = cell ? to.lActiveRightEnd + cell * to.lButtonWidth : to.lActiveRightEnd + 1;
            stretch(tc, 0, to.lButtonWidth, 2 * to.lButtonHeight, fc, 0, f.lButtonWidth, 2 * f.lButtonHeight);
        }
    });

    // The border: seven square cells in a row.
    const int fromB = SizeOf(f.border.get()).cy, toB = grow(fromB);
    to.border = std::make_shared<StdPicture>(UniqueBitmap{});
    to.hover = nullptr;
    if (f.border && fromB > 0) {
        to.border = Compose(*f.border, {7 * toB, toB}, [&](auto stretch) {
            for (int cell = 0; cell < 7; ++cell) stretch(cell * toB, 0, toB, toB, cell * fromB, 0, fromB, fromB);
        });
    }
    // The hover looks: four button cells in a row.
    if (f.hover && f.hover->Handle()) {
        to.hover = Compose(*f.hover, {4 * to.lButtonWidth, to.lButtonHeight}, [&](auto stretch) {
            for (int cell = 0; cell < 4; ++cell)
                stretch(cell * to.lButtonWidth, 0, to.lButtonWidth, to.lButtonHeight, cell * f.lButtonWidth, 0,
                        f.lButtonWidth, f.lButtonHeight);
        });
    }
    return to;
}

}  // namespace DrawingScale
