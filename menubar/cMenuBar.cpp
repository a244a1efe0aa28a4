#include "cMenuBar.h"

#include <olectl.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "cToolbarMenu.h"
#include "plumbing/Dpi.h"
#include "plumbing/MSubclass.h"
#include "plumbing/MouseButtons.h"
#include "plumbing/cAccessible.h"
#include "plumbing/UniqueHandle.h"

namespace {

// The messages a menu bar takes, in the order it attaches them.
constexpr UINT kMessages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_DRAWITEM, WM_MEASUREITEM, WM_MENUCHAR};

constexpr int kPollMs = 50;
constexpr int kFirstItemX = 8;
constexpr int kTextLeft = 24;  // captions of popup items start here
constexpr UINT kReadMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;

// Reads a menu item with its whole text, however long: the first call asks
// for the length, the second fills a buffer of that size. The returned
// record's dwTypeData is left 0: the text lives in `text`.
std::string ReadItem(HMENU menu, UINT item, BOOL byPosition, UINT fMask, MENUITEMINFOA& info) {
    info = {};
    info.cbSize = sizeof info;
    info.fMask = fMask;
    if (!GetMenuItemInfoA(menu, item, byPosition, &info)) return {};
    std::string text;
    if ((fMask & MIIM_TYPE) && info.cch > 0) {
        std::vector<char> buffer(info.cch + 1, '\0');
        MENUITEMINFOA full{};
        full.cbSize = sizeof full;
        full.fMask = fMask;
        full.dwTypeData = buffer.data();
        full.cch = static_cast<UINT>(buffer.size());
        if (GetMenuItemInfoA(menu, item, byPosition, &full)) {
            info = full;
            text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
        }
    }
    info.dwTypeData = nullptr;
    return text;
}

// One character, upper-cased as the system's ANSI code page does it.
std::string UpperChar(char ch) {
    char buffer[1] = {ch};
    CharUpperBuffA(buffer, 1);
    return std::string(1, buffer[0]);
}

// The upper-cased character after the first "&", or empty.
std::string MnemonicOf(const std::string& caption) {
    const size_t a = caption.find('&');
    if (a == std::string::npos || a + 1 >= caption.size()) return {};
    return UpperChar(caption[a + 1]);
}

int TextWidth(HDC dc, const std::string& text, int& height) {
    RECT r{};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    height = r.bottom - r.top + 1;
    return r.right - r.left + 1;
}

}  // namespace

cMenuBar::cMenuBar() : m_fntMenu(std::make_shared<StdFont>()), m_fntSymbol(std::make_shared<StdFont>()) {
    m_fntMenu->Name(L"MS Sans Serif");
    m_fntSymbol->Name(L"Marlett");
    m_fntSymbol->Size(m_fntMenu->Size() * 1.2);
}

// The registry and the window still name this bar until it detaches: a bar
// let go while its window lives must not leave them pointing at freed memory.
cMenuBar::~cMenuBar() { Detach(); }

void cMenuBar::SetFontAndSymbol(std::shared_ptr<StdFont> fnt) {
    m_fntMenu = std::move(fnt);
    m_fntSymbol->Name(L"Marlett");
    m_fntSymbol->Size(m_fntMenu->Size() * 1.2);
}

void cMenuBar::SetColors(OleColor oActiveMenuColor, OleColor oActiveMenuColorOver, OleColor oInActiveMenuColor,
                         OleColor oMenuBackgroundColor) noexcept {
    m_oActiveMenuColor = oActiveMenuColor;
    m_oActiveMenuColorOver = oActiveMenuColorOver;
    m_oInActiveMenuColor = oInActiveMenuColor;
    m_oMenuBackgroundColor = oMenuBackgroundColor;
}

COLORREF cMenuBar::TranslateColor(OleColor oColor) noexcept {
    COLORREF rgb = 0;
    return SUCCEEDED(OleTranslateColor(oColor, nullptr, &rgb)) ? rgb : CLR_INVALID;
}

