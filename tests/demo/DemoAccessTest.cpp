// The menu bar demo in its own process, as a screen reader and a keyboard
// user meet it: the skinned title bar and menu bar through Active
// Accessibility (names, roles, places, states, default actions), and Alt+Space,
// F10 and Alt alone with real keys.
#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plumbing/Dpi.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

using namespace SyntheticInput;

namespace {

constexpr DWORD kDeadlineMs = 10000;
constexpr long kChildMin = 2, kChildMax = 3, kChildClose = 5;  // the system's title bar children

std::wstring DemoPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"..\\..\\demo\\menubar_demo.exe";
}

VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// An accessible object held for the test, with its elements' properties.
struct Accessible {
    IAccessible* object = nullptr;
    ~Accessible() {
        if (object) object->Release();
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long child) const {
        BSTR text = nullptr;
        (object->*get)(Child(child), &text);
        std::wstring result = text ? std::wstring(text, SysStringLen(text)) : L"";
        SysFreeString(text);
        return result;
    }
    std::wstring Name(long child) const { return Text(&IAccessible::get_accName, child); }
    std::wstring Shortcut(long child) const { return Text(&IAccessible::get_accKeyboardShortcut, child); }
    std::wstring Action(long child) const { return Text(&IAccessible::get_accDefaultAction, child); }
    long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long child) const {
        VARIANT v;
        VariantInit(&v);
        (object->*get)(Child(child), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    long Role(long child) const { return Number(&IAccessible::get_accRole, child); }
    long State(long child) const { return Number(&IAccessible::get_accState, child); }
    RECT Place(long child) const {
        long x = 0, y = 0, w = 0, h = 0;
        object->accLocation(&x, &y, &w, &h, Child(child));
        return {x, y, x + w, y + h};
    }
    // The children as AccessibleChildren gives them: simple elements' ids.
    std::vector<long> Children() const {
        long count = 0;
        object->get_accChildCount(&count);
        std::vector<VARIANT> children(static_cast<size_t>(count) + 1);
        long got = 0;
        AccessibleChildren(object, 0, count + 1, children.data(), &got);
        std::vector<long> ids;
        for (long i = 0; i < got; ++i) ids.push_back(children[static_cast<size_t>(i)].vt == VT_I4 ? children[static_cast<size_t>(i)].lVal : -1);
        return ids;
    }
};

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The popup menu window of process `pid` on show, or null.
HWND ShownPopup(DWORD pid) {
    for (HWND w = FindWindowW(L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

std::vector<DWORD> g_menuEvents;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_MENU) g_menuEvents.push_back(event);
}

class DemoAccess : public testing::Test {
protected:
    static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override {
        m_window = ChildProgram::Start(DemoPath(), L"Torvane.MenuBarDemo", m_process, kDeadlineMs);
        ASSERT_NE(m_process.hProcess, nullptr) << GetLastError();
        ASSERT_NE(m_window, nullptr) << "the demo showed no window";
        SetForegroundWindow(m_window);
        ASSERT_TRUE(WaitUntil([this] { return GetForegroundWindow() == m_window; }, kDeadlineMs));
        // The menu bar has its items once the caption has been painted.
        ASSERT_TRUE(WaitUntil([this] { return Open(OBJID_MENU, m_menu) && m_menu.Children().size() == 4; }, kDeadlineMs));
        ASSERT_TRUE(Open(OBJID_TITLEBAR, m_title));
    }

    void TearDown() override { ChildProgram::Close(m_process, m_window); }

    bool Open(LONG id, Accessible& into) {
        if (into.object) into.object->Release();
        into.object = nullptr;
        // __uuidof, not IID_IAccessible: mingw-w64's oleacc import library
        // resolves that name to a thunk, not to the interface's id.
        return SUCCEEDED(AccessibleObjectFromWindow(m_window, static_cast<DWORD>(id), __uuidof(IAccessible),
                                                    reinterpret_cast<void**>(&into.object))) &&
               into.object;
    }
    bool Exited() { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; }
    RECT WindowRect() {
        RECT r{};
        GetWindowRect(m_window, &r);
        return r;
    }

    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
    Accessible m_title, m_menu;
};

// The same at each display scale (the DPI groups).
class DemoDpi : public DemoAccess {};

}  // namespace

TEST_F(DemoAccess, TitleBarNamesItsDrawnButtonsWhereTheyAre) {
    EXPECT_EQ(m_title.Role(CHILDID_SELF), ROLE_SYSTEM_TITLEBAR);
    EXPECT_EQ(m_title.Name(CHILDID_SELF), WindowText(m_window));
    EXPECT_EQ(m_title.Children(), (std::vector<long>{1, 2, 3, 4, 5}));
    // No IME or help button: there, but invisible, as on the system's title bar.
    for (long absent : {1L, 4L}) EXPECT_TRUE(m_title.State(absent) & STATE_SYSTEM_INVISIBLE) << absent;

    const RECT window = WindowRect();
    std::vector<std::wstring> names;
    long lastLeft = window.left;
    for (long button : {kChildMin, kChildMax, kChildClose}) {
        SCOPED_TRACE(button);
        EXPECT_EQ(m_title.Role(button), ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_FALSE(m_title.State(button) & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE));
        const std::wstring name = m_title.Name(button);
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find(L'&'), std::wstring::npos);
        EXPECT_FALSE(m_title.Action(button).empty());
        names.push_back(name);
        // Left to right, inside the title band at the window's right end.
        const RECT place = m_title.Place(button);
        EXPECT_GT(place.left, lastLeft);
        EXPECT_LE(place.right, window.right);
        EXPECT_GE(place.top, window.top);
        EXPECT_LT(place.bottom, m_title.Place(CHILDID_SELF).bottom + 1);
        lastLeft = place.left;
        // The place is the drawn button's: the pointer there lights it, and a
        // reader asking at that point finds it.
        MoveTo(Centre(place));
        EXPECT_TRUE(WaitUntil([&] { return (m_title.State(button) & STATE_SYSTEM_HOTTRACKED) != 0; }, kDeadlineMs));
        VARIANT hit;
        VariantInit(&hit);
        EXPECT_EQ(m_title.object->accHitTest(Centre(place).x, Centre(place).y, &hit), S_OK);
        EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, button);
    }
    EXPECT_NE(names[0], names[1]);
    EXPECT_NE(names[1], names[2]);
    MoveTo({window.left + 5, window.bottom + 50});

    // The default actions do what a click does.
    EXPECT_EQ(m_title.object->accDoDefaultAction(Child(kChildMax)), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return IsZoomed(m_window) != FALSE; }, kDeadlineMs));
    // Maximized, the button restores, and says so.
    EXPECT_NE(m_title.Name(kChildMax), names[1]);
    EXPECT_EQ(m_title.object->accDoDefaultAction(Child(kChildMax)), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return !IsZoomed(m_window); }, kDeadlineMs));
    EXPECT_EQ(m_title.object->accDoDefaultAction(Child(kChildMin)), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return IsIconic(m_window) != FALSE; }, kDeadlineMs));
    ShowWindow(m_window, SW_RESTORE);
    EXPECT_EQ(m_title.object->accDoDefaultAction(Child(1)), DISP_E_MEMBERNOTFOUND);  // nothing to press
    EXPECT_EQ(m_title.object->accDoDefaultAction(Child(kChildClose)), S_OK);
    EXPECT_TRUE(WaitUntil([this] { return Exited(); }, kDeadlineMs));
    // The object of a window that has gone fails instead of answering.
    EXPECT_TRUE(FAILED(m_title.object->get_accChildCount(&lastLeft)));
}

