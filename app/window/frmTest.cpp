#include "frmTest.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "app/core/Acknowledgement.h"
#include "caption/ShippedSkin.h"
#include "plumbing/Dpi.h"
#include "plumbing/FirstShow.h"
#include "plumbing/HighContrast.h"
#include "plumbing/WindowPlacement.h"
#include "resources/resource.h"

namespace {

enum class Kind { Button, Edit, Picture };

// The stored layout, in the window's own order. Positions are client
// pixels, except PicBorder's, which is relative to PicCaption.
struct ControlLayout {
    frmTest::ControlId id;
    Kind kind;
    int left, top, width, height;
    int tabIndex;
    const wchar_t* caption;
};

constexpr ControlLayout kLayout[] = {
    {frmTest::kCommand3, Kind::Button, 432, 72, 41, 49, 5, L"粘贴回逆复制"},
    {frmTest::kCommand2, Kind::Button, 432, 0, 41, 49, 4, L"粘贴转换复制"},
    {frmTest::kText2, Kind::Edit, 0, 64, 425, 57, 3, L""},
    {frmTest::kText1, Kind::Edit, 0, 0, 425, 57, 2, L""},
    {frmTest::kPicCaption, Kind::Picture, -24, 48, 640, 48, 0, L""},
    {frmTest::kPicBorder, Kind::Picture, 0, 0, 70, 10, 1, L""},
};

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The system's GUI font at `dpi`. The stock font is made for the system's
// DPI; its point size becomes pixels at the window's, and the rest of its
// description is kept, so at the system's DPI this is the stock font itself.
UniqueFont MakeControlFont(int dpi) {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = Dpi::Rescale(lf.lfHeight, dpi, Dpi::System());
    lf.lfWidth = 0;
    return UniqueFont(CreateFontIndirectW(&lf));
}

// A control's place at the given DPI. The edges are scaled, not the sizes,
// so that neighbours keep their gaps and a right edge is where it would be
// at any other origin.
RECT Place(const ControlLayout& c, int dpi) {
    return {Dpi::Scale(c.left, dpi), Dpi::Scale(c.top, dpi), Dpi::Scale(c.left + c.width, dpi),
            Dpi::Scale(c.top + c.height, dpi)};
}

}  // namespace

frmTest::frmTest(HINSTANCE instance, Look look, CommandRunner::Executor& executor)
    : m_instance(instance), m_look(look), m_commands(Text1, Text2), m_runner(m_commands, m_clipboard, executor) {
    Command2.Click = [this] { m_runner.Click(CommandRunner::Command::AddressToLink); };
    Command3.Click = [this] { m_runner.Click(CommandRunner::Command::LinkToAddress); };
}

frmTest::~frmTest() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

bool frmTest::Show(int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = m_instance;
    // Until the window exists its DPI is the system's.
    const int dpi = Dpi::System();
    wc.hIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_TORVANE), IMAGE_ICON,
                                             Dpi::Metric(SM_CXICON, dpi), Dpi::Metric(SM_CYICON, dpi), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_TORVANE), IMAGE_ICON,
                                               Dpi::Metric(SM_CXSMICON, dpi), Dpi::Metric(SM_CYSMICON, dpi),
                                               LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly when already registered

    const RECT frame = WindowPlacement::CentredOnWorkArea(Dpi::Scale(kClientWidth, dpi),
                                                          Dpi::Scale(kClientHeight, dpi), kWindowStyle);
    if (!CreateWindowExW(0, kClassName, kCaption, kWindowStyle, frame.left, frame.top, frame.right - frame.left,
                         frame.bottom - frame.top, nullptr, nullptr, m_instance, this))
        return false;
    m_dpi = Dpi::OfWindow(m_hwnd);
    m_clipboard.Bind(m_hwnd);
    m_runner.Bind(m_hwnd, kCommandStepDone, kReadWatchTimer);
    CreateControls();
    Form_Load();
    FitClientArea();
    FirstShow::Show(m_hwnd, showCommand);
    return true;
}

