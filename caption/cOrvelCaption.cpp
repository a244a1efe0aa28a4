#include "cOrvelCaption.h"

#include <olectl.h>

#include <algorithm>
#include <string>

#include "plumbing/ScopeGuard.h"
#include "plumbing/UniqueHandle.h"

namespace {

// Fixed pieces of the skin's geometry.
constexpr int kCloseColumn = 241;    // first column of the close button cells
constexpr int kButtonsColumn = 240;  // restore, maximize, minimize follow at 240 + n * lButtonWidth
constexpr int kMiddleStart = 90;     // where the tiled middle starts in the caption
constexpr int kTileWidth = 52;
constexpr int kButtonTop = 5;
constexpr RECT kIconArea{12, 11, 42, 43};  // answers as the system menu
constexpr int kPressPollMs = 50;

void Copy(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy) {
    BitBlt(target, x, y, width, height, source, sx, sy, SRCCOPY);
}

}  // namespace

cOrvelCaption::cOrvelCaption()
    : m_iCaptionFont(std::make_shared<StdFont>()), m_iMenuFont(std::make_shared<StdFont>()) {
    m_iCaptionFont->Name(L"MS Sans Serif");
    m_iMenuFont->Name(L"MS Sans Serif");
}

cOrvelCaption::~cOrvelCaption() {
    try {
        Detach();
    } catch (...) {
        // Nothing may leave a destructor; the window keeps what could not be undone.
    }
}

void cOrvelCaption::Detach() {
    if (m_cPressTmr) m_cPressTmr->Interval(0);
    if (m_cNCS) m_cNCS->Detach();
    // The controller took the menu off the window; the menu bar has been
    // showing it. Give it back, once: the window may have another by the
    // time a second Detach comes.
    if (m_cMenu) {
        const HMENU menu = m_cMenu->hMenu();
        m_cMenu->Detach();
        m_cMenu->hMenu(nullptr);
        if (menu) SetMenu(m_hWnd, menu);
    }
}

void cOrvelCaption::Attach(IForm& f, const StdPicture& PicCaption, const StdPicture& PicBorder, int lButtonWidthA,
                           int lButtonHeightA, int lActiveLeftEndA, int lActiveRightStartA, int lActiveRightEndA,
                           int lInactiveOffsetA) {
    // The window is unlocked on every exit of Attach.
    LockWindowUpdate(f.hwnd());
    const ScopeGuard unlock([]() noexcept { LockWindowUpdate(nullptr); });
    Detach();
    m_cCaptionDC = std::make_shared<cMemDC>();
    m_cCaptionDC->CreateFromPicture(PicCaption);
    m_cBorderDC = std::make_shared<cMemDC>();
    m_cBorderDC->CreateFromPicture(PicBorder);
    m_cCaptionBuf = std::make_shared<cMemDC>();
    m_cSideBuf = std::make_shared<cMemDC>();
    lButtonWidth = lButtonWidthA;
    lButtonHeight = lButtonHeightA;
    lActiveLeftEnd = lActiveLeftEndA;
    lActiveRightStart = lActiveRightStartA;
    lActiveRightEnd = lActiveRightEndA;
    lInactiveOffset = lInactiveOffsetA;
    m_hWnd = f.hwnd();

    m_cMenu = std::make_shared<cMenuBar>();
    m_cMenu->Attach(m_hWnd);
    m_cMenu->Font(m_iMenuFont);
    m_cMenu->SetColors(m_oActiveMenuColor, m_oActiveMenuColorOver, m_oInActiveMenuColor, m_oMenuBackgroundColor);
    m_cMenu->CaptionHeight(m_cCaptionDC->Height());

    m_cNCS = std::make_shared<cNCCalcSize>();
    m_cNCS->Attach(*this);
    m_cNCS->Display(f);
    if (IsWindowVisible(m_hWnd)) {
        SetForegroundWindow(m_hWnd);
        SetFocus(m_hWnd);
        SendMessageA(m_hWnd, WM_NCACTIVATE, 1, 0);
    }
}

void cOrvelCaption::GetTopMarginHeight(int& cy) { cy = m_cCaptionDC->Height(); }
void cOrvelCaption::GetLeftMarginWidth(int& cx) { cx = m_cBorderDC->Height(); }
void cOrvelCaption::GetRightMarginWidth(int& cx) { cx = m_cBorderDC->Height(); }
void cOrvelCaption::GetBottomMarginHeight(int& cy) { cy = m_cBorderDC->Height(); }