void cMenuBar::Attach(HWND lhWnd) {
    // Attaching draws nothing, so it takes no update lock: the caption that
    // attaches the bar holds the window's.
    Detach();
    m_hWnd = lhWnd;
    m_cToolbarMenu = std::make_shared<cToolbarMenu>();
    m_cToolbarMenu->AttachWindow(lhWnd, *this);
    for (UINT message : kMessages) MSubclass::AttachMessage(*this, m_hWnd, message);
    m_openItemMessage = RegisterWindowMessageA("Torvane.MenuBar.OpenItem");
    if (m_openItemMessage) MSubclass::AttachMessage(*this, m_hWnd, m_openItemMessage);
}

void cMenuBar::Detach() noexcept {
    if (m_hWnd) {
        for (UINT message : kMessages) MSubclass::DetachMessage(*this, m_hWnd, message);
        if (m_openItemMessage) MSubclass::DetachMessage(*this, m_hWnd, m_openItemMessage);
    }
    m_bKeyboard = false;
    if (m_cToolbarMenu) {
        m_cToolbarMenu->DetachWindow();
        m_cToolbarMenu.reset();
    }
    // A detached bar has nothing to poll for (and a running timer would
    // outlive it in the timer registry).
    if (m_cTmr) {
        try {
            m_cTmr->Interval(0);
        } catch (...) {
        }
    }
}

void cMenuBar::Repaint() const { SendMessageA(m_hWnd, WM_NCPAINT, 0, 0); }

int cMenuBar::Px(int px96) const noexcept { return Dpi::Scale(px96, m_dpi); }

void cMenuBar::WindowDpi(int dpi) noexcept {
    if (dpi > 0) m_dpi = dpi;
}

void cMenuBar::Render(HFONT hFnt, HDC lhDC, int lLeft, int lTop, int lWidth, int lHeight, int lYoffset) {
    if (!m_hMenu) return;
    m_cMemDC.Width(lWidth);
    m_cMemDC.Height(lHeight);
    const HDC mem = m_cMemDC.hdc();
    const SelectGuard font(mem, hFnt);
    m_iCount = 0;
    m_tR.clear();
    m_hSubMenu.clear();

    const int n = GetMenuItemCount(m_hMenu);
    if (n <= 0) return;
    BitBlt(mem, 0, 0, lWidth, lHeight, lhDC, lLeft, lTop + Px(2), SRCCOPY);
    SetBkMode(mem, TRANSPARENT);
    int x = Px(kFirstItemX);
    for (int p = 0; p < n; ++p) {
        // Commands and separators at the top level are not bar items.
        if (GetMenuItemID(m_hMenu, p) != static_cast<UINT>(-1)) continue;
        MENUITEMINFOA info;
        const std::string text = ReadItem(m_hMenu, static_cast<UINT>(p), TRUE, MIIM_TYPE, info);
        RECT T{0, 0, 0, lHeight};
        DrawTextA(mem, text.c_str(), -1, &T, DT_CALCRECT);
        // The text on the strip's middle rows; its box stays on the strip,
        // so a hot or pressed item never reaches over the strip's edges.
        OffsetRect(&T, x, (lHeight - (T.bottom - T.top)) / 2);
        RECT B = T;
        InflateRect(&B, Px(2), Px(2));
        B.right += Px(7);
        B.top = std::max<LONG>(B.top, 0);
        B.bottom = std::min<LONG>(B.bottom, lHeight);
        const int k = ++m_iCount;

        bool sunken = false;
        if (k == m_iDownOn && m_iDownOn == m_iOver) {
            SetTextColor(mem, TranslateColor(m_oActiveMenuColorOver));
            DrawEdge(mem, &B, BDR_SUNKENOUTER, BF_RECT);
            sunken = true;
        } else if (k == m_iDownOn || k == m_iOver) {
            SetTextColor(mem, TranslateColor(m_oActiveMenuColorOver));
            DrawEdge(mem, &B, BDR_RAISEDINNER, BF_RECT);
        } else {
            SetTextColor(mem, TranslateColor(m_oActiveMenuColor));
        }
        if (sunken) OffsetRect(&T, 1, 1);
        DrawTextA(mem, text.c_str(), -1, &T, DT_SINGLELINE);
        if (sunken) OffsetRect(&T, -1, -1);

        OffsetRect(&B, lLeft, lYoffset);
        m_tR.push_back(B);
        m_hSubMenu.push_back(GetSubMenu(m_hMenu, p));
        x += (T.right - T.left + 1) + Px(10);
    }
    BitBlt(lhDC, lLeft, lTop + Px(2), lWidth, lHeight, mem, 0, 0, SRCCOPY);
}