void frmTest::CreateControls() {
    for (const ControlLayout& c : kLayout) {
        HWND parent = c.id == kPicBorder ? PicCaption.hwnd() : m_hwnd;
        const wchar_t* windowClass = L"STATIC";
        DWORD style = WS_CHILD;
        switch (c.kind) {
            case Kind::Button:
                windowClass = L"BUTTON";
                style |= WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
                break;
            case Kind::Edit:
                windowClass = L"EDIT";
                style |= WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
                break;
            case Kind::Picture:
                break;  // hidden
        }
        const DWORD exStyle = c.kind == Kind::Edit ? WS_EX_CLIENTEDGE : 0;
        const RECT r = Place(c, m_dpi);
        HWND control = CreateWindowExW(exStyle, windowClass, c.caption, style, r.left, r.top, r.right - r.left,
                                       r.bottom - r.top, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), m_instance, nullptr);
        switch (c.id) {
            case kText1: Text1.Bind(control); break;
            case kText2: Text2.Bind(control); break;
            case kCommand2: Command2.Bind(control); break;
            case kCommand3: Command3.Bind(control); break;
            case kPicCaption: PicCaption.Bind(control); break;
            case kPicBorder: PicBorder.Bind(control); break;
        }
    }
    // Focus order by tab index; the hidden picture boxes take no focus.
    m_tabOrder = {Text1.hwnd(), Text2.hwnd(), Command2.hwnd(), Command3.hwnd()};
    m_lastFocus = Text1.hwnd();
    LayoutControls();

    // The form keeps the 96-dpi bitmaps; the caption takes the drawing for
    // the window's DPI from the skin itself.
    const ShippedSkin::Art& art = ShippedSkin::ArtFor(Dpi::kBase);
    PicCaption.Picture(StdPicture::FromResource(m_instance, art.captionBitmap));
    PicBorder.Picture(StdPicture::FromResource(m_instance, art.borderBitmap));
}

void frmTest::LayoutControls() {
    // The controls take the new font before the old one goes. Nothing is
    // drawn here: whoever changes the layout repaints once at the end.
    UniqueFont font = MakeControlFont(m_dpi);
    for (const ControlLayout& c : kLayout) {
        const HWND parent = c.id == kPicBorder ? PicCaption.hwnd() : m_hwnd;
        const HWND control = GetDlgItem(parent, c.id);
        if (!control) continue;
        const RECT r = Place(c, m_dpi);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
    m_controlFont = std::move(font);
}

void frmTest::OnDpiChanged(int dpi, const RECT& suggested) {
    if (dpi <= 0) return;
    m_dpi = dpi;
    // One paint at the end instead of one for every step (a step costs a
    // paint of the window and its frame under Wine: ten times the rest).
    SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
    // The skin takes the new scale first, so that the frame measured below
    // has its new margins; it draws nothing itself.
    if (m_cCaption) m_cCaption->OnDpiChanged(dpi);
    LayoutControls();
    // The suggested rectangle, with the frame measured again at the new DPI;
    // then the client area is made exactly the layout's, in case the frame
    // and the system's suggestion round differently.
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    FitClientArea();
    SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
    Refresh();
}

void frmTest::Form_Load() {
    if (m_look == Look::Plain || HighContrast::On()) return;  // the system's frame, in the theme's colours
    m_cCaption = std::make_shared<cOrvelCaption>();
    ApplySkin(*this, *m_cCaption);
}

void frmTest::FollowHighContrast() {
    const bool skinned = m_cCaption != nullptr;
    if (skinned != HighContrast::On()) return;
    if (skinned) {
        // The caption detaches as it goes: the system's frame and menu come back.
        m_cCaption.reset();
        m_backBrush.reset();
        m_backColor = GetSysColor(COLOR_BTNFACE);
    } else {
        Form_Load();
    }
    SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FitClientArea();
    Refresh();
}

void frmTest::ApplySkin(frmTest& f, cOrvelCaption& caption) {
    ShippedSkin::Style(caption);
    ShippedSkin::Attach(caption, f, m_instance);
    f.BackColor(ShippedSkin::kMenuBackgroundColor);
}

void frmTest::FitClientArea() {
    RECT window{}, client{};
    GetWindowRect(m_hwnd, &window);
    GetClientRect(m_hwnd, &client);
    const int wantWidth = Dpi::Scale(kClientWidth, m_dpi), wantHeight = Dpi::Scale(kClientHeight, m_dpi);
    if (client.right == wantWidth && client.bottom == wantHeight) return;
    const int width = window.right - window.left + wantWidth - client.right;
    const int height = window.bottom - window.top + wantHeight - client.bottom;
    SetWindowPos(m_hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmTest::Form_Click() {
    Text1.SetText(Acknowledgement::Text1());
    Text2.SetText(Acknowledgement::Text2());
}

void frmTest::Refresh() {
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void frmTest::BackColor(COLORREF color) {
    m_backColor = color;
    m_backBrush.reset(CreateSolidBrush(color));
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, TRUE);
}

bool frmTest::HandleTabKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || (GetKeyState(VK_CONTROL) & 0x8000)) return false;
    const HWND focus = GetFocus();
    const auto current = std::find(m_tabOrder.begin(), m_tabOrder.end(), focus);
    if (current == m_tabOrder.end()) return false;
    const bool backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const auto count = static_cast<std::ptrdiff_t>(m_tabOrder.size());
    const std::ptrdiff_t index = std::distance(m_tabOrder.begin(), current);
    const HWND next = m_tabOrder[static_cast<size_t>((index + (backwards ? count - 1 : 1)) % count)];
    SetFocus(next);
    // As in dialogs, an edit box entered by Tab has its text selected.
    if (next == Text1.hwnd() || next == Text2.hwnd()) SendMessageW(next, EM_SETSEL, 0, -1);
    return true;
}

bool frmTest::HandleEnterKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
    const HWND focus = GetFocus();
    const bool button = focus == Command2.hwnd() || focus == Command3.hwnd();
    if (!button || !IsWindowEnabled(focus)) return false;
    // Swallowed, so no WM_CHAR follows; the button's click comes as from a press.
    SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
    return true;
}

