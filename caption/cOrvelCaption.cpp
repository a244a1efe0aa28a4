#include "cOrvelCaption.h"

#include <olectl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "plumbing/Dpi.h"
#include "plumbing/MSubclass.h"
#include "plumbing/MouseButtons.h"
#include "plumbing/cAccessible.h"
#include "plumbing/UniqueHandle.h"

namespace {

// Fixed pieces of the skin's geometry, at 96 DPI. The button cells follow
// the right end: close at lActiveRightEnd + 1, restore, maximize and
// minimize at lActiveRightEnd + n * lButtonWidth.
constexpr int kTileWidth = 52;
constexpr int kButtonTop = 5;
constexpr RECT kIconArea{12, 11, 42, 43};  // answers as the system menu
constexpr int kTitleLeft = 92, kTitleRightGap = 96;
// The inner line above the caption's lower band, which holds the menu bar;
// the band starts on the row below the line (one pixel thick at 96 DPI).
constexpr int kMenuBandLine = 30;
constexpr int kPressPollMs = 50;
// The pointer messages the caption follows for the buttons' hover look, the
// accessible objects, the keyboard's way into the menus, and the window's end
// (everything registered on a window must be gone before its WM_NCDESTROY
// returns).
constexpr UINT kMessages[] = {WM_NCMOUSEMOVE, WM_NCMOUSELEAVE, WM_GETOBJECT, WM_SYSCOMMAND, WM_DESTROY};

// Holds the window's redraw off while the skin is put on, when no other
// window is locked: the system allows one locked window at a time, and
// unlocking one this did not lock would release another's.
class UpdateLock {
public:
    explicit UpdateLock(HWND hwnd) noexcept : m_locked(LockWindowUpdate(hwnd) != FALSE) {}
    ~UpdateLock() {
        if (m_locked) LockWindowUpdate(nullptr);
    }
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    bool m_locked;
};

// A system menu item's text as a reader says it: the system's own word for
// the command, in the system's language.
std::wstring SystemMenuWord(HWND hwnd, UINT command, const wchar_t* fallback) {
    wchar_t text[128] = {};
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu || GetMenuStringW(menu, command, text, 128, MF_BYCOMMAND) <= 0) return fallback;
    const std::wstring name = cAccessible::MenuName(text);
    return name.empty() ? fallback : name;
}

// The word for pressing a button, in the user's language.
const wchar_t* PressWord() noexcept {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? L"按下" : L"Press";
}

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
    if (m_bSubclassed) {
        for (UINT message : kMessages) MSubclass::DetachMessage(*this, m_hWnd, message);
        m_bSubclassed = false;
    }
    m_iHot = -1;
    m_bTracking = false;
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
    const UpdateLock lock(f.hwnd());
    Detach();
    m_source = nullptr;
    m_dpi = f.WindowDpi();
    // The pictures are the caller's: copied now, drawn at 96 DPI whatever the window's.
    m_cCaptionDC = std::make_shared<cMemDC>();
    m_cCaptionDC->CreateFromPicture(PicCaption);
    m_cBorderDC = std::make_shared<cMemDC>();
    m_cBorderDC->CreateFromPicture(PicBorder);
    m_hoverSource = nullptr;
    m_cHoverDC = nullptr;
    m_cCaptionBuf = std::make_shared<cMemDC>();
    m_cSideBuf = std::make_shared<cMemDC>();
    lButtonWidth = lButtonWidthA;
    lButtonHeight = lButtonHeightA;
    lActiveLeftEnd = lActiveLeftEndA;
    lActiveRightStart = lActiveRightStartA;
    lActiveRightEnd = lActiveRightEndA;
    lInactiveOffset = lInactiveOffsetA;
    m_artDpi = Dpi::kBase;
    Connect(f);
}

void cOrvelCaption::Attach(IForm& f, DrawingSource source) {
    const UpdateLock lock(f.hwnd());
    Detach();
    m_source = std::move(source);
    m_dpi = f.WindowDpi();
    if (!UseDrawing(m_source(m_dpi))) {
        // Nothing to paint from: a skin without bitmaps, as with empty pictures.
        UseDrawing(Drawing{std::make_shared<StdPicture>(UniqueBitmap{}), nullptr, nullptr});
    }
    Connect(f);
}

