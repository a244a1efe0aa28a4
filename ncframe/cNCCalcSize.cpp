#include "cNCCalcSize.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "mDeclares.h"
#include "plumbing/Dpi.h"
#include "plumbing/Dwm.h"
#include "plumbing/MSubclass.h"
#include "plumbing/MouseButtons.h"
#include "plumbing/ObjectFromPtr.h"
#include "plumbing/ScopeGuard.h"
#include "plumbing/UniqueHandle.h"

namespace {

// Undocumented messages with which themed windows have DefWindowProc paint
// the system's caption and frame outside WM_NCPAINT.
constexpr UINT kNcUahDrawCaption = 0xAE, kNcUahDrawFrame = 0xAF;

// Messages the controller attaches, in this order (WM_SIZE only for an MDI
// child, between WM_DWMCOMPOSITIONCHANGED and WM_DESTROY).
constexpr UINT kMessages[] = {WM_NCCALCSIZE,     WM_NCPAINT,     WM_NCACTIVATE,   WM_NCLBUTTONDOWN,
                              WM_NCLBUTTONUP,    WM_NCLBUTTONDBLCLK, WM_NCHITTEST, WM_SETCURSOR,
                              WM_INITMENU,       WM_INITMENUPOPUP, WM_STYLECHANGED, WM_SETTEXT,
                              WM_SETICON,        WM_ACTIVATEAPP, WM_ENTERMENULOOP, WM_EXITMENULOOP,
                              kNcUahDrawCaption, kNcUahDrawFrame, WM_DWMCOMPOSITIONCHANGED};

// Under DWM the frame is the window manager's unless the window turns its
// non-client rendering off (DWMWA_NCRENDERING_POLICY): its caption and
// buttons would show over or through the skin. The skin's corners are
// square, so Windows 11 is asked not to round them.
void TakeFrameFromDwm(HWND hwnd) noexcept {
    Dwm::SetWindowAttribute(hwnd, Dwm::kNcRenderingPolicy, Dwm::kPolicyDisabled);
    Dwm::SetWindowAttribute(hwnd, Dwm::kCornerPreference, Dwm::kCornerSquare);
}

void GiveFrameToDwm(HWND hwnd) noexcept {
    Dwm::SetWindowAttribute(hwnd, Dwm::kNcRenderingPolicy, Dwm::kPolicyUseWindowStyle);
    Dwm::SetWindowAttribute(hwnd, Dwm::kCornerPreference, Dwm::kCornerDefault);
}

RECT WindowRectAtOrigin(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    return r;
}

POINT CursorInWindow(HWND hwnd) {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {cursor.x - r.left, cursor.y - r.top};
}

}  // namespace

cNCCalcSize::~cNCCalcSize() { Detach(); }