TEST_F(DemoAccess, MenuBarGivesItsItemsAndOpensThemAsAClickDoes) {
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_MENUSTART, EVENT_SYSTEM_MENUEND, nullptr, OnWinEvent,
                                               m_process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    g_menuEvents.clear();
    EXPECT_EQ(m_menu.Role(CHILDID_SELF), ROLE_SYSTEM_MENUBAR);
    const wchar_t* names[] = {L"File", L"Edit", L"View", L"Help"};
    const wchar_t* keys[] = {L"Alt+F", L"Alt+E", L"Alt+V", L"Alt+H"};
    const RECT window = WindowRect();
    long lastRight = window.left;
    for (long item = 1; item <= 4; ++item) {
        SCOPED_TRACE(item);
        EXPECT_EQ(m_menu.Role(item), ROLE_SYSTEM_MENUITEM);
        EXPECT_EQ(m_menu.Name(item), names[item - 1]);
        EXPECT_EQ(m_menu.Shortcut(item), keys[item - 1]);
        EXPECT_TRUE(m_menu.State(item) & STATE_SYSTEM_HASPOPUP);
        const RECT place = m_menu.Place(item);
        EXPECT_GE(place.left, lastRight);
        EXPECT_GT(place.right, place.left);
        EXPECT_GT(place.top, window.top);
        lastRight = place.right;
        // A reader at the item's place finds the item.
        VARIANT hit;
        VariantInit(&hit);
        EXPECT_EQ(m_menu.object->accHitTest(Centre(place).x, Centre(place).y, &hit), S_OK);
        EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, item);
    }
    // The second item's default action opens its popup under it, pressed.
    EXPECT_EQ(m_menu.object->accDoDefaultAction(Child(2)), S_OK);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = ShownPopup(m_process.dwProcessId)) != nullptr; }, kDeadlineMs));
    RECT popupRect{};
    GetWindowRect(popup, &popupRect);
    EXPECT_NEAR(popupRect.left, m_menu.Place(2).left, 2);
    EXPECT_TRUE(m_menu.State(2) & STATE_SYSTEM_PRESSED);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !ShownPopup(m_process.dwProcessId); }, kDeadlineMs));
    EXPECT_TRUE(WaitUntil([&] { return g_menuEvents.size() >= 2; }, kDeadlineMs));
    EXPECT_EQ(g_menuEvents, (std::vector<DWORD>{EVENT_SYSTEM_MENUSTART, EVENT_SYSTEM_MENUEND}));
    UnhookWinEvent(hook);
}

