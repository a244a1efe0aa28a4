#include "DrawingScale.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "plumbing/Dpi.h"
#include "plumbing/UniqueHandle.h"

namespace DrawingScale {

namespace {

using Drawing = cOrvelCaption::Drawing;

// A bitmap's pixels, top-down, 0x00RRGGBB.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> bits;
};

// A picture read as 32-bit pixels; empty when it is no bitmap. GetDIBits
// wants the bitmap selected into no DC, as a picture at rest is.
Pixels Read(const StdPicture* picture) {
    Pixels p;
    BITMAP b{};
    if (!picture || !GetObjectW(picture->Handle(), sizeof b, &b) || b.bmWidth <= 0 || b.bmHeight <= 0) return p;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, b.bmWidth, -b.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    p.bits.resize(static_cast<size_t>(b.bmWidth) * static_cast<size_t>(b.bmHeight));
    const UniqueDC dc(CreateCompatibleDC(nullptr));
    if (!GetDIBits(dc.get(), picture->Handle(), 0, static_cast<UINT>(b.bmHeight), p.bits.data(), &info,
                   DIB_RGB_COLORS)) {
        p.bits.clear();
        return p;
    }
    p.width = b.bmWidth;
    p.height = b.bmHeight;
    return p;
}

// Where a line of the source is cut and where that cut lands in the
// enlargement; the pixels between two cuts are stretched to fill the space
// between their landings.
struct Cut {
    int from, to;
};
using Cuts = std::vector<Cut>;

// The cuts between `n` cells in a row, `from` pixels wide each, that land `to` apart.
Cuts Cells(int n, int from, int to) {
    Cuts cuts;
    for (int cell = 0; cell <= n; ++cell) cuts.push_back({cell * from, cell * to});
    return cuts;
}

// The source pixels under destination pixel d of a stretch of `from` pixels
// to `to` (no more than `to`): where they start and how much of each it
// covers, in units of 1/to of a source pixel.
struct Span {
    int first = 0, count = 0;
    long long weight[2] = {};
};

Span Cover(int d, int from, int to) {
    const long long lo = static_cast<long long>(d) * from, hi = lo + from;
    Span s;
    s.first = static_cast<int>(lo / to);
    for (long long i = s.first; i * to < hi && s.count < 2; ++i)
        s.weight[s.count++] = std::min(hi, (i + 1) * to) - std::max(lo, i * to);
    return s;
}

// Writes stretched pieces of `from` into `to`: each destination pixel is
// the average of the source pixels it covers, weighted by how much of each,
// so a piece's first and last lines grow alike. StretchBlt's HALFTONE only
// promises that a block's average approximates the source; where it samples
// is the system's (Wine's samples off centre: a 2-pixel line became 2 pixels
// at one end of a piece and 3 at the other).
class Composer {
public:
    Composer(const Pixels& from, std::uint32_t* to, int toWidth) : m_from(from), m_to(to), m_toWidth(toWidth) {}

    // Every cell between consecutive cuts across and down, stretched on its own.
    void Grid(const Cuts& across, const Cuts& down) const {
        for (size_t i = 1; i < across.size(); ++i)
            for (size_t j = 1; j < down.size(); ++j) Piece(across[i - 1], across[i], down[j - 1], down[j]);
    }

private:
    void Piece(Cut left, Cut right, Cut top, Cut bottom) const {
        const int dw = right.to - left.to, dh = bottom.to - top.to;
        const int sw = right.from - left.from, sh = bottom.from - top.from;
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
        std::vector<Span> columns(static_cast<size_t>(dw));
        for (int i = 0; i < dw; ++i) columns[static_cast<size_t>(i)] = Cover(i, sw, dw);
        for (int j = 0; j < dh; ++j) {
            const Span row = Cover(j, sh, dh);
            std::uint32_t* out = m_to + static_cast<size_t>(top.to + j) * static_cast<size_t>(m_toWidth) + left.to;
            for (const Span& column : columns) {
                long long sum[3] = {}, total = 0;
                for (int r = 0; r < row.count; ++r)
                    for (int c = 0; c < column.count; ++c) {
                        const long long w = row.weight[r] * column.weight[c];
                        const std::uint32_t p = At(left.from + column.first + c, top.from + row.first + r);
                        for (int k = 0; k < 3; ++k) sum[k] += w * ((p >> (8 * k)) & 0xFF);
                        total += w;
                    }
                std::uint32_t pixel = 0;
                for (int k = 0; k < 3; ++k)
                    pixel |= static_cast<std::uint32_t>((sum[k] + total / 2) / total) << (8 * k);
                *out++ = pixel;
            }
        }
    }

