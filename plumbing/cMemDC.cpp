#include "cMemDC.h"

#include <utility>

namespace {

// The screen, for the format of new surfaces: a cached DC of the desktop
// window. A display DC of its own (CreateDCA "DISPLAY") gives the same format
// but costs about 2 ms under Wine, several times over while the skin starts.
WindowDC ScreenDC() noexcept { return WindowDC::Client(nullptr); }

}  // namespace

cMemDC::~cMemDC() { pDestroy(); }

void cMemDC::Width(std::int32_t lW) {
    if (lW > m_lWidth) pCreate(lW, m_lHeight);
}

void cMemDC::Height(std::int32_t lH) {
    if (lH > m_lHeight) pCreate(m_lWidth, lH);
}

void cMemDC::CreateFromPicture(const StdPicture& sPic) {
    BITMAP description = {};
    if (!GetObjectA(sPic.Handle(), sizeof description, &description)) return;  // not a bitmap
    Width(description.bmWidth);
    Height(description.bmHeight);

    const WindowDC screen = ScreenDC();
    const UniqueDC source(CreateCompatibleDC(screen.get()));
    if (!source) return;
    const SelectGuard selected(source.get(), sPic.Handle());
    if (!selected) return;  // the bitmap is selected elsewhere: nothing to copy from
    BitBlt(m_hDC.get(), 0, 0, description.bmWidth, description.bmHeight, source.get(), 0, 0, SRCCOPY);
}

void cMemDC::pCreate(std::int32_t w, std::int32_t h) {
    pDestroy();  // the old content is not carried over
    const WindowDC screen = ScreenDC();
    m_hDC.reset(CreateCompatibleDC(screen.get()));
    // In the screen's format: a memory DC's own default bitmap is monochrome.
    m_hBmp.reset(CreateCompatibleBitmap(screen.get(), w, h));
    m_hBmpOld = m_hDC && m_hBmp ? SelectObject(m_hDC.get(), m_hBmp.get()) : nullptr;
    if (m_hBmpOld) {
        m_lWidth = w;
        m_lHeight = h;
    } else {
        pDestroy();
    }
}

void cMemDC::pDestroy() noexcept {
    if (m_hBmpOld) SelectObject(m_hDC.get(), std::exchange(m_hBmpOld, nullptr));
    m_hBmp.reset();
    m_lWidth = 0;
    m_lHeight = 0;
    m_hDC.reset();
}