bool cOrvelCaption::IsActive() const noexcept { return m_cNCS && m_cNCS->WindowActive(); }

bool cOrvelCaption::HasButton(int index) const noexcept {
    switch (index) {
        case kClose: return m_bHasClose;
        case kMax: return m_bHasMax;
        case kMin: return m_bHasMin;
        default: return false;
    }
}

COLORREF cOrvelCaption::TranslateColor(OleColor oColor, HPALETTE hPal) noexcept {
    COLORREF rgb = 0;
    return SUCCEEDED(OleTranslateColor(oColor, hPal, &rgb)) ? rgb : CLR_INVALID;
}

void cOrvelCaption::FontToLogFont(const StdFont& iFnt, HDC hdc, LOGFONTA& tLF) {
    const std::wstring& name = iFnt.Name();
    std::string face(name.size() * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), face.data(),
                                          static_cast<int>(face.size()), nullptr, nullptr);
    face.resize(static_cast<size_t>(std::max(bytes, 0)));
    // A face name longer than the field is cut; the field always ends in a zero.
    const size_t copied = std::min(face.size(), sizeof tLF.lfFaceName - 1);
    std::copy_n(face.data(), copied, tLF.lfFaceName);
    tLF.lfFaceName[copied] = '\0';

    tLF.lfHeight = iFnt.Height(GetDeviceCaps(hdc, LOGPIXELSY));
    tLF.lfItalic = iFnt.Italic() ? 0xFF : 0;
    tLF.lfWeight = iFnt.Bold() ? FW_BOLD : FW_NORMAL;
    tLF.lfUnderline = iFnt.Underline() ? 0xFF : 0;
    tLF.lfStrikeOut = iFnt.Strikethrough() ? 0xFF : 0;
    tLF.lfCharSet = iFnt.Charset();
}

void cOrvelCaption::DrawButton(HDC hdc, int index, int state) {
    if (!HasButton(index)) return;
    int column = kCloseColumn;
    if (index == kMax)
        column = kButtonsColumn + ((GetWindowLongA(m_hWnd, GWL_STYLE) & WS_MAXIMIZE) ? 1 : 2) * lButtonWidth;
    else if (index == kMin)
        column = kButtonsColumn + 3 * lButtonWidth;
    const int row = state == 1 ? lButtonHeight : 0;
    Copy(hdc, m_tBtnR[index].left, m_tBtnR[index].top, lButtonWidth, lButtonHeight, m_cCaptionDC->hdc(), column, row);
}