bool cOrvelCaption::UseDrawing(const Drawing& d) {
    auto caption = std::make_shared<cMemDC>();
    if (d.caption) caption->CreateFromPicture(*d.caption);
    if (!caption->hdc() && m_cCaptionDC) return false;  // keeps the drawing it has
    auto border = std::make_shared<cMemDC>();
    if (d.border) border->CreateFromPicture(*d.border);
    m_cCaptionDC = std::move(caption);
    m_cBorderDC = std::move(border);
    m_hoverSource = d.hover;
    m_cHoverDC = nullptr;
    // New buffers: they only grow, and a smaller drawing must not keep a larger caption height.
    m_cCaptionBuf = std::make_shared<cMemDC>();
    m_cSideBuf = std::make_shared<cMemDC>();
    lButtonWidth = d.lButtonWidth;
    lButtonHeight = d.lButtonHeight;
    lActiveLeftEnd = d.lActiveLeftEnd;
    lActiveRightStart = d.lActiveRightStart;
    lActiveRightEnd = d.lActiveRightEnd;
    lInactiveOffset = d.lInactiveOffset;
    m_artDpi = d.dpi > 0 ? d.dpi : Dpi::kBase;
    return true;
}

void cOrvelCaption::Connect(IForm& f) {
    m_hWnd = f.hwnd();

    m_cMenu = std::make_shared<cMenuBar>();
    m_cMenu->Attach(m_hWnd);
    m_cMenu->WindowDpi(m_dpi);
    m_cMenu->Font(m_iMenuFont);
    m_cMenu->SetColors(m_oActiveMenuColor, m_oActiveMenuColorOver, m_oInActiveMenuColor, m_oMenuBackgroundColor);
    m_cMenu->CaptionHeight(m_cCaptionDC->Height());

    m_cNCS = std::make_shared<cNCCalcSize>();
    m_cNCS->WindowDpi(m_dpi);
    m_cNCS->Attach(*this);
    for (UINT message : kMessages) MSubclass::AttachMessage(*this, m_hWnd, message);
    m_bSubclassed = true;
    m_cNCS->Display(f);
    if (IsWindowVisible(m_hWnd)) {
        SetForegroundWindow(m_hWnd);
        SetFocus(m_hWnd);
        SendMessageA(m_hWnd, WM_NCACTIVATE, 1, 0);
    }
}

void cOrvelCaption::OnDpiChanged(int dpi) {
    if (dpi <= 0 || !m_hWnd || !m_cCaptionDC) return;
    m_dpi = dpi;
    if (m_source) {
        try {
            UseDrawing(m_source(dpi));
        } catch (...) {
            // The drawing the caption has still paints; only its scale is off.
        }
    }
    if (m_cMenu) {
        m_cMenu->WindowDpi(dpi);
        m_cMenu->CaptionHeight(m_cCaptionDC->Height());
    }
    if (m_cNCS) m_cNCS->WindowDpi(dpi);
    m_iHot = -1;
}

int cOrvelCaption::S(int px96) const noexcept { return Dpi::Scale(px96, m_artDpi); }

EMsgHandling cOrvelCaption::MsgResponse() {
    // The accessible objects and the keys are answered here (or handed on by
    // WindowProc itself); the rest goes on to the window.
    const UINT message = MSubclass::CurrentMessage();
    return message == WM_GETOBJECT || message == WM_SYSCOMMAND ? mhConsume : mhCallPreviousAfter;
}

LRESULT cOrvelCaption::WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    switch (iMsg) {
        case WM_GETOBJECT: {
            // The object id travels in the low 32 bits of lParam.
            const auto id = static_cast<LONG>(static_cast<DWORD>(lParam));
            if (id == OBJID_TITLEBAR) return cAccessible::Answer(wParam, SharedFrom(this));
            if (id == OBJID_MENU && m_cMenu && m_cMenu->ItemCount() > 0) return cAccessible::Answer(wParam, m_cMenu);
            return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == ' ' && HasButton(kClose)) {
                // Alt+Space: the system would place its menu where its own caption would be.
                ShowSystemMenu();
                return 0;
            }
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 && m_cMenu && m_cMenu->ItemCount() > 0) {
                // Alt alone or F10: the menu bar drawn in the caption takes the keys.
                m_cMenu->KeyboardMode();
                return 0;
            }
            return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
        case WM_NCMOUSEMOVE:
            OnNcMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        case WM_NCMOUSELEAVE:
            m_bTracking = false;
            SetHot(-1);
            break;
        case WM_DESTROY:
            Detach();
            break;
    }
    return 0;  // the window's own procedure answers (mhCallPreviousAfter)
}

