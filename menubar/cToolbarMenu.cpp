#include "cToolbarMenu.h"

#include "cMenuBar.h"
#include "plumbing/MSubclass.h"
#include "plumbing/ObjectFromPtr.h"
#include "plumbing/ScopeGuard.h"

cToolbarMenu::~cToolbarMenu() { DetachWindow(); }

void cToolbarMenu::AttachWindow(HWND hWnd, cMenuBar& bar) {
    DetachWindow();
    m_hWnd = hWnd;
    SendMessageA(hWnd, WM_ENTERMENULOOP, 0, 0);
    MSubclass::AttachMessage(*this, hWnd, WM_MENUSELECT);
    m_lPtrMenuBar = ObjPtr(&bar);
}

void cToolbarMenu::DetachWindow() noexcept {
    if (m_hWnd) {
        SendMessageA(m_hWnd, WM_EXITMENULOOP, 0, 0);
        MSubclass::DetachMessage(*this, m_hWnd, WM_MENUSELECT);
        m_hWnd = nullptr;
    }
    m_lPtrMenuBar = 0;
}

EMsgHandling cToolbarMenu::MsgResponse() {
    return MSubclass::CurrentMessage() == WM_MENUSELECT ? mhCallPreviousBefore : mhConsume;
}

LRESULT cToolbarMenu::WindowProc(HWND, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg == WM_MENUSELECT) OnMenuSelect(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), HIWORD(wParam));
    return 0;
}

void cToolbarMenu::OnMenuSelect(HMENU hMenu, UINT item, UINT flags) {
    if (m_eState <= kIdle) return;
    // The item value is a position only for an item that opens a submenu; for
    // a command it is the identifier, which names no submenu.
    m_bRightMoves = !(flags & MF_POPUP) || GetSubMenu(hMenu, static_cast<int>(item)) == nullptr;
    m_bLeftMoves = hMenu == m_hTrackMenu;
}

bool cToolbarMenu::GetMenuBar(std::shared_ptr<cMenuBar>& bar) const {
    if (m_lPtrMenuBar == 0) return false;
    bar = ObjectFromPtr<cMenuBar>(m_lPtrMenuBar);
    return bar != nullptr;
}

int cToolbarMenu::BarItemFromPoint(POINT screen) const {
    std::shared_ptr<cMenuBar> bar;
    return GetMenuBar(bar) ? bar->ItemFromPoint(screen) : 0;
}

int cToolbarMenu::BarItemCount() const {
    std::shared_ptr<cMenuBar> bar;
    return GetMenuBar(bar) ? bar->ItemCount() : 0;
}

int cToolbarMenu::BarDownItem() const {
    std::shared_ptr<cMenuBar> bar;
    return GetMenuBar(bar) ? bar->DownItem() : 0;
}

void cToolbarMenu::SetBarItemPressed(int index, bool bPressed) {
    std::shared_ptr<cMenuBar> bar;
    if (index >= 1 && index <= BarItemCount() && GetMenuBar(bar)) bar->PressItem(index, bPressed);
}

void cToolbarMenu::GetBarItemRect(int index, RECT& R) const {
    R = {};
    std::shared_ptr<cMenuBar> bar;
    if (index >= 1 && index <= BarItemCount() && GetMenuBar(bar)) bar->GetItemScreenRect(index, R);
}

void cToolbarMenu::SetBarHotItem(int index) {
    std::shared_ptr<cMenuBar> bar;
    if (GetMenuBar(bar)) bar->HotItem(index);
}

void cToolbarMenu::GetPopupPosition(const RECT& R, TPMPARAMS& tP, POINT& pt) noexcept {
    pt = {R.left, R.bottom};
    tP.rcExclude = R;
}

void cToolbarMenu::SetTrackState(std::int32_t eState, int index) {
    if (eState == m_eState) return;
    if (eState == kIdle) index = -1;
    SetBarHotItem(index);
    if (eState == kPopupOpen) {
        m_bRightMoves = true;
        m_bLeftMoves = true;
        m_iCurrent = index;
    }
    m_eState = eState;
}

void cToolbarMenu::ToggleKeyboardMode() {
    if (m_eState == kIdle)
        SetTrackState(kKeyboard, 1);
    else if (m_eState == kKeyboard)
        SetTrackState(kIdle, 1);
}

int cToolbarMenu::NextBarItem(int start, bool bPrevious) const {
    const int count = BarItemCount();
    int candidate = start;
    do {
        if (bPrevious)
            candidate = candidate >= 2 ? candidate - 1 : count;
        else
            candidate = candidate + 1 > count ? 1 : candidate + 1;
        if (IsBarItemEnabled(candidate)) return candidate;
    } while (candidate != start);
    return -1;
}

void cToolbarMenu::SwitchToItem(int index) {
    std::shared_ptr<cMenuBar> bar;
    if (index <= 0 || index == m_iCurrent || !GetMenuBar(bar) || !bar->SubMenuOf(index)) return;
    PostMessageA(m_hWnd, WM_CANCELMODE, 0, 0);
    m_iNext = index;
}

bool cToolbarMenu::MenuFilterMessage(const MSG& msg) {
    switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_LEFT && m_bLeftMoves) {
                SwitchToItem(NextBarItem(m_iCurrent, true));
                return true;
            }
            if (msg.wParam == VK_RIGHT && m_bRightMoves) {
                SwitchToItem(NextBarItem(m_iCurrent, false));
                return true;
            }
            return false;
        case WM_MOUSEMOVE: {
            // Only a pointer that really moved chooses an item: the popup loop
            // also reports the resting pointer, which must not undo a switch
            // made with the keys.
            if (msg.pt.x == m_ptLastMove.x && msg.pt.y == m_ptLastMove.y) return false;
            m_ptLastMove = msg.pt;
            const int j = BarItemFromPoint(msg.pt);
            if (j >= 1 && j != m_iCurrent) SwitchToItem(j);
            return false;
        }
        case WM_LBUTTONDOWN:
            return BarItemFromPoint(msg.pt) == m_iCurrent;
    }
    return false;
}

BOOL cToolbarMenu::TrackPopup(int index) {
    if (m_bTracking) return FALSE;
    // Counted for the loop: the owner may let go of its tracker meanwhile.
    const std::shared_ptr<cToolbarMenu> self = SharedFrom(this);
    m_bTracking = true;
    // Whatever ends the loop, the hook goes and the next call may track again.
    const ScopeGuard done([this]() noexcept {
        mDeclares::DetachMsgHook();
        m_bTracking = false;
    });
    m_iNext = index;
    int k = index;
    BOOL result = FALSE;
    std::shared_ptr<cMenuBar> bar;
    if (GetMenuBar(bar)) {
        while (m_iNext >= 0) {
            m_iNext = -1;
            SetBarItemPressed(k, true);
            SetTrackState(kPopupOpen, k);
            mDeclares::AttachMsgHook(*this);
            RECT R{};
            GetBarItemRect(k, R);
            TPMPARAMS tP{};
            tP.cbSize = sizeof tP;
            POINT pt{};
            GetPopupPosition(R, tP, pt);
            GetCursorPos(&m_ptLastMove);
            if (const HMENU h = bar->SubMenuOf(k)) {
                m_hTrackMenu = h;
                result = TrackPopupMenuEx(h, TPM_VERTICAL, pt.x, pt.y, m_hWnd, &tP);
            } else {
                result = FALSE;
            }
            mDeclares::DetachMsgHook();
            SetBarItemPressed(k, false);
            SetTrackState(kIdle, k);
            k = m_iNext;
        }
    }
    return result;
}