void cOrvelCaption::NCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) {
    const int capH = m_cCaptionDC->Height();
    const int B = m_cBorderDC->Height();
    const int rightW = lActiveRightEnd - lActiveRightStart + 1;
    const bool active = IsActive();
    const int srcX0 = active ? 0 : lInactiveOffset;
    const HDC captionDC = m_cCaptionDC->hdc();

    // 1. Buffers only grow, so a paint allocates nothing once the window has
    //    been this large.
    m_cCaptionBuf->Width(lRight - lLeft + 1);
    m_cCaptionBuf->Height(capH);
    m_cSideBuf->Width(2 * m_cBorderDC->Width());
    m_cSideBuf->Height(lBottom - lTop + 1);
    const HDC buf = m_cCaptionBuf->hdc();
    const HDC side = m_cSideBuf->hdc();

    // 2. Title font, bold while active.
    LOGFONTA lf{};
    FontToLogFont(*m_iCaptionFont, hdc, lf);
    if (active) lf.lfWeight = FW_BOLD;
    const UniqueFont font(CreateFontIndirectA(&lf));
    const SelectGuard fontSelected(buf, font.get());

    // 3. and 4. The two ends; a narrow window keeps its right end clear of the left one.
    Copy(buf, lLeft, lTop, lLeft + lActiveLeftEnd, capH, captionDC, srcX0, 0);
    int xR = lRight - rightW + 1;
    const bool narrow = xR < lLeft + rightW;
    if (narrow) xR = lLeft + rightW;
    Copy(buf, xR, lTop, rightW, capH, captionDC, srcX0 + lActiveRightStart, 0);

    // 5. Buttons, right to left from the anchor; an absent one takes no room.
    const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
    m_bHasMax = (style & WS_MAXIMIZEBOX) != 0;
    m_bHasMin = (style & WS_MINIMIZEBOX) != 0;
    m_bHasClose = (style & WS_SYSMENU) != 0;
    const int anchor = xR + rightW - B + 4;
    auto place = [&](RECT& r, int left) {
        r = {left, lTop + kButtonTop, left + lButtonWidth + 1, lTop + kButtonTop + lButtonHeight};
    };
    m_tBtnR[kClose].left = anchor;
    if (m_bHasClose) {
        place(m_tBtnR[kClose], anchor - (lButtonWidth + 1));
        DrawButton(buf, kClose, 0);
    }
    if (m_bHasMax) {
        place(m_tBtnR[kMax], m_tBtnR[kClose].left - (lButtonWidth + 1));
        DrawButton(buf, kMax, 0);
    } else {
        m_tBtnR[kMax].left = m_tBtnR[kClose].left;
    }
    if (m_bHasMin) {
        place(m_tBtnR[kMin], m_tBtnR[kMax].left - (lButtonWidth + 1));
        DrawButton(buf, kMin, 0);
    }

    // 6. The middle, tiled up to the right end.
    int x = lLeft + kMiddleStart;
    do {
        Copy(buf, x, 0, std::min(kTileWidth, xR - x), capH, captionDC, srcX0 + lActiveLeftEnd + 1, 0);
        x += kTileWidth;
    } while (x < xR);

    // 7. The title, on one line at the top of its rectangle.
    if (!narrow) {
        SetBkMode(buf, TRANSPARENT);
        SetTextColor(buf, TranslateColor(active ? m_oActiveCaptionColor : m_oInActiveCaptionColor));
        if (const int length = GetWindowTextLengthA(m_hWnd); length >= 1) {
            std::string title(static_cast<size_t>(length) + 1, '\0');
            GetWindowTextA(m_hWnd, title.data(), length + 1);
            RECT r{lLeft + 92, B + 1, lRight - 96, B + 1 + (capH - B - 2) / 2};
            DrawTextA(buf, title.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }

    // 8. The menu bar, under the title, in the title's face at normal weight.
    {
        lf.lfWeight = FW_NORMAL;
        const UniqueFont menuFont(CreateFontIndirectA(&lf));
        m_cMenu->hMenu(m_cNCS->hMenu());
        m_cMenu->Render(menuFont.get(), buf, lActiveLeftEnd, capH / 2, xR - lActiveLeftEnd, capH / 2, 2 - capH / 2);
    }

    // 9. The whole caption strip in one copy.
    Copy(hdc, 0, 0, m_cCaptionBuf->Width(), m_cCaptionBuf->Height(), buf, 0, 0);

    // A skin without a border bitmap has no edges to draw (and nothing to
    // double them with).
    if (B <= 0) return;

    // 10. Side edges: one cell each, then the strip doubles itself downwards.
    int y = capH, block = B, rightCell = 4 * B, sourceRow = 0;
    HDC source = m_cBorderDC->hdc();
    bool first = true;
    do {
        Copy(side, 0, lTop + y, B, block, source, 0, sourceRow);
        Copy(side, B, lTop + y, B, block, source, rightCell, sourceRow);
        if (first) {
            first = false;
            source = side;
            rightCell = B;
            sourceRow = lTop + capH;
            y += B;
        } else {
            y += block;
            block *= 2;
        }
    } while (y < lBottom - B);
    const int edgeHeight = lBottom - lTop - capH;
    Copy(hdc, lLeft, lTop + capH, B, edgeHeight, side, 0, lTop + capH);
    Copy(hdc, lRight - B, lTop + capH, B, edgeHeight, side, B, lTop + capH);

    // 11. Bottom edge with its corners, composed in the caption buffer's top rows.
    const int yB = std::max(lBottom - B, capH);
    x = lLeft + B;
    Copy(buf, x, 0, B, B, m_cBorderDC->hdc(), 3 * B, 0);
    for (x += B; x < lRight - B; x += B) Copy(buf, x, 0, B, B, buf, x - B, 0);
    Copy(buf, lLeft, 0, B, B, m_cBorderDC->hdc(), 2 * B, 0);
    Copy(buf, lRight - B, 0, B, B, m_cBorderDC->hdc(), 6 * B, 0);
    Copy(hdc, lLeft, yB, m_cCaptionBuf->Width(), B, buf, 0, 0);
    // 12. The font is deselected and deleted as the guards go.
}

void cOrvelCaption::HitTest(int x, int y, int& eHitTest) {
    const POINT at{x, y};
    // A menu bar item is the bar's wherever it is drawn, also where its box
    // reaches up into the title band: the bar hears the pointer as client
    // messages.
    if (m_cMenu && m_cMenu->ItemCount() > 0) {
        RECT window{};
        GetWindowRect(m_hWnd, &window);
        if (m_cMenu->ItemFromPoint({window.left + x, window.top + y}) > 0) eHitTest = HTCLIENT;
    }
    if (PtInRect(&kIconArea, at)) {
        eHitTest = HTSYSMENU;
        return;
    }
    bool inside[3] = {};
    for (int i = kClose; i <= kMin; ++i) {
        inside[i] = HasButton(i) && PtInRect(&m_tBtnR[i], at);
        if (inside[i]) eHitTest = HTSYSMENU;
    }
    // A pressed button the pointer has left springs back at once.
    const bool down[3] = {m_bDownClose, m_bDownMax, m_bDownMin};
    WindowDC dc = WindowDC::Whole(m_hWnd);
    for (int i = kClose; i <= kMin; ++i)
        if (HasButton(i) && down[i] != inside[i]) DrawButton(dc.get(), i, 0);
}

void cOrvelCaption::NCMouseDown(int x, int y, bool& bHandled, HDC hdc, int, int, int, int) {
    const POINT at{x, y};
    bool* down[3] = {&m_bDownClose, &m_bDownMax, &m_bDownMin};
    for (int i = kClose; i <= kMin; ++i) {
        if (HasButton(i) && PtInRect(&m_tBtnR[i], at)) {
            DrawButton(hdc, i, 1);
            *down[i] = true;
            bHandled = true;
        }
    }
    if (bHandled) WatchPress();
}

void cOrvelCaption::WatchPress() {
    // The window hears of the release only when it happens over the window's
    // frame, and of the pointer only while it is over the window: a press
    // that ends in a child, another window or off the window would leave
    // its button drawn pressed. A poll watches the button until it comes up.
    try {
        if (!m_cPressTmr) {
            m_cPressTmr = CTimer::Create();
            std::weak_ptr<cOrvelCaption> self = SharedFrom(this);
            m_cPressTmr->OnThatTime([self] {
                if (const auto caption = self.lock()) caption->OnPressPollTimer();
            });
        }
        m_cPressTmr->Interval(kPressPollMs);
    } catch (...) {
        // Without the poll the press still works; only the look may lag.
    }
}

void cOrvelCaption::OnPressPollTimer() {
    const bool held = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    POINT at{};
    GetCursorPos(&at);
    at = {at.x - window.left, at.y - window.top};
    const bool down[3] = {m_bDownClose, m_bDownMax, m_bDownMin};
    {
        WindowDC dc = WindowDC::Whole(m_hWnd);
        for (int i = kClose; i <= kMin; ++i)
            if (HasButton(i) && down[i] && (!held || !PtInRect(&m_tBtnR[i], at))) DrawButton(dc.get(), i, 0);
    }
    if (held) return;
    // Released where the frame controller does not report it. A release over
    // a button that the window does see next still carries out its command:
    // the controller presses that button again at the release point.
    m_bDownClose = m_bDownMax = m_bDownMin = false;
    m_cPressTmr->Interval(0);
}

void cOrvelCaption::NCMouseUp(int x, int y, HDC hdc, int, int, int, int) {
    const POINT at{x, y};
    auto released = [&](int i, bool pressed) { return HasButton(i) && PtInRect(&m_tBtnR[i], at) && pressed; };
    if (released(kClose, m_bDownClose)) m_cNCS->SysCommand(SC_CLOSE);
    if (released(kMax, m_bDownMax))
        m_cNCS->SysCommand((GetWindowLongA(m_hWnd, GWL_STYLE) & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE);
    if (released(kMin, m_bDownMin)) m_cNCS->SysCommand(SC_MINIMIZE);
    for (int i = kClose; i <= kMin; ++i) DrawButton(hdc, i, 0);
    m_bDownClose = m_bDownMax = m_bDownMin = false;
    if (m_cPressTmr) m_cPressTmr->Interval(0);
}

void cOrvelCaption::InitMenuPopup(WPARAM wParam, LPARAM) {
    if (m_cMenu) m_cMenu->InitPopup(reinterpret_cast<HMENU>(wParam));
}

void cOrvelCaption::ExitMenuLoop() {
    if (m_cMenu) m_cMenu->RestorePopupItems();
}

int cOrvelCaption::AltKeyAccelerator(int vKey) { return m_cMenu && m_cMenu->AcceleratorKey(vKey) ? -1 : 0; }