void cOrvelCaption::OnNcMouseMove(POINT screen) {
    if (!m_hWnd || m_bDownClose || m_bDownMax || m_bDownMin) return;  // a press shows its own look
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    const POINT at{screen.x - window.left, screen.y - window.top};
    int hot = -1;
    for (int i = kClose; i <= kMin; ++i)
        if (HasButton(i) && PtInRect(&m_tBtnR[i], at)) hot = i;
    SetHot(hot);
}

void cOrvelCaption::SetHot(int index) {
    if (index == m_iHot || !m_hWnd) return;
    const int was = std::exchange(m_iHot, index);
    // Readers hear the hot button change as the system's title bar tells it.
    constexpr int kChildOf[] = {kChildClose, kChildMax, kChildMin};
    for (int i : {was, index})
        if (i >= 0) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWnd, OBJID_TITLEBAR, kChildOf[i]);
    {
        WindowDC dc = WindowDC::Whole(m_hWnd);
        if (was >= 0) DrawButton(dc.get(), was, kNormal);
        if (index >= 0) DrawButton(dc.get(), index, kHover);
    }
    if (index >= 0 && !m_bTracking) {
        // The system says when the pointer leaves the frame, into the client
        // area or off the window, so the light goes out then.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, m_hWnd, 0};
        m_bTracking = TrackMouseEvent(&track) != FALSE;
    }
}

void cOrvelCaption::ShowSystemMenu() {
    const HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (!menu) return;
    // The items that apply to the window as it is now, as the system sets
    // them before it shows the menu.
    const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
    const bool zoomed = (style & WS_MAXIMIZE) != 0, iconic = (style & WS_MINIMIZE) != 0;
    auto enable = [menu](UINT command, bool on) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_RESTORE, zoomed || iconic);
    enable(SC_MOVE, !zoomed && !iconic);
    enable(SC_SIZE, !zoomed && !iconic && (style & WS_THICKFRAME));
    enable(SC_MINIMIZE, !iconic && (style & WS_MINIMIZEBOX));
    enable(SC_MAXIMIZE, !zoomed && (style & WS_MAXIMIZEBOX));
    SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    const int B = m_cBorderDC ? m_cBorderDC->Height() : 0;
    const int titleBottom = TitleBandHeight();
    const UINT command = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY,
                                          window.left + B, window.top + titleBottom, m_hWnd, nullptr);
    if (command) PostMessageA(m_hWnd, WM_SYSCOMMAND, command, 0);
}

int cOrvelCaption::MenuBandTop() const noexcept {
    const int capH = m_cCaptionDC ? m_cCaptionDC->Height() : 0;
    const int band = S(kMenuBandLine) + S(1);
    return band < capH ? band : capH / 2;  // a caption without the band: its lower half
}

int cOrvelCaption::TitleBandHeight() const noexcept {
    if (m_cMenu && m_cMenu->ItemCount() > 0) return MenuBandTop();
    return m_cCaptionDC ? m_cCaptionDC->Height() : 0;
}

int cOrvelCaption::ButtonOfChild(int child) noexcept {
    switch (child) {
        case kChildMin: return kMin;
        case kChildMax: return kMax;
        case kChildClose: return kClose;
        default: return -1;
    }
}