    std::uint32_t At(int x, int y) const {
        x = std::clamp(x, 0, m_from.width - 1);
        y = std::clamp(y, 0, m_from.height - 1);
        return m_from.bits[static_cast<size_t>(y) * static_cast<size_t>(m_from.width) + static_cast<size_t>(x)];
    }

    const Pixels& m_from;
    std::uint32_t* m_to;
    int m_toWidth;
};

// A new 32-bit picture of `size` with `pieces` of `from` composed into it.
template <typename Pieces>
std::shared_ptr<StdPicture> Compose(const StdPicture& from, SIZE size, Pieces pieces) {
    const Pixels source = Read(&from);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && !source.bits.empty()) pieces(Composer(source, static_cast<std::uint32_t*>(bits), size.cx));
    return std::make_shared<StdPicture>(std::move(bitmap));
}

int HeightOf(const StdPicture* picture) {
    BITMAP b{};
    return picture && GetObjectW(picture->Handle(), sizeof b, &b) ? b.bmHeight : 0;
}

}  // namespace

Drawing Enlarge(const Drawing& from, Drawing to) {
    if (!from.caption || !from.caption->Handle() || from.dpi <= 0 || to.dpi <= from.dpi) return from;
    const Drawing& f = from;
    // A height of the drawing at the higher DPI.
    auto grow = [&](int px) { return Dpi::Rescale(px, to.dpi, f.dpi); };

    // The frame's bands (the border's width along each window edge) are cut
    // from the caption's pieces and stretched as the border cells are, so the
    // outer line is as wide on every side and the caption's ends continue
    // the side cells column for column whatever the rounding of the sizes.
    const int fromB = HeightOf(f.border.get()), toB = grow(fromB);
    const Cut band{fromB, toB};

    // The caption: for each set, the left end, the tile column drawn across
    // the middle, and the right end; then the button cells, both looks.
    const int fromH = HeightOf(f.caption.get()), toH = grow(fromH);
    const Cuts rows{{0, 0}, band, {fromH, toH}};
    to.caption = Compose(*f.caption, {to.lInactiveOffset + to.lActiveRightEnd, toH}, [&](const Composer& c) {
        for (const bool active : {true, false}) {
            const int fx = active ? 0 : f.lInactiveOffset, tx = active ? 0 : to.lInactiveOffset;
            c.Grid({{fx, tx}, {fx + fromB, tx + toB}, {fx + f.lActiveLeftEnd, tx + to.lActiveLeftEnd}}, rows);
            const int ft = fx + f.lActiveLeftEnd + 1;
            c.Grid({{ft, tx + to.lActiveLeftEnd}, {ft + 1, tx + to.lActiveRightStart}}, rows);
            // The right end's last column is never shown: the one before it
            // is the window's outermost.
            const int fe = fx + f.lActiveRightEnd, te = tx + to.lActiveRightEnd;
            c.Grid({{fx + f.lActiveRightStart, tx + to.lActiveRightStart}, {fe - fromB, te - toB}, {fe, te}}, rows);
        }
        for (int cell = 0; cell < 4; ++cell) {
            const int fc = cell ? f.lActiveRightEnd + cell * f.lButtonWidth : f.lActiveRightEnd + 1;
            const int tc = cell ? to.lActiveRightEnd + cell * to.lButtonWidth : to.lActiveRightEnd + 1;
            c.Grid({{fc, tc}, {fc + f.lButtonWidth, tc + to.lButtonWidth}},
                   {{0, 0}, {f.lButtonHeight, to.lButtonHeight}, {2 * f.lButtonHeight, 2 * to.lButtonHeight}});
        }
    });

    // The border: seven square cells in a row.
    to.border = std::make_shared<StdPicture>(UniqueBitmap{});
    to.hover = nullptr;
    if (f.border && fromB > 0) {
        to.border = Compose(*f.border, {7 * toB, toB},
                            [&](const Composer& c) { c.Grid(Cells(7, fromB, toB), {{0, 0}, band}); });
    }
    // The hover looks: four button cells in a row, enlarged when first needed.
    if (f.hover) {
        to.hover = [load = f.hover, fromW = f.lButtonWidth, fromH = f.lButtonHeight, toW = to.lButtonWidth,
                    toH = to.lButtonHeight]() -> std::shared_ptr<StdPicture> {
            const std::shared_ptr<StdPicture> hover = load();
            if (!hover || !hover->Handle()) return nullptr;
            return Compose(*hover, {4 * toW, toH},
                           [&](const Composer& c) { c.Grid(Cells(4, fromW, toW), {{0, 0}, {fromH, toH}}); });
        };
    }
    return to;
}

}  // namespace DrawingScale
