#include "MenuWindow.h"

#include <string>

#include "menubar/cToolbarMenu.h"
#include "tests/support/SyntheticInput.h"

HMENU StandardMenu() {
    MenuBuilder options;
    options.Item("&Alpha", 211).Item("&Beta", 212);
    MenuBuilder file, edit, view, help;
    file.Item("&New\tCtrl+N", 101).Item("&Open...\tCtrl+O", 102).Separator().Item("E&xit", 103);
    // "&Undo" has identifier 3, the position of "&Options".
    edit.Item("&Undo", 3)
        .Item("Cu&t\tCtrl+X", 202, MF_GRAYED)
        .Separator()
        .Popup("&Options", options.menu)
        .Item("&Wrap", 203, MF_CHECKED);
    view.Item("&Zoom", 401);
    help.Item("&About", 501);
    MenuBuilder bar(false);
    bar.Popup("&File", file.menu).Popup("&Edit", edit.menu).Item("&Run", 301).Popup("&View", view.menu).Popup("&Help", help.menu);
    return bar.menu;
}

MenuWindow::MenuWindow(HMENU menu, int width, int height, const wchar_t* title)
    : window(WS_OVERLAPPEDWINDOW, 100, 100, width, height, menu), caption(std::make_shared<cOrvelCaption>()) {
    window.swallowSysCommands = false;
    SetWindowTextW(window.hwnd(), title);
    ShippedSkin::Style(*caption);
    // Red under the pointer, so the tests tell a highlighted item's text from the others.
    caption->ActiveMenuColorOver(0x0000FF);
    ShowWindow(window.hwnd(), SW_SHOW);
    skin.Attach(*caption, window);
    SetWindowPos(window.hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    SetForegroundWindow(window.hwnd());
    SendMessageW(window.hwnd(), WM_NCACTIVATE, TRUE, 0);
    DispatchPending();
    Paint();
}

MenuWindow::~MenuWindow() {
    if (!caption) return;  // let go of by the test: the skin gave everything back
    if (IsWindow(window.hwnd())) caption->Detach();
    // A menu that was not given back to the window does not go with it.
    if (HMENU menu = caption->MenuBar() ? caption->MenuBar()->hMenu() : nullptr; menu && GetMenu(window.hwnd()) != menu)
        DestroyMenu(menu);
}

void MenuWindow::Paint() const { SendMessageW(window.hwnd(), WM_NCPAINT, 1, 0); }

RECT MenuWindow::ItemRect(int k) const {
    RECT r{}, w{};
    bar().GetItemScreenRect(k, r);
    GetWindowRect(window.hwnd(), &w);
    OffsetRect(&r, -w.left, -w.top);
    return r;
}

POINT MenuWindow::ItemCenter(int k) const {
    const RECT r = ItemRect(k);
    return Screen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

POINT MenuWindow::Screen(int x, int y) const {
    RECT r{};
    GetWindowRect(window.hwnd(), &r);
    return {r.left + x, r.top + y};
}

std::vector<HMENU> MenuWindow::PopupsOpened() const {
    std::vector<HMENU> opened;
    for (const auto& s : window.seen)
        if (s.message == WM_INITMENUPOPUP) opened.push_back(reinterpret_cast<HMENU>(s.wParam));
    return opened;
}

MenuScript* MenuScript::s_running = nullptr;

MenuScript::MenuScript(std::vector<Step> steps, DWORD deadlineMs)
    : m_steps(std::move(steps)), m_deadlineMs(deadlineMs), m_since(GetTickCount64()) {
    s_running = this;
    m_timer = SetTimer(nullptr, 0, 10, Tick);
}

MenuScript::~MenuScript() {
    KillTimer(nullptr, m_timer);
    s_running = nullptr;
}

void CALLBACK MenuScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    MenuScript* self = s_running;
    if (!self || id != self->m_timer) return;
    if (self->Over()) {
        EndMenu();
        return;
    }
    Step& step = self->m_steps[self->m_next];
    if (!step.ready()) {
        if (GetTickCount64() - self->m_since > self->m_deadlineMs) self->m_stopped = true;
        return;
    }
    ++self->m_next;
    self->m_since = GetTickCount64();
    if (step.act) step.act();
}

HWND VisiblePopup() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND hwnd, LPARAM out) -> BOOL {
            char name[32] = {};
            GetClassNameA(hwnd, name, sizeof name);
            if (std::string(name) == "#32768" && IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(out) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool PopupPainted() {
    const HWND popup = VisiblePopup();
    return popup && !GetUpdateRect(popup, nullptr, FALSE);
}

bool PopupOpenOn(const cMenuBar& bar, int k) {
    const cToolbarMenu* tracker = bar.Tracker();
    return tracker && tracker->State() == cToolbarMenu::kPopupOpen && tracker->Current() == k && PopupPainted();
}

int Highlighted(HMENU menu) {
    for (int p = 0; p < GetMenuItemCount(menu); ++p)
        if (GetMenuState(menu, static_cast<UINT>(p), MF_BYPOSITION) & MF_HILITE) return p;
    return -1;
}

void TypeKey(WORD vk) {
    SyntheticInput::Key(vk, false);
    SyntheticInput::Key(vk, true);
}

std::string ItemText(HMENU menu, int pos) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info)) return {};
    std::string text(info.cch + 1, '\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info);
    text.resize(info.cch);
    return text;
}

MENUITEMINFOA ItemInfo(HMENU menu, int pos) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info);
    return info;
}