void cNCCalcSize::Redraw(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void cNCCalcSize::Display(IForm& f) {
    try {
        f.Refresh();
    } catch (...) {
        // Refreshing is a courtesy; the frame is recomputed below either way.
    }
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
}

void cNCCalcSize::TitleBarMouseDown() {
    POINT cursor{};
    GetCursorPos(&cursor);
    ReleaseCapture();
    SendMessageA(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
}

void cNCCalcSize::SysCommand(WPARAM eCmd) { PostMessageA(m_hWnd, WM_SYSCOMMAND, eCmd, 0); }

void cNCCalcSize::Attach(INCAreaModifier& iTo) {
    Detach();
    m_hWnd = iTo.hwnd();
    m_hMenu = GetMenu(m_hWnd);
    m_bIsMDIChild = IsMDIChild(m_hWnd);

    for (UINT message : kMessages) MSubclass::AttachMessage(*this, m_hWnd, message);
    if (m_bIsMDIChild) MSubclass::AttachMessage(*this, m_hWnd, WM_SIZE);
    MSubclass::AttachMessage(*this, m_hWnd, WM_DESTROY);

    // Scratch buffer for the default caption strip: screen wide, four captions
    // high, in the screen's format.
    m_scratch.emplace();
    m_scratch->Width(GetSystemMetrics(SM_CXSCREEN));
    m_scratch->Height(4 * Dpi::Metric(SM_CYCAPTION, m_dpi));

    SetPropA(m_hWnd, kImplementationProperty, reinterpret_cast<HANDLE>(ObjPtr(&iTo)));
    mDeclares::AttachKeyboardHook(*this);
    TakeFrameFromDwm(m_hWnd);
}

void cNCCalcSize::Detach() noexcept {
    mDeclares::DetachKeyboardHook(*this);
    if (m_hWnd) {
        for (UINT message : kMessages) MSubclass::DetachMessage(*this, m_hWnd, message);
        if (m_bIsMDIChild) {
            MSubclass::DetachMessage(*this, m_hWnd, WM_SIZE);
            m_bIsMDIChild = false;
        }
        MSubclass::DetachMessage(*this, m_hWnd, WM_DESTROY);
        GiveFrameToDwm(m_hWnd);
    }
    m_scratch.reset();
    if (m_hWnd) RemovePropA(m_hWnd, kImplementationProperty);
    m_hWnd = nullptr;
    m_hMenu = nullptr;
}

bool cNCCalcSize::GetImplementation(std::shared_ptr<INCAreaModifier>& iTo) const {
    if (!m_hWnd) return false;
    const auto ptr = reinterpret_cast<LONG_PTR>(GetPropA(m_hWnd, kImplementationProperty));
    auto skin = ObjectFromPtr<INCAreaModifier>(ptr);
    if (!skin) return false;
    iTo = std::move(skin);
    return true;
}

int cNCCalcSize::ForwardAltKey(int vKey) {
    std::shared_ptr<INCAreaModifier> skin;
    return GetImplementation(skin) ? skin->AltKeyAccelerator(vKey) : 0;
}

bool cNCCalcSize::IsMDIChild(HWND hwnd) {
    char name[260] = {};
    if (GetClassNameA(GetParent(hwnd), name, 259) <= 0) return false;
    return std::strcmp(name, "MDIClient") == 0;
}

EMsgHandling cNCCalcSize::MsgResponse() {
    switch (MSubclass::CurrentMessage()) {
        case WM_SIZE: case WM_SETTEXT: case WM_SETICON: case WM_SETCURSOR: case WM_STYLECHANGED: case WM_NCHITTEST:
        case WM_NCPAINT: case kNcUahDrawCaption: case kNcUahDrawFrame: case WM_DWMCOMPOSITIONCHANGED:
        case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: case WM_INITMENU: case WM_INITMENUPOPUP:
        case WM_ENTERMENULOOP: case WM_EXITMENULOOP:
        case WM_NCACTIVATE:  // passed on by the handler itself, once
            return mhConsume;
        default:
            return mhCallPreviousBefore;
    }
}

LRESULT cNCCalcSize::PassOn(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
}

void cNCCalcSize::RepaintFrame(HWND hwnd) { WindowProc(hwnd, WM_NCPAINT, 0, 0); }

LRESULT cNCCalcSize::WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<INCAreaModifier> skin;
    switch (iMsg) {
        case WM_NCCALCSIZE:
            return OnNcCalcSize(hwnd, wParam, lParam);
        case WM_NCHITTEST: {
            if (!GetImplementation(skin)) return PassOn(hwnd, iMsg, wParam, lParam);
            // The point the system asks about (for real input, the cursor).
            const int e = ComputeHitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return e == HTMENU ? HTCLIENT : e;
        }
        case WM_NCPAINT:
            return OnNcPaint(hwnd, wParam, lParam);
        case WM_NCACTIVATE: {
            // The system still tracks the activation, but with lParam -1 it
            // does not paint its own frame first: the frame is repainted
            // right after, and the system's caption would flash under it.
            m_bActive = wParam != 0;
            const LRESULT result = PassOn(hwnd, iMsg, wParam, -1);
            RepaintFrame(m_hWnd);
            return result;
        }
        case WM_ACTIVATEAPP:
            m_bAppActive = wParam != 0;
            return 0;
        case WM_SETCURSOR:
            return OnSetCursor(hwnd, wParam, lParam);
        case kNcUahDrawCaption: case kNcUahDrawFrame:
            // The skin has painted the frame; the system's would cover it.
            return 0;
        case WM_DWMCOMPOSITIONCHANGED:
            // Composition switched on or off (Windows 7): the policy is set
            // anew and the frame recomputed and repainted for the new mode.
            TakeFrameFromDwm(hwnd);
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
            return 0;
        case WM_SETTEXT: case WM_SETICON: case WM_STYLECHANGED: case WM_NCLBUTTONDBLCLK: {
            const LRESULT result = PassOn(hwnd, iMsg, wParam, lParam);
            if (!s_bInSetCursor) RepaintFrame(hwnd);
            return result;
        }
        case WM_SIZE: case WM_INITMENU: case WM_ENTERMENULOOP:
            PassOn(hwnd, iMsg, wParam, lParam);
            RepaintFrame(hwnd);
            return 0;
        case WM_EXITMENULOOP:
            PassOn(hwnd, iMsg, wParam, lParam);
            RepaintFrame(hwnd);
            if (GetImplementation(skin)) skin->ExitMenuLoop();
            return 0;
        case WM_INITMENUPOPUP:
            PassOn(hwnd, iMsg, wParam, lParam);
            RepaintFrame(hwnd);
            if (HIWORD(lParam) == 0 && GetImplementation(skin)) skin->InitMenuPopup(wParam, lParam);
            return 0;
        case WM_NCLBUTTONDOWN:
            return OnNcLButtonDown(hwnd, wParam, lParam);
        case WM_NCLBUTTONUP:
            return OnNcLButtonUp();
        case WM_DESTROY:
            Detach();
            return 0;
    }
    return 0;
}

LRESULT cNCCalcSize::OnNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    m_bMaxMDIChild = IsMDIChild(hwnd) && IsZoomed(hwnd);
    if (wParam == 0) return PassOn(hwnd, WM_NCCALCSIZE, 0, lParam);

    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    const WINDOWPOS* pos = params->lppos;
    RECT proposed{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};

    m_lLeft = m_lRight = Dpi::Metric(SM_CXFRAME, m_dpi);
    m_lTop = Dpi::Metric(SM_CYCAPTION, m_dpi) + Dpi::Metric(SM_CYFRAME, m_dpi);
    m_lBottom = Dpi::Metric(SM_CYFRAME, m_dpi);
    std::shared_ptr<INCAreaModifier> skin;
    if (!m_bMaxMDIChild && GetImplementation(skin)) {
        skin->GetLeftMarginWidth(m_lLeft);
        skin->GetTopMarginHeight(m_lTop);
        skin->GetRightMarginWidth(m_lRight);
        skin->GetBottomMarginHeight(m_lBottom);
    }
    params->rgrc[0] = {proposed.left + m_lLeft, proposed.top + m_lTop, proposed.right - m_lRight,
                       proposed.bottom - m_lBottom};
    params->rgrc[1] = params->rgrc[0];
    return WVR_REDRAW;
}

