#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "caption/cOrvelCaption.h"
#include "menubar/cMenuBar.h"
#include "tests/support/SkinnedWindow.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/TestWindow.h"

// Builds menus item by item; the caller owns the result until a window takes it.
struct MenuBuilder {
    HMENU menu;
    explicit MenuBuilder(bool popup = true) : menu(popup ? CreatePopupMenu() : CreateMenu()) {}
    MenuBuilder& Item(const char* text, UINT id, UINT flags = 0) {
        AppendMenuA(menu, MF_STRING | flags, id, text);
        return *this;
    }
    MenuBuilder& Separator() {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        return *this;
    }
    MenuBuilder& Popup(const char* text, HMENU sub) {
        AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), text);
        return *this;
    }
};

// The menu most tests use: File, Edit (with a cascaded submenu), a top-level
// command, View and Help.
HMENU StandardMenu();

// A window with a real menu, skinned with the shipped bitmaps as the main
// window is, shown and active. The menu goes with the window.
struct MenuWindow {
    explicit MenuWindow(HMENU menu, int width = 500, int height = 300, const wchar_t* title = L"Menu window");
    ~MenuWindow();

    HWND hwnd() const { return window.hwnd(); }
    cMenuBar& bar() const { return *caption->MenuBar(); }
    void Paint() const;
    // Bar item k in window coordinates, and its centre on the screen.
    RECT ItemRect(int k) const;
    POINT ItemCenter(int k) const;
    POINT Screen(int x, int y) const;
    COLORREF Pixel(int x, int y) const { return WindowPixel(window.hwnd(), x, y); }
    // The popups that opened (WM_INITMENUPOPUP), in order.
    std::vector<HMENU> PopupsOpened() const;

    TestWindow window;
    SkinBitmaps skin;
    std::shared_ptr<cOrvelCaption> caption;
};

// Runs steps inside the modal loop of a popup, from a thread timer (whose
// ticks are dispatched there too). Each step waits until its condition holds
// and then acts; steps only inject input or look, since pumping would take
// the popup loop's messages. A condition that does not hold within the
// deadline stops the script. After the last step, or once stopped, every
// tick ends any menu still open, so a test that goes wrong fails instead of
// hanging.
class MenuScript {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    explicit MenuScript(std::vector<Step> steps, DWORD deadlineMs = 5000);
    ~MenuScript();
    MenuScript(const MenuScript&) = delete;
    MenuScript& operator=(const MenuScript&) = delete;
    // Every step ran.
    bool Finished() const { return m_next >= m_steps.size(); }
    // Finished, or stopped at a condition that never held.
    bool Over() const { return Finished() || m_stopped; }
    // The first step whose condition never held (0-based), or -1.
    int Missed() const { return m_stopped ? static_cast<int>(m_next) : -1; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static MenuScript* s_running;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_stopped = false;
    DWORD m_deadlineMs;
    ULONGLONG m_since;
    UINT_PTR m_timer = 0;
};

// The popup menu window on show, or 0.
HWND VisiblePopup();
// A popup is on show and fully painted.
bool PopupPainted();
// Bar item k's popup is open and shown.
bool PopupOpenOn(const cMenuBar& bar, int k);
// Position of the highlighted item of `menu`, or -1.
int Highlighted(HMENU menu);
// Injects a key's press and release.
void TypeKey(WORD vk);

// The text of item `pos` of `menu`, read in full.
std::string ItemText(HMENU menu, int pos);
// The item as the system holds it (identifier, type, state, data).
MENUITEMINFOA ItemInfo(HMENU menu, int pos);