int cMenuBar::ItemUnderCursor() const {
    if (m_iCount < 1) return 0;
    POINT pt{};
    GetCursorPos(&pt);
    return ItemFromPoint(pt);
}

int cMenuBar::ItemFromPoint(POINT screen) const {
    // The inverse of GetItemScreenRect: caption coordinates, so a hit lands
    // on the item drawn under the point whatever the frame's left margin.
    RECT W{};
    GetWindowRect(m_hWnd, &W);
    const POINT pt{screen.x - W.left, screen.y - W.top - m_lCaptionHeight};
    for (int k = 1; k <= m_iCount; ++k)
        if (PtInRect(&m_tR[static_cast<size_t>(k - 1)], pt)) return k;
    return 0;
}

HMENU cMenuBar::SubMenuOf(int index) const noexcept {
    return index >= 1 && index <= m_iCount ? m_hSubMenu[static_cast<size_t>(index - 1)] : nullptr;
}

void cMenuBar::GetItemScreenRect(int index, RECT& R) const {
    if (index < 1 || index > m_iCount) return;
    R = m_tR[static_cast<size_t>(index - 1)];
    RECT W{};
    GetWindowRect(m_hWnd, &W);
    OffsetRect(&R, W.left, W.top + m_lCaptionHeight);
}

void cMenuBar::PressItem(int index, bool bPressed) {
    if (bPressed)
        m_iDownOn = index;
    else if (m_iDownOn == index)
        m_iDownOn = -1;
    Repaint();
}

void cMenuBar::HotItem(int index) {
    m_iOver = index;
    Repaint();
    // In menu mode the hot item has the focus, and readers follow it.
    if (index >= 1) NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_MENU, index);
}

// ---- Tracking ----

EMsgHandling cMenuBar::MsgResponse() { return mhConsume; }

LRESULT cMenuBar::WindowProc(HWND, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg == m_openItemMessage && m_openItemMessage) {
        const int index = static_cast<int>(wParam);
        if (index >= 1 && index <= m_iCount) PressAndOpen(index);
        return 0;
    }
    switch (iMsg) {
        case WM_DRAWITEM:
            DrawItem(wParam, lParam);
            return 0;
        case WM_MEASUREITEM:
            return MeasureItem(wParam, lParam);
        case WM_MENUCHAR: {
            if ((HIWORD(wParam) & MF_SYSMENU) == 0) {
                const LRESULT r = MenuCharItem(reinterpret_cast<HMENU>(lParam), LOWORD(wParam));
                if (r > 0) return r;
            }
            return MSubclass::CallOldWindowProc(m_hWnd, iMsg, wParam, lParam);
        }
        case WM_MOUSEMOVE: {
            const LRESULT result = MSubclass::CallOldWindowProc(m_hWnd, iMsg, wParam, lParam);
            CheckMouseOver();
            return result;
        }
        case WM_LBUTTONDOWN: {
            const LRESULT result = MSubclass::CallOldWindowProc(m_hWnd, iMsg, wParam, lParam);
            OnLeftPress();
            return result;
        }
    }
    return 0;
}

void cMenuBar::CheckMouseOver() {
    // A move already being handed out when the bar detached (or whose window
    // procedure detached the skin) must not start the poll again: it would
    // outlive the detach in the timer registry.
    if (!m_cToolbarMenu || m_bKeyboard) return;  // the keys choose the hot item
    const int k = ItemUnderCursor();
    const bool changed = k != m_iOver;
    m_iOver = k;
    if (changed) Repaint();
    if (!m_cTmr) {
        m_cTmr = CTimer::Create();
        std::weak_ptr<cMenuBar> self = SharedFrom(this);
        m_cTmr->OnThatTime([self] {
            if (const auto bar = self.lock()) bar->OnPollTimer();
        });
    }
    if (m_iOver >= 1 || m_iDownOn != 0) {
        if (m_iDownOn > 0 && !MouseButtons::PrimaryDown()) {
            m_iDownOn = 0;
            Repaint();
        }
        m_cTmr->Interval(kPollMs);
    } else {
        m_cTmr->Interval(0);
    }
}