WPARAM cOrvelCaption::ButtonCommand(int index) const noexcept {
    switch (index) {
        case kClose: return SC_CLOSE;
        case kMax: return (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE;
        default: return SC_MINIMIZE;
    }
}

bool cOrvelCaption::ButtonDown(int index) const noexcept {
    return index == kClose ? m_bDownClose : index == kMax ? m_bDownMax : m_bDownMin;
}

bool cOrvelCaption::DescribeElement(int child, AccessibleElement& element) {
    if (!m_hWnd || !m_cCaptionDC) return false;
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    if (child == CHILDID_SELF) {
        const int length = GetWindowTextLengthW(m_hWnd);
        element.name.assign(static_cast<size_t>(length) + 1, L'\0');
        element.name.resize(static_cast<size_t>(GetWindowTextW(m_hWnd, element.name.data(), length + 1)));
        element.role = ROLE_SYSTEM_TITLEBAR;
        element.state = STATE_SYSTEM_FOCUSABLE;
        element.screen = {window.left, window.top, window.right, window.top + TitleBandHeight()};
        return true;
    }
    element.role = ROLE_SYSTEM_PUSHBUTTON;
    const int index = ButtonOfChild(child);
    if (index < 0 || !HasButton(index)) {
        element.state = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE;
        return true;
    }
    const WPARAM command = ButtonCommand(index);
    static constexpr const wchar_t* kFallback[] = {L"Close", L"Maximize", L"Minimize"};
    element.name = SystemMenuWord(m_hWnd, static_cast<UINT>(command), command == SC_RESTORE ? L"Restore" : kFallback[index]);
    element.defaultAction = PressWord();
    const UINT menuState = GetMenuState(GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
    const bool closeOff = index == kClose && menuState != static_cast<UINT>(-1) && (menuState & MF_GRAYED);
    if (!IsWindowEnabled(m_hWnd) || closeOff) element.state |= STATE_SYSTEM_UNAVAILABLE;
    if (ButtonDown(index)) element.state |= STATE_SYSTEM_PRESSED;
    if (index == m_iHot) element.state |= STATE_SYSTEM_HOTTRACKED;
    element.screen = m_tBtnR[index];
    OffsetRect(&element.screen, window.left, window.top);
    return true;
}

bool cOrvelCaption::DoDefaultAction(int child) {
    const int index = ButtonOfChild(child);
    if (index < 0 || !HasButton(index) || !m_cNCS || !IsWindowEnabled(m_hWnd)) return false;
    // As a release over the button does: the command is posted.
    m_cNCS->SysCommand(ButtonCommand(index));
    return true;
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
    FontToLogFont(iFnt, GetDeviceCaps(hdc, LOGPIXELSY), tLF);
}

void cOrvelCaption::FontToLogFont(const StdFont& iFnt, int dpi, LOGFONTA& tLF) {
    const std::wstring& name = iFnt.Name();
    std::string face(name.size() * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), face.data(),
                                          static_cast<int>(face.size()), nullptr, nullptr);
    face.resize(static_cast<size_t>(std::max(bytes, 0)));
    // A face name longer than the field is cut; the field always ends in a zero.
    const size_t copied = std::min(face.size(), sizeof tLF.lfFaceName - 1);
    std::copy_n(face.data(), copied, tLF.lfFaceName);
    tLF.lfFaceName[copied] = '\0';

    tLF.lfHeight = iFnt.Height(dpi);
    tLF.lfItalic = iFnt.Italic() ? 0xFF : 0;
    tLF.lfWeight = iFnt.Bold() ? FW_BOLD : FW_NORMAL;
    tLF.lfUnderline = iFnt.Underline() ? 0xFF : 0;
    tLF.lfStrikeOut = iFnt.Strikethrough() ? 0xFF : 0;
    tLF.lfCharSet = iFnt.Charset();
}

void cOrvelCaption::DrawButton(HDC hdc, int index, int state) {
    if (!HasButton(index)) return;
    // Cells in the order close, restore, maximize, minimize.
    int cell = 0;
    if (index == kMax)
        cell = (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_MAXIMIZE) ? 1 : 2;
    else if (index == kMin)
        cell = 3;
    const int x = m_tBtnR[index].left, y = m_tBtnR[index].top;
    if (state == kHover) {
        if (const HDC hover = HoverDC()) {
            Copy(hdc, x, y, lButtonWidth, lButtonHeight, hover, cell * lButtonWidth, 0);
            return;
        }
    }
    const int column = cell == 0 ? lActiveRightEnd + 1 : lActiveRightEnd + cell * lButtonWidth;
    const int row = state == kPressed ? lButtonHeight : 0;
    Copy(hdc, x, y, lButtonWidth, lButtonHeight, m_cCaptionDC->hdc(), column, row);
}

HDC cOrvelCaption::HoverDC() {
    if (!m_cHoverDC && m_hoverSource) {
        // Tried once: a DC without a surface stands for "no hover looks".
        m_cHoverDC = std::make_shared<cMemDC>();
        try {
            if (const std::shared_ptr<StdPicture> hover = m_hoverSource()) m_cHoverDC->CreateFromPicture(*hover);
        } catch (...) {
            // A lit button shows its normal look instead.
        }
    }
    return m_cHoverDC ? m_cHoverDC->hdc() : nullptr;
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
    FontToLogFont(*m_iCaptionFont, m_dpi, lf);
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
    const int anchor = xR + rightW - B + S(4);
    const int buttonTop = lTop + S(kButtonTop);
    auto place = [&](RECT& r, int left) { r = {left, buttonTop, left + lButtonWidth + 1, buttonTop + lButtonHeight}; };
    m_tBtnR[kClose].left = anchor;
    if (m_bHasClose) {
        place(m_tBtnR[kClose], anchor - (lButtonWidth + 1));
        DrawButton(buf, kClose, ButtonLook(kClose));
    }
    if (m_bHasMax) {
        place(m_tBtnR[kMax], m_tBtnR[kClose].left - (lButtonWidth + 1));
        DrawButton(buf, kMax, ButtonLook(kMax));
    } else {
        m_tBtnR[kMax].left = m_tBtnR[kClose].left;
    }
    if (m_bHasMin) {
        place(m_tBtnR[kMin], m_tBtnR[kMax].left - (lButtonWidth + 1));
        DrawButton(buf, kMin, ButtonLook(kMin));
    }

    // 6. The middle, tiled up to the right end.
    const int tileWidth = S(kTileWidth);
    int x = lLeft + lActiveLeftEnd;
    do {
        Copy(buf, x, 0, std::min(tileWidth, xR - x), capH, captionDC, srcX0 + lActiveLeftEnd + 1, 0);
        x += tileWidth;
    } while (x < xR);

    // 7. The title, on one line at the top of its rectangle.
    if (!narrow) {
        SetBkMode(buf, TRANSPARENT);
        SetTextColor(buf, TranslateColor(active ? m_oActiveCaptionColor : m_oInActiveCaptionColor));
        if (const int length = GetWindowTextLengthA(m_hWnd); length >= 1) {
            std::string title(static_cast<size_t>(length) + 1, '\0');
            GetWindowTextA(m_hWnd, title.data(), length + 1);
            const int top = B + S(1);
            RECT r{lLeft + S(kTitleLeft), top, lRight - S(kTitleRightGap), top + (capH - B - 2 * S(1)) / 2};
            DrawTextA(buf, title.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }

    // 8. The menu bar, under the title, in the title's face at normal weight.
    {
        lf.lfWeight = FW_NORMAL;
        const UniqueFont menuFont(CreateFontIndirectA(&lf));
        m_cMenu->hMenu(m_cNCS->hMenu());
        // The bar fills the band under the inner line (Render drops the strip by 2 pixels itself).
        const int band = MenuBandTop();
        m_cMenu->Render(menuFont.get(), buf, lActiveLeftEnd, band - S(2), xR - lActiveLeftEnd, capH - band, band - capH);
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
    const RECT icon{S(kIconArea.left), S(kIconArea.top), S(kIconArea.right), S(kIconArea.bottom)};
    if (PtInRect(&icon, at)) {
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
        if (HasButton(i) && down[i] != inside[i]) DrawButton(dc.get(), i, ButtonLook(i));
}

void cOrvelCaption::NCMouseDown(int x, int y, bool& bHandled, HDC hdc, int, int, int, int) {
    const POINT at{x, y};
    bool* down[3] = {&m_bDownClose, &m_bDownMax, &m_bDownMin};
    for (int i = kClose; i <= kMin; ++i) {
        if (HasButton(i) && PtInRect(&m_tBtnR[i], at)) {
            m_iHot = -1;
            DrawButton(hdc, i, kPressed);
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
    const bool held = MouseButtons::PrimaryDown();
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
    for (int i = kClose; i <= kMin; ++i)
        if (HasButton(i) && PtInRect(&m_tBtnR[i], at) && ButtonDown(i)) m_cNCS->SysCommand(ButtonCommand(i));
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