LRESULT cNCCalcSize::OnNcPaint(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (!IsWindowVisible(hwnd)) return 0;
    m_bMaxMDIChild = IsMDIChild(hwnd) && IsZoomed(hwnd);
    if (m_bMaxMDIChild) return PassOn(hwnd, WM_NCPAINT, wParam, lParam);

    WindowDC dc = WindowDC::Whole(m_hWnd);
    if (!dc) return 0;
    const RECT r = WindowRectAtOrigin(m_hWnd);
    std::shared_ptr<INCAreaModifier> skin;
    if (GetImplementation(skin))
        skin->NCPaint(dc.get(), 0, 0, r.right, r.bottom);
    else
        DefaultNCPaint(dc.get(), 0, 0, r.right, r.bottom);
    return 0;
}

LRESULT cNCCalcSize::OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    // The guard keeps what the system does while it answers WM_SETCURSOR
    // from repainting the frame; a menu put back on the window is taken off
    // again. The window stays WS_VISIBLE throughout: hiding it for the
    // moment, as this once did, sent a click that arrived meanwhile to the
    // window beneath, and the user's press was lost.
    s_bInSetCursor = true;
    const LRESULT result = PassOn(hwnd, WM_SETCURSOR, wParam, lParam);
    if (GetMenu(m_hWnd)) SetMenu(m_hWnd, nullptr);
    s_bInSetCursor = false;
    return result;
}