void cMenuBar::OnPollTimer() { CheckMouseOver(); }

bool cMenuBar::Tracking() const noexcept { return m_cToolbarMenu && m_cToolbarMenu->Tracking(); }

bool cMenuBar::PopupShowing() const noexcept { return Tracking() || !m_tItems.empty(); }

void cMenuBar::OpenPopup(int index) {
    // A popup already open (ours, or one the application opened) keeps its
    // loop and its owner-drawn items: no second loop could start, and the
    // restore after it would take the items from the popup on show.
    if (PopupShowing()) return;
    if (m_cTmr) m_cTmr->Interval(0);
    // Readers hear the menu mode start and end, as around a standard menu bar's.
    const HWND window = m_hWnd;
    NotifyWinEvent(EVENT_SYSTEM_MENUSTART, window, OBJID_MENU, CHILDID_SELF);
    // The tracker may go (a Detach from inside the loop): keep it for the call.
    if (const std::shared_ptr<cToolbarMenu> tracker = m_cToolbarMenu) tracker->TrackPopup(index);
    RestorePopupItems();
    NotifyWinEvent(EVENT_SYSTEM_MENUEND, window, OBJID_MENU, CHILDID_SELF);
}

void cMenuBar::OnLeftPress() { PressAndOpen(ItemUnderCursor()); }

void cMenuBar::PressAndOpen(int index) {
    const bool changed = index != m_iDownOn;
    m_iDownOn = index;
    if (changed) Repaint();
    if (m_iDownOn > 0) OpenPopup(m_iDownOn);
}

int cMenuBar::MenuPosition(int index) const noexcept {
    const int n = GetMenuItemCount(m_hMenu);
    for (int p = 0, k = 0; p < n; ++p)
        if (GetMenuItemID(m_hMenu, p) == static_cast<UINT>(-1) && ++k == index) return p;
    return -1;
}

int cMenuBar::ItemOfMnemonic(wchar_t ch) const {
    for (int k = 1; k <= m_iCount; ++k) {
        wchar_t text[256] = {};
        const int p = MenuPosition(k);
        if (p >= 0 && GetMenuStringW(m_hMenu, static_cast<UINT>(p), text, 256, MF_BYPOSITION) > 0 &&
            cAccessible::Mnemonic(text) == ch)
            return k;
    }
    return 0;
}

void cMenuBar::KeyboardMode() {
    if (m_bKeyboard || PopupShowing() || m_iCount < 1 || !m_hWnd) return;
    // Counted for the loop: the owner may let the bar go meanwhile.
    const std::shared_ptr<cMenuBar> self = SharedFrom(this);
    const HWND window = m_hWnd;
    m_bKeyboard = true;
    if (m_cTmr) m_cTmr->Interval(0);
    NotifyWinEvent(EVENT_SYSTEM_MENUSTART, window, OBJID_MENU, CHILDID_SELF);
    HotItem(1);
    int open = 0;
    MSG msg;
    while (m_bKeyboard) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that waits for it
            break;
        }
        const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        if (keyDown) {
            switch (msg.wParam) {
                case VK_LEFT: HotItem(m_iOver > 1 ? m_iOver - 1 : m_iCount); break;
                case VK_RIGHT: HotItem(m_iOver < m_iCount ? m_iOver + 1 : 1); break;
                case VK_DOWN: case VK_UP: case VK_RETURN: open = m_iOver; m_bKeyboard = false; break;
                case VK_ESCAPE: case VK_MENU: case VK_F10: m_bKeyboard = false; break;
                default:
                    if (const UINT ch = MapVirtualKeyW(static_cast<UINT>(msg.wParam), MAPVK_VK_TO_CHAR); ch > L' ') {
                        open = ItemOfMnemonic(static_cast<wchar_t>(ch & 0xFFFF));
                        if (open > 0) m_bKeyboard = false;
                    }
                    break;
            }
            continue;  // keys belong to the bar while it is in the mode
        }
        if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP || msg.message == WM_CHAR ||
            msg.message == WM_SYSCHAR)
            continue;
        const bool press = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                           msg.message == WM_MBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN ||
                           msg.message == WM_NCRBUTTONDOWN || msg.message == WM_NCMBUTTONDOWN;
        if (press) m_bKeyboard = false;  // the click still does what it does
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetActiveWindow() != window) m_bKeyboard = false;
    }
    m_bKeyboard = false;
    if (m_hWnd == window) HotItem(0);
    NotifyWinEvent(EVENT_SYSTEM_MENUEND, window, OBJID_MENU, CHILDID_SELF);
    // The popup opens from the window's own message loop, as after a click,
    // not from inside the system command that started the mode.
    if (open > 0 && m_hWnd == window) DoDefaultAction(open);
}

