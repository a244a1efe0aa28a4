// A window skinned as the main window is, with a real menu, so the caption's
// menu bar can be seen and used: hot items, presses, owner-drawn popups with
// check and radio marks, disabled and default items, accelerator labels,
// mnemonic keys and a cascaded submenu.
//
//   menubar_demo.exe             the window
//   menubar_demo.exe --hot N     ... with the pointer resting on bar item N
//   menubar_demo.exe --open N    ... with bar item N's popup open (for screenshots)
//   menubar_demo.exe --close     ... with the pointer resting on the close button
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "caption/ShippedSkin.h"
#include "caption/cOrvelCaption.h"
#include "plumbing/Dpi.h"
#include "plumbing/HighContrast.h"
#include "plumbing/IForm.h"
#include "plumbing/StdFont.h"
#include "plumbing/UniqueHandle.h"
#include "resources/resource.h"

namespace {

constexpr UINT_PTR kShowTimer = 1;

enum Command : UINT {
    kNew = 100, kOpen, kSave, kSaveAs, kExit,
    kUndo = 200, kCut, kCopy, kPaste, kWrap,
    kSmall = 300, kMedium, kLarge, kStatusBar, kToolbar,
    kLeft = 400, kCenter, kRight,
    kAbout = 500, kHelpTopics,
};

HMENU BuildMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kNew, "&New\tCtrl+N");
    AppendMenuA(file, MF_STRING, kOpen, "&Open...\tCtrl+O");
    AppendMenuA(file, MF_STRING, kSave, "&Save\tCtrl+S");
    AppendMenuA(file, MF_STRING | MF_GRAYED, kSaveAs, "Save &As...");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit\tAlt+F4");
    SetMenuDefaultItem(file, kOpen, FALSE);

    HMENU align = CreatePopupMenu();
    AppendMenuA(align, MF_STRING, kLeft, "&Left");
    AppendMenuA(align, MF_STRING, kCenter, "&Center");
    AppendMenuA(align, MF_STRING, kRight, "&Right");
    CheckMenuRadioItem(align, kLeft, kRight, kLeft, MF_BYCOMMAND);

    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING, kUndo, "&Undo\tCtrl+Z");
    AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(edit, MF_STRING | MF_GRAYED, kCut, "Cu&t\tCtrl+X");
    AppendMenuA(edit, MF_STRING, kCopy, "&Copy\tCtrl+C");
    AppendMenuA(edit, MF_STRING, kPaste, "&Paste\tCtrl+V");
    AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(edit, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(align), "&Alignment");
    AppendMenuA(edit, MF_STRING | MF_CHECKED, kWrap, "&Word wrap");

    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, kSmall, "&Small");
    AppendMenuA(view, MF_STRING, kMedium, "&Medium");
    AppendMenuA(view, MF_STRING, kLarge, "&Large");
    CheckMenuRadioItem(view, kSmall, kLarge, kMedium, MF_BYCOMMAND);
    AppendMenuA(view, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(view, MF_STRING | MF_CHECKED, kStatusBar, "Status &bar");
    AppendMenuA(view, MF_STRING, kToolbar, "&Toolbar");

    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, kHelpTopics, "&Help topics\tF1");
    AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(help, MF_STRING, kAbout, "&About...");

    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(view), "&View");
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

// A menu text as shown: "&" marks the mnemonic and "&&" stands for "&".
std::string WithoutMnemonic(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && ++i == text.size()) break;
        shown += text[i];
    }
    return shown;
}

class DemoWindow final : public IForm {
public:
    explicit DemoWindow(HINSTANCE instance) : m_instance(instance) {}