void cNCCalcSize::NudgeCursor() {
    // A one-pixel move, alternating direction, so the system notices the
    // pointer over the frame again. An absolute position: a relative
    // mouse_event move is scaled by the pointer speed and acceleration, and
    // one pixel may become none or two.
    if (s_lNudgeX == 0) s_lNudgeX = 1;
    if (s_lNudgeY == 0) s_lNudgeY = 1;
    s_lNudgeX = -s_lNudgeX;
    s_lNudgeY = -s_lNudgeY;
    POINT at{};
    if (GetCursorPos(&at)) SetCursorPos(at.x + s_lNudgeX, at.y + s_lNudgeY);
}

LRESULT cNCCalcSize::OnNcLButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    NudgeCursor();
    std::shared_ptr<INCAreaModifier> skin;
    if (!GetImplementation(skin)) {
        // Nothing to hit-test against: the press goes on with its own code.
        PassOn(hwnd, WM_NCLBUTTONDOWN, wParam, lParam);
        RepaintFrame(hwnd);
        return 0;
    }
    // The press carries the hit-test code of its own point: the last
    // WM_NCHITTEST may have been another program's question about another point.
    if (wParam == HTCAPTION) {
        if (!m_bActive) SetForegroundWindow(m_hWnd);
        DragMoveWindow();
        return 0;
    }
    const POINT at = CursorInWindow(m_hWnd);
    const RECT r = WindowRectAtOrigin(m_hWnd);
    bool bHandled = false;
    {
        WindowDC dc = WindowDC::Whole(m_hWnd);
        skin->NCMouseDown(at.x, at.y, bHandled, dc.get(), 0, 0, r.right, r.bottom);
    }
    if (bHandled) return 0;
    PassOn(hwnd, WM_NCLBUTTONDOWN, wParam, lParam);
    RepaintFrame(hwnd);
    return 0;
}

LRESULT cNCCalcSize::OnNcLButtonUp() {
    std::shared_ptr<INCAreaModifier> skin;
    if (!GetImplementation(skin)) return 0;
    const POINT at = CursorInWindow(m_hWnd);
    const RECT r = WindowRectAtOrigin(m_hWnd);
    WindowDC dc = WindowDC::Whole(m_hWnd);
    bool bHandled = false;
    skin->NCMouseDown(at.x, at.y, bHandled, dc.get(), 0, 0, r.right, r.bottom);
    skin->NCMouseUp(at.x, at.y, dc.get(), 0, 0, r.right, r.bottom);
    return 0;
}

int cNCCalcSize::ComputeHitTest(POINT screen) const {
    std::shared_ptr<INCAreaModifier> skin;
    if (!GetImplementation(skin)) return 0;
    const bool sizable = (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_THICKFRAME) != 0;
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    const int x = screen.x - window.left, y = screen.y - window.top;
    const int W = window.right - window.left, H = window.bottom - window.top;
    const int cyCaption = Dpi::Metric(SM_CYCAPTION, m_dpi);

    int e = HTCLIENT;
    if (x >= 0 && y >= 0 && x < W && y < H) {
        // The top border is as thick as the bottom margin.
        int border = 0;
        if (x <= m_lLeft)
            border = y <= m_lBottom ? HTTOPLEFT : y >= H - m_lBottom ? HTBOTTOMLEFT : HTLEFT;
        else if (x >= W - m_lRight)
            border = y <= m_lBottom ? HTTOPRIGHT : y >= H - m_lBottom ? HTBOTTOMRIGHT : HTRIGHT;
        else if (y <= m_lBottom)
            border = HTTOP;
        else if (y >= H - m_lBottom)
            border = HTBOTTOM;
        else if (y <= m_lTop && y <= cyCaption + m_lBottom)
            e = x <= cyCaption ? HTSYSMENU : HTCAPTION;
        if (border && sizable) e = border;
    }
    skin->HitTest(x, y, e);
    return e;
}

