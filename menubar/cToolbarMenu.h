#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ncframe/mDeclares.h"
#include "plumbing/ISubclass.h"

class cMenuBar;

// The popup tracker of a menu bar: runs the system's modal popup loop for one
// bar item and, while a popup is open, lets Left, Right and the pointer move
// on to the neighbouring bar items (closing one popup and opening the next).
// The menu-message filter hook (mDeclares) shows it the popup loop's keys and
// pointer messages; WM_MENUSELECT tells it whether the selected item opens a
// submenu and whether it lies in the bar item's own popup.
//
// Owned by its menu bar, which it holds by weak reference. Create trackers
// with std::make_shared.
class cToolbarMenu final : public ISubclass, public IMenuFilter {
public:
    enum : std::int32_t { kIdle = 0, kKeyboard = 1, kPopupOpen = 2 };

    cToolbarMenu() = default;
    ~cToolbarMenu() override;
    cToolbarMenu(const cToolbarMenu&) = delete;
    cToolbarMenu& operator=(const cToolbarMenu&) = delete;

    void AttachWindow(HWND hWnd, cMenuBar& bar);
    void DetachWindow() noexcept;
    // WM_MENUSELECT: item and flags are its wParam's low and high words.
    void OnMenuSelect(HMENU hMenu, UINT item, UINT flags);
    bool MenuFilterMessage(const MSG& msg) override;
    int BarItemFromPoint(POINT screen) const;
    bool IsBarItem(int index) const noexcept { return index >= 1; }
    void SwitchToItem(int index);
    // Runs the popup loop from bar item `index`; returns the last
    // TrackPopupMenuEx result (0 at once while a loop is already running).
    BOOL TrackPopup(int index);
    static void GetPopupPosition(const RECT& R, TPMPARAMS& tP, POINT& pt) noexcept;
    bool GetMenuBar(std::shared_ptr<cMenuBar>& bar) const;
    void SetBarItemPressed(int index, bool bPressed);
    void GetBarItemRect(int index, RECT& R) const;
    int BarDownItem() const;
    void SetBarHotItem(int index);
    bool IsBarItemEnabled(int) const noexcept { return true; }
    int BarItemCount() const;
    void SetTrackState(std::int32_t eState, int index);
    int NextBarItem(int start, bool bPrevious) const;
    void ToggleKeyboardMode();

    std::int32_t State() const noexcept { return m_eState; }
    bool Tracking() const noexcept { return m_bTracking; }
    bool RightMoves() const noexcept { return m_bRightMoves; }
    bool LeftMoves() const noexcept { return m_bLeftMoves; }
    int Current() const noexcept { return m_iCurrent; }

    // ISubclass
    EMsgHandling MsgResponse() override;
    void MsgResponse(EMsgHandling) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    std::int32_t m_eState = kIdle;
    bool m_bRightMoves = false;
    bool m_bLeftMoves = false;
    HMENU m_hTrackMenu = nullptr;
    int m_iCurrent = 0;
    int m_iNext = -1;
    bool m_bTracking = false;
    HWND m_hWnd = nullptr;
    LONG_PTR m_lPtrMenuBar = 0;
    POINT m_ptLastMove{};  // the pointer when the popup opened or last moved
};