    HWND hwnd() const override { return m_hwnd; }
    void Refresh() override { RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME); }
    int WindowDpi() const override { return m_dpi; }

    bool Create(int showCommand) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = m_instance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_TORVANE));
        wc.lpszClassName = L"Torvane.MenuBarDemo";
        RegisterClassExW(&wc);
        // Until the window exists its DPI is the system's; from then on it is
        // the window's own, and then what each WM_DPICHANGED says.
        const int dpi = Dpi::System();
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"Torvane menu bar demo", WS_OVERLAPPEDWINDOW, 120, 100,
                                 Dpi::Scale(520, dpi), Dpi::Scale(320, dpi), nullptr, BuildMenu(), m_instance, this);
        if (!m_hwnd) return false;
        m_dpi = Dpi::OfWindow(m_hwnd);
        m_brush.reset(CreateSolidBrush(ShippedSkin::kMenuBackgroundColor));
        // The body text in the skin's face and size, made for the window's DPI as it paints.
        m_font.Name(ShippedSkin::kFontName);
        m_font.Size(ShippedSkin::kFontSize);

        FollowHighContrast();
        ShowWindow(m_hwnd, showCommand);
        UpdateWindow(m_hwnd);
        return true;
    }

    // Skinned while no high-contrast theme is on; with one, the system's own
    // frame and menu bar, in the theme's colours.
    void FollowHighContrast() {
        if ((m_caption != nullptr) != HighContrast::On()) return;
        if (m_caption) {
            m_caption.reset();  // detaches: the window gets its frame and menu back
        } else {
            m_caption = std::make_shared<cOrvelCaption>();
            ShippedSkin::Style(*m_caption);
            ShippedSkin::Attach(*m_caption, *this, m_instance);
        }
        SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Refresh();
    }

    // The window's menu, wherever it is shown.
    HMENU Menu() const {
        return m_caption && m_caption->MenuBar() ? m_caption->MenuBar()->hMenu() : GetMenu(m_hwnd);
    }

    // For screenshots: rest the pointer on bar item `item` (0: the close
    // button), or open its popup.
    void ShowOff(bool open, int item) {
        m_showOpen = open;
        m_showItem = item;
        SetTimer(m_hwnd, kShowTimer, 700, nullptr);
    }

    int Run() {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return static_cast<int>(msg.wParam);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<DemoWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        try {
            return self->HandleMessage(hwnd, message, wParam, lParam);
        } catch (...) {
            // A failing handler must not take the demo down; the message gets
            // the system's own answer.
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                OnCommand(LOWORD(wParam));
                return 0;
            case WM_ERASEBKGND: {
                RECT r{};
                GetClientRect(hwnd, &r);
                FillRect(reinterpret_cast<HDC>(wParam), &r, m_caption ? m_brush.get() : GetSysColorBrush(COLOR_WINDOW));
                return 1;
            }
            case WM_PAINT:
                OnPaint();
                return 0;
            case WM_DPICHANGED:
                OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                return 0;
            case WM_SETTINGCHANGE:
            case WM_THEMECHANGED:
                FollowHighContrast();
                break;
            case WM_TIMER:
                if (wParam == kShowTimer) OnShowTimer();
                return 0;
            case WM_DESTROY:
                m_caption.reset();
                m_brush.reset();
                PostQuitMessage(0);
                return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    // The window owns its scale: the skin takes the new one, then the frame
    // is measured again in the suggested rectangle and painted once.
    void OnDpiChanged(int dpi, const RECT& suggested) {
        if (dpi <= 0) return;
        m_dpi = dpi;
        if (m_caption) m_caption->OnDpiChanged(dpi);
        SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        Refresh();
    }

    void OnCommand(UINT id) {
        const HMENU menu = Menu();
        switch (id) {
            case kExit:
                DestroyWindow(m_hwnd);
                return;
            case kWrap: case kStatusBar: case kToolbar: {
                const bool on = GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED;
                CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_UNCHECKED : MF_CHECKED));
                break;
            }
            case kSmall: case kMedium: case kLarge:
                CheckMenuRadioItem(menu, kSmall, kLarge, id, MF_BYCOMMAND);
                break;
            case kLeft: case kCenter: case kRight:
                CheckMenuRadioItem(menu, kLeft, kRight, id, MF_BYCOMMAND);
                break;
        }
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        GetMenuItemInfoA(menu, id, FALSE, &info);
        std::string name(text);
        if (const size_t tab = name.find('\t'); tab != std::string::npos) name.resize(tab);
        m_last = "Chosen: " + WithoutMnemonic(name);
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }

    void OnPaint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        SetBkMode(dc, TRANSPARENT);
        RECT r{};
        GetClientRect(m_hwnd, &r);
        InflateRect(&r, -Dpi::Scale(16, m_dpi), -Dpi::Scale(16, m_dpi));
        const std::string text = "Use the menu bar in the caption: point, click, Alt+letter, arrow keys.\r\n\r\n" + m_last;
        const HGDIOBJ old = SelectObject(dc, m_font.Handle(m_dpi));
        DrawTextA(dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(m_hwnd, &ps);
    }

    void OnShowTimer() {
        KillTimer(m_hwnd, kShowTimer);
        RECT r{};
        if (!m_caption) return;
        if (m_showItem == 0) {
            RECT window{};
            GetWindowRect(m_hwnd, &window);
            r = m_caption->ButtonRect(0);
            OffsetRect(&r, window.left, window.top);
        }
        m_caption->MenuBar()->GetItemScreenRect(m_showItem, r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // A move there and back: the window hears of the pointer from input, not from SetCursorPos.
        mouse_event(MOUSEEVENTF_MOVE, 1, 0, 0, 0);
        mouse_event(MOUSEEVENTF_MOVE, static_cast<DWORD>(-1), 0, 0, 0);
        if (!m_showOpen) return;
        // Open the popup with a click, then point at its second item. The
        // pointer moves come from a thread timer, which also ticks inside
        // the popup loop.
        s_popupPoint = {r.left + Dpi::Scale(40, m_dpi), r.bottom + Dpi::Scale(65, m_dpi)};  // "Copy" in the Edit popup
        SetTimer(nullptr, 0, 600, [](HWND, UINT, UINT_PTR id, DWORD) noexcept {
            KillTimer(nullptr, id);
            SetCursorPos(s_popupPoint.x, s_popupPoint.y);
        });
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    int m_dpi = Dpi::kBase;
    UniqueBrush m_brush;
    StdFont m_font;
    std::shared_ptr<cOrvelCaption> m_caption;
    std::string m_last;
    bool m_showOpen = false;
    int m_showItem = 1;
    static inline POINT s_popupPoint{};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    DemoWindow demo(instance);
    if (!demo.Create(showCommand)) return 1;
    const std::string args = commandLine ? commandLine : "";
    if (args.find("--close") != std::string::npos) demo.ShowOff(false, 0);
    for (const char* option : {"--hot ", "--open "}) {
        if (const size_t at = args.find(option); at != std::string::npos)
            demo.ShowOff(std::strcmp(option, "--open ") == 0, std::atoi(args.c_str() + at + std::strlen(option)));
    }
    return demo.Run();
}