void cNCCalcSize::DragMoveWindow() {
    auto windowRect = [this] {
        RECT r{};
        GetWindowRect(m_hWnd, &r);
        if (HWND parent = GetParent(m_hWnd)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT rect = windowRect();
    const RECT start = rect;
    POINT last{};
    GetCursorPos(&last);
    // With the capture every move and the release come here as messages, and
    // the loop wakes for each (Sleep(1) waits up to a clock tick, 15.6 ms, on
    // Windows, and the drag would judder).
    SetCapture(m_hWnd);
    const ScopeGuard release([this]() noexcept {
        if (m_hWnd && GetCapture() == m_hWnd) ReleaseCapture();
    });
    // Ends when the button is released, the window loses activation, the
    // capture or goes; Esc ends it too and puts the window back where the
    // drag started.
    while (m_hWnd && MouseButtons::PrimaryDown() && m_bActive && GetCapture() == m_hWnd) {
        POINT now{};
        GetCursorPos(&now);
        if (now.x != last.x || now.y != last.y) {
            SetWindowPos(m_hWnd, nullptr, rect.left + now.x - last.x, rect.top + now.y - last.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
            last = now;
            rect = windowRect();
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The application's own loop must still see it.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                SetWindowPos(m_hWnd, nullptr, start.left, start.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // The timeout bounds a wait in which no message comes.
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void cNCCalcSize::DefaultNCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) {
    const int cxF = Dpi::Metric(SM_CXFRAME, m_dpi), cyF = Dpi::Metric(SM_CYFRAME, m_dpi);
    const int cyCap = Dpi::Metric(SM_CYCAPTION, m_dpi);
    const HBRUSH caption = GetSysColorBrush(m_bActive ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const HBRUSH border = GetSysColorBrush(m_bActive ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
    const UINT captionFlags = (m_bActive ? DC_ACTIVE : 0) | DC_ICON | DC_TEXT;
    const RECT R{lLeft, lTop, lRight, lBottom};
    RECT outer = R;

    const RECT borders[] = {
        {R.left, cyF, cxF, R.bottom - cyF},
        {R.left, R.top, R.right, cyF},
        {R.right - cxF, cyF, R.right, R.bottom - cyF},
        {R.left, R.bottom - cyF, R.right, R.bottom},
        {R.left, cyCap + cxF - 1, R.right, cyCap + cxF},  // line below the caption
    };
    for (const RECT& b : borders) FillRect(hdc, &b, border);

    const RECT C{R.left + cxF, R.top + cyF, R.right - cxF, R.top + cyF + cyCap - 1};
    const int w = C.right - C.left, h0 = cyCap - 1;
    if (const HDC strip = m_scratch ? m_scratch->hdc() : nullptr) {
        const RECT text{0, 0, w - 3 * h0 - 2, h0};
        DrawCaption(m_hWnd, strip, &text, captionFlags);
        const RECT buttons{w - 3 * h0 - 2, 0, w, h0};
        FillRect(strip, &buttons, caption);
        const int b = h0 - 4;
        RECT B{w - 2 - (b + 2), 2, w - 2, h0 - 2};
        DrawFrameControl(strip, &B, DFC_CAPTION, DFCS_CAPTIONCLOSE);
        OffsetRect(&B, -(b + 2 + 2), 0);
        DrawFrameControl(strip, &B, DFC_CAPTION, IsZoomed(m_hWnd) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX);
        OffsetRect(&B, -(b + 2), 0);
        DrawFrameControl(strip, &B, DFC_CAPTION, DFCS_CAPTIONMIN);
        // A window wider than the screen gets the strip cut at the buffer's width.
        BitBlt(hdc, C.left, C.top, std::min(w, static_cast<int>(m_scratch->Width())), C.bottom - C.top, strip, 0, 0,
               SRCCOPY);
    }
    DrawEdge(hdc, &outer, EDGE_RAISED, BF_RECT);
}