bool cMenuBar::DescribeElement(int child, AccessibleElement& element) {
    if (!m_hWnd || !m_hMenu || child < 0 || child > m_iCount) return false;
    if (child == CHILDID_SELF) {
        element.role = ROLE_SYSTEM_MENUBAR;
        for (int k = 1; k <= m_iCount; ++k) {
            RECT r{};
            GetItemScreenRect(k, r);
            UnionRect(&element.screen, &element.screen, &r);
        }
        return true;
    }
    const int p = MenuPosition(child);
    if (p < 0) return false;
    wchar_t text[256] = {};
    GetMenuStringW(m_hMenu, static_cast<UINT>(p), text, 256, MF_BYPOSITION);
    element.name = cAccessible::MenuName(text);
    if (const wchar_t key = cAccessible::Mnemonic(text)) element.keyboardShortcut = std::wstring(L"Alt+") + key;
    element.defaultAction = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? L"打开" : L"Open";
    element.role = ROLE_SYSTEM_MENUITEM;
    element.state = STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_FOCUSABLE;
    if (GetMenuState(m_hMenu, static_cast<UINT>(p), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))
        element.state |= STATE_SYSTEM_UNAVAILABLE;
    if (child == m_iOver) element.state |= STATE_SYSTEM_HOTTRACKED;
    if (child == m_iOver && (m_bKeyboard || Tracking())) element.state |= STATE_SYSTEM_FOCUSED;
    if (child == m_iDownOn) element.state |= STATE_SYSTEM_PRESSED;
    GetItemScreenRect(child, element.screen);
    return true;
}

bool cMenuBar::DoDefaultAction(int child) {
    if (child < 1 || child > m_iCount || !m_openItemMessage) return false;
    return PostMessageW(m_hWnd, m_openItemMessage, static_cast<WPARAM>(child), 0) != FALSE;
}

bool cMenuBar::AcceleratorKey(int vKey) {
    bool result = false;
    const int n = GetMenuItemCount(m_hMenu);
    int barIndex = 0;  // bar items count popup entries only
    for (int i = 0; i < n; ++i) {
        const bool popup = GetMenuItemID(m_hMenu, i) == static_cast<UINT>(-1);
        if (popup) ++barIndex;
        MENUITEMINFOA info;
        const std::string text = ReadItem(m_hMenu, static_cast<UINT>(i), TRUE, MIIM_TYPE | MIIM_DATA, info);
        if (text.empty() || !popup) continue;
        const std::string m = MnemonicOf(text);
        if (m.empty() || m != std::string(1, static_cast<char>(vKey))) continue;
        result = true;
        // The key that opened a popup can reach the keyboard hook again from
        // inside the popup's loop: it is taken, and changes nothing.
        if (PopupShowing()) continue;
        PressItem(barIndex, true);
        OpenPopup(m_iDownOn);
    }
    return result;
}

// ---- Owner-drawn popup items ----

bool cMenuBar::MarkPopupSeen(HMENU hPopup) {
    if (std::find(m_hSeen.begin(), m_hSeen.end(), hPopup) != m_hSeen.end()) return true;
    m_hSeen.push_back(hPopup);
    return false;
}

int cMenuBar::FindItemRecord(HMENU hPopup, int pos) const noexcept {
    for (size_t i = 0; i < m_tItems.size(); ++i)
        if (m_tItems[i].hMenu == hPopup && m_tItems[i].pos == pos) return static_cast<int>(i) + 1;
    return 0;
}

int cMenuBar::FindItemRecordById(UINT id) const noexcept {
    for (size_t i = 0; i < m_tItems.size(); ++i)
        if (m_tItems[i].info.wID == id) return static_cast<int>(i) + 1;
    return 0;
}