TEST_F(DemoAccess, AltSpaceOpensTheSystemMenuAtTheCaptionsLeft) {
    Key(VK_MENU, false);
    PressKey(VK_SPACE);
    Key(VK_MENU, true);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = ShownPopup(m_process.dwProcessId)) != nullptr; }, kDeadlineMs));
    RECT popupRect{};
    GetWindowRect(popup, &popupRect);
    const RECT window = WindowRect();
    const RECT title = m_title.Place(CHILDID_SELF);
    EXPECT_LE(popupRect.left - window.left, 12);
    EXPECT_GE(popupRect.left, window.left);
    EXPECT_EQ(popupRect.top, title.bottom);
    // Its commands work: Close (its mnemonic is C in every language).
    PressKey('C');
    EXPECT_TRUE(WaitUntil([this] { return Exited(); }, kDeadlineMs));
}

TEST_F(DemoAccess, F10AndAltAlonePutTheMenuBarInKeyboardMode) {
    const auto focused = [this](long item) {
        return (m_menu.State(item) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED)) ==
               (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED);
    };
    PressKey(VK_F10);
    ASSERT_TRUE(WaitUntil([&] { return focused(1); }, kDeadlineMs));
    PressKey(VK_LEFT);  // round to the last item
    ASSERT_TRUE(WaitUntil([&] { return focused(4); }, kDeadlineMs));
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return focused(2); }, kDeadlineMs));
    PressKey(VK_ESCAPE);  // leaves the mode
    ASSERT_TRUE(WaitUntil([&] { return !focused(2); }, kDeadlineMs));
    PressKey(VK_F10);
    ASSERT_TRUE(WaitUntil([&] { return focused(1); }, kDeadlineMs));
    PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return focused(2); }, kDeadlineMs));
    // A key that opens item's popup, pressed; the loop has ended once the
    // item comes up after Escape, and keys go to the window again.
    const auto opens = [&](WORD key, long item) {
        PressKey(key);
        ASSERT_TRUE(WaitUntil([&] { return ShownPopup(m_process.dwProcessId) != nullptr; }, kDeadlineMs));
        EXPECT_TRUE(m_menu.State(item) & STATE_SYSTEM_PRESSED);
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return !(m_menu.State(item) & STATE_SYSTEM_PRESSED); }, kDeadlineMs));
    };
    opens(VK_DOWN, 2);  // the hot item's popup
    // Alt alone, then a mnemonic letter: that item's popup.
    PressKey(VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return focused(1); }, kDeadlineMs));
    opens('V', 3);

    // Alt alone again leaves the mode: no item is hot any more.
    PressKey(VK_MENU);
    ASSERT_TRUE(WaitUntil([&] { return focused(1); }, kDeadlineMs));
    PressKey(VK_MENU);
    EXPECT_TRUE(WaitUntil([&] { return m_menu.State(1) == (STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_FOCUSABLE); }, kDeadlineMs));
    // And the window still takes its commands' keys afterwards: Alt+F4 closes it.
    Key(VK_MENU, false);
    PressKey(VK_F4);
    Key(VK_MENU, true);
    EXPECT_TRUE(WaitUntil([this] { return Exited(); }, kDeadlineMs));
}

TEST_F(DemoDpi, BodyTextIsMadeForTheDisplayScale) {
    // The first line of the body text, read from the screen: its ink runs
    // from the capitals' tops to the descenders' bottoms, about the font's
    // em height (9 points at this DPI), not a fixed size.
    const int dpi = Dpi::System();
    const int em = MulDiv(9, dpi, 72);
    const POINT origin = ClientToScreenPoint(m_window, Dpi::Scale(16, dpi), Dpi::Scale(16, dpi));
    const int width = Dpi::Scale(200, dpi), height = 3 * em;
    HDC screen = GetDC(nullptr);
    const COLORREF back = GetPixel(screen, origin.x - 2, origin.y - 2);
    int first = -1, last = -1;
    for (int y = 0; y < height && (last < 0 || last == y - 1); ++y) {
        bool ink = false;
        for (int x = 0; x < width && !ink; ++x) ink = GetPixel(screen, origin.x + x, origin.y + y) != back;
        if (ink && first < 0) first = y;
        if (ink) last = y;
    }
    ReleaseDC(nullptr, screen);
    ASSERT_GE(first, 0) << "no text at " << origin.x << "," << origin.y;
    const int ink = last - first + 1;
    EXPECT_GE(ink, em * 7 / 10) << "at " << dpi << " DPI";
    EXPECT_LE(ink, em * 13 / 10) << "at " << dpi << " DPI";
}