int frmTest::RunMessageLoop() {
    if (!m_hwnd) return 0;
    m_runsLoop = true;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (HandleTabKey(msg) || HandleEnterKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK frmTest::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<frmTest*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmTest*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A failing handler must not take the program down; the message gets
        // the system's own answer.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT frmTest::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = m_hwnd;
    switch (message) {
        case WM_COMMAND:
            if (Command2.OnCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ||
                Command3.OnCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
                return 0;
            break;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(m_hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, m_backBrush ? m_backBrush.get() : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CTLCOLORBTN:
            if (m_backBrush) return reinterpret_cast<LRESULT>(m_backBrush.get());
            break;
        case WM_LBUTTONDOWN: {
            // A click is a press and a release on the empty client area. The
            // frame and the strip under the title answer as client area too
            // (the skin's hit test), so a press there arrives here, outside
            // the client rectangle: it starts nothing.
            RECT client;
            GetClientRect(m_hwnd, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (!PtInRect(&client, at)) break;
            m_clickStarted = true;
            SetCapture(m_hwnd);
            return 0;
        }
        case WM_LBUTTONUP:
            if (m_clickStarted) {
                m_clickStarted = false;
                ReleaseCapture();
                RECT client;
                GetClientRect(m_hwnd, &client);
                const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                if (PtInRect(&client, at)) Form_Click();
            }
            return 0;
        case WM_SETTINGCHANGE:
        case WM_THEMECHANGED:
            FollowHighContrast();
            break;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case kCommandStepDone:
            m_runner.OnStepDone(wParam);
            return 0;
        case WM_TIMER:
            if (wParam != kReadWatchTimer) break;
            m_runner.OnWatchTimer();
            return 0;
        case WM_CAPTURECHANGED:
            m_clickStarted = false;
            return 0;
        case WM_ACTIVATE:
            // Leaving: remember which control had the focus; coming back: restore it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus(); focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
            } else if (!HIWORD(wParam)) {
                SetFocus(m_lastFocus ? m_lastFocus : Text1.hwnd());
                return 0;
            }
            break;
        case WM_DESTROY:
            if (m_runsLoop) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
            m_hwnd = nullptr;
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