int cMenuBar::OwnRecord(std::uintptr_t r, HMENU hPopup, int pos) const noexcept {
    if (r < 1 || r > m_tItems.size()) return 0;
    const ItemRecord& rec = m_tItems[r - 1];
    return rec.hMenu == hPopup && rec.pos == pos && !rec.appOwnerDrawn() ? static_cast<int>(r) : 0;
}

int cMenuBar::AddItemRecord(HMENU hPopup, int pos, const MENUITEMINFOA& item, std::string text) {
    m_tItems.emplace_back();
    const int r = static_cast<int>(m_tItems.size());
    StoreItemRecord(r, hPopup, pos, item, std::move(text));
    return r;
}

void cMenuBar::StoreItemRecord(int r, HMENU hPopup, int pos, const MENUITEMINFOA& item, std::string text) {
    ItemRecord& rec = m_tItems[static_cast<size_t>(r - 1)];
    rec.hMenu = hPopup;
    rec.pos = pos;
    rec.info = item;
    rec.info.fMask = kReadMask;
    rec.text = std::move(text);
    const size_t tab = rec.text.find('\t');
    rec.caption = rec.text.substr(0, tab);
    rec.accel = tab == std::string::npos ? std::string() : rec.text.substr(tab + 1);
    if (std::string m = MnemonicOf(rec.caption); !m.empty()) rec.mnemonic = std::move(m);
}

void cMenuBar::MakeOwnerDrawn(HMENU hPopup, int pos, UINT fType, int r) {
    MENUITEMINFOA set{};
    set.cbSize = sizeof set;
    set.fMask = MIIM_TYPE | MIIM_DATA;
    set.fType = fType | MFT_OWNERDRAW;
    set.dwItemData = static_cast<ULONG_PTR>(r);
    SetMenuItemInfoA(hPopup, static_cast<UINT>(pos), TRUE, &set);
}

void cMenuBar::InitPopup(HMENU hPopup) {
    const bool seen = MarkPopupSeen(hPopup);
    // Measuring needs a surface, also before the bar has ever been drawn.
    m_cMemDC.Width(1);
    m_cMemDC.Height(1);
    const HDC dc = m_cMemDC.hdc();
    const SelectGuard font(dc, hMenuFont());
    const int n = GetMenuItemCount(hPopup);
    int widestText = 0, widestAccel = 0;
    for (int p = 0; p < n; ++p) {
        int r = 0;
        MENUITEMINFOA item;
        if (!seen) {
            std::string text = ReadItem(hPopup, static_cast<UINT>(p), TRUE, kReadMask, item);
            r = AddItemRecord(hPopup, p, item, std::move(text));
            if (!(item.fType & MFT_OWNERDRAW)) MakeOwnerDrawn(hPopup, p, item.fType, r);
        } else {
            MENUITEMINFOA typeAndData;
            ReadItem(hPopup, static_cast<UINT>(p), TRUE, MIIM_TYPE | MIIM_DATA, typeAndData);
            r = (typeAndData.fType & MFT_OWNERDRAW) ? OwnRecord(typeAndData.dwItemData, hPopup, p) : 0;
            if (r == 0) r = FindItemRecord(hPopup, p);
            const bool appOwnerDrawn = r > 0 && m_tItems[static_cast<size_t>(r - 1)].appOwnerDrawn();
            if (!appOwnerDrawn && !(r > 0 && (typeAndData.fType & MFT_OWNERDRAW))) {
                // Not (or no longer) ours: read it again into its old record,
                // or into a new one for an item added since the popup was prepared.
                std::string text = ReadItem(hPopup, static_cast<UINT>(p), TRUE, kReadMask, item);
                if (r > 0) {
                    // Its data is still our record index: keep the application's.
                    if (item.dwItemData == static_cast<ULONG_PTR>(r))
                        item.dwItemData = m_tItems[static_cast<size_t>(r - 1)].info.dwItemData;
                    StoreItemRecord(r, hPopup, p, item, std::move(text));
                }
                else
                    r = AddItemRecord(hPopup, p, item, std::move(text));
                if (!(item.fType & MFT_OWNERDRAW)) MakeOwnerDrawn(hPopup, p, item.fType, r);
            }
        }
        if (r >= 1 && r <= ItemRecordCount()) {
            const ItemRecord& rec = m_tItems[static_cast<size_t>(r - 1)];
            widestText = std::max(widestText, TextWidth(dc, rec.caption, m_lItemHeight));
            if (!rec.accel.empty()) widestAccel = std::max(widestAccel, TextWidth(dc, rec.accel, m_lItemHeight));
        }
    }
    for (ItemRecord& rec : m_tItems) {
        if (rec.hMenu != hPopup) continue;
        rec.textWidth = widestText;
        rec.accelWidth = widestAccel;
    }
}

void cMenuBar::RestorePopupItems() noexcept {
    for (ItemRecord& rec : m_tItems) {
        MENUITEMINFOA info = rec.info;
        info.dwTypeData = rec.text.data();
        info.cch = static_cast<UINT>(rec.text.size());
        SetMenuItemInfoA(rec.hMenu, static_cast<UINT>(rec.pos), TRUE, &info);
    }
    m_tItems.clear();
    m_hSeen.clear();
}

LRESULT cMenuBar::MeasureItem(WPARAM wParam, LPARAM lParam) {
    MEASUREITEMSTRUCT mis{};
    std::memcpy(&mis, reinterpret_cast<const void*>(lParam), sizeof mis);
    if (mis.CtlType != ODT_MENU) return MSubclass::CallOldWindowProc(m_hWnd, WM_MEASUREITEM, wParam, lParam);
    // The item data names the record; an identifier alone is ambiguous
    // (every separator has 0).
    int r = 0;
    if (mis.itemData >= 1 && mis.itemData <= m_tItems.size() && m_tItems[mis.itemData - 1].info.wID == mis.itemID)
        r = static_cast<int>(mis.itemData);
    if (r == 0) r = FindItemRecordById(mis.itemID);
    // An item that is not ours (no record, or the application draws it) is
    // measured by the window's own procedure.
    if (r == 0 || m_tItems[static_cast<size_t>(r - 1)].appOwnerDrawn())
        return MSubclass::CallOldWindowProc(m_hWnd, WM_MEASUREITEM, wParam, lParam);
    const ItemRecord& rec = m_tItems[static_cast<size_t>(r - 1)];
    mis.itemWidth =
        static_cast<UINT>(rec.accelWidth > 0 ? rec.textWidth + rec.accelWidth + Px(38) : rec.textWidth + Px(30));
    mis.itemHeight = static_cast<UINT>((rec.info.fType & MFT_SEPARATOR) ? Px(6) : m_lItemHeight + Px(8));
    std::memcpy(reinterpret_cast<void*>(lParam), &mis, sizeof mis);
    return 0;
}

void cMenuBar::DrawItemText(HDC hdc, const std::string& text, RECT rect, bool bDisabled, UINT format) {
    if (bDisabled) {
        SetTextColor(hdc, TranslateColor(0x80000014));  // 3D highlight
        RECT moved = rect;
        OffsetRect(&moved, 1, 1);
        DrawTextA(hdc, text.c_str(), -1, &moved, format);
        SetTextColor(hdc, TranslateColor(0x80000010));  // button shadow
    }
    DrawTextA(hdc, text.c_str(), -1, &rect, format);
}

LRESULT cMenuBar::DrawItem(WPARAM wParam, LPARAM lParam) {
    DRAWITEMSTRUCT dis{};
    std::memcpy(&dis, reinterpret_cast<const void*>(lParam), sizeof dis);
    if (dis.CtlType != ODT_MENU) {
        MSubclass::CallOldWindowProc(m_hWnd, WM_DRAWITEM, wParam, lParam);
        return 0;
    }
    const HMENU menu = reinterpret_cast<HMENU>(dis.hwndItem);
    // Our own record names the item by position (identifiers repeat); an item
    // we did not make owner-drawn is the application's to draw.
    int r = 0;
    if (dis.itemData >= 1 && dis.itemData <= m_tItems.size()) {
        const ItemRecord& rec = m_tItems[dis.itemData - 1];
        if (rec.hMenu == menu && rec.info.wID == dis.itemID && !rec.appOwnerDrawn()) r = static_cast<int>(dis.itemData);
    }
    if (r == 0) {
        MSubclass::CallOldWindowProc(m_hWnd, WM_DRAWITEM, wParam, lParam);
        return 0;
    }
    const ItemRecord& rec = m_tItems[static_cast<size_t>(r - 1)];

    const int w = dis.rcItem.right - dis.rcItem.left + 1, h = dis.rcItem.bottom - dis.rcItem.top + 1;
    m_cMemDC.Width(w);
    m_cMemDC.Height(h);
    const HDC dc = m_cMemDC.hdc();
    {
        const SelectGuard font(dc, hMenuFont());
        RECT R = dis.rcItem;
        OffsetRect(&R, -R.left, -R.top);
        {
            const UniqueBrush brush(CreateSolidBrush(TranslateColor(m_oMenuBackgroundColor)));
            const RECT all{0, 0, m_cMemDC.Width(), m_cMemDC.Height()};
            FillRect(dc, &all, brush.get());
        }
        SetBkMode(dc, TRANSPARENT);

        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_TYPE | MIIM_DATA;
        GetMenuItemInfoA(menu, static_cast<UINT>(rec.pos), TRUE, &info);

        if (info.fType & MFT_SEPARATOR) {
            RECT L = R;
            L.top = R.top + (R.bottom - R.top - 2) / 2;
            L.bottom = L.top + 2;
            InflateRect(&L, -Px(8), 0);
            DrawEdge(dc, &L, BDR_SUNKENOUTER, BF_TOP | BF_BOTTOM);
        } else {
            const bool radio = (info.fType & MFT_RADIOCHECK) != 0;
            // Grayed (1) and disabled (2) items both cannot be chosen: both look disabled.
            const bool disabled = (info.fState & MFS_DISABLED) != 0;
            const bool checked = (info.fState & MFS_CHECKED) != 0;
            const bool highlighted = (info.fState & MFS_HILITE) != 0;
            SetTextColor(dc, TranslateColor(highlighted ? m_oActiveMenuColorOver : m_oActiveMenuColor));
            if (checked) {
                RECT C = R;
                InflateRect(&C, -Px(4), -Px(4));
                C.left += Px(2);
                C.right = C.left + (C.bottom - C.top + 1);
                DrawEdge(dc, &C, BDR_SUNKENOUTER, BF_RECT);
                const SelectGuard symbol(dc, hSymbolFont());
                DrawItemText(dc, radio ? "h" : "b", C, disabled, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            }
            RECT T = R;
            T.left = Px(kTextLeft);
            DrawItemText(dc, rec.caption, T, disabled, DT_VCENTER | DT_SINGLELINE);
            if (!rec.accel.empty()) {
                T.left = Px(kTextLeft) + rec.textWidth + Px(8);
                DrawItemText(dc, rec.accel, T, disabled, DT_VCENTER | DT_SINGLELINE);
            }
            if (GetSubMenu(menu, rec.pos)) {
                // The submenu arrow: the symbol font's, at the window's DPI,
                // inside the highlight's edge.
                RECT A = R;
                A.right -= Px(4);
                A.left = A.right - Px(12);
                const SelectGuard symbol(dc, hSymbolFont());
                DrawItemText(dc, "4", A, disabled, DT_CENTER | DT_VCENTER | DT_SINGLELINE);  // right-pointing
            }
            if (highlighted && !disabled) {
                RECT H = R;
                H.left += Px(2);
                H.right -= Px(2);
                DrawEdge(dc, &H, BDR_RAISEDINNER, BF_RECT);
            }
        }
    }
    BitBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
    // The system draws its own submenu arrow, one size for every DPI, over an
    // owner-drawn item once WM_DRAWITEM returns; the item's rectangle leaves
    // the clip region so that the arrow drawn above is the only one.
    if (GetSubMenu(menu, rec.pos))
        ExcludeClipRect(dis.hDC, dis.rcItem.left, dis.rcItem.top, dis.rcItem.right, dis.rcItem.bottom);
    return 0;
}

LRESULT cMenuBar::MenuCharItem(HMENU hMenu, int ch) const {
    const std::string s = UpperChar(static_cast<char>(ch));
    for (const ItemRecord& rec : m_tItems)
        if (rec.hMenu == hMenu && rec.mnemonic == s) return rec.pos | (MNC_EXECUTE << 16);
    return 0;
}
