#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plumbing/CTimer.h"
#include "plumbing/IAccessibleSource.h"
#include "plumbing/ISubclass.h"
#include "plumbing/StdFont.h"
#include "plumbing/cMemDC.h"

class cToolbarMenu;

// A window's top-level menu drawn as a row of text items inside a skinned
// caption (the frame controller has taken the menu off the window). It
// hot-tracks and presses its items, opens their popups through its popup
// tracker, and draws the items of every popup shown for the window itself
// (owner-drawn), putting each item back as it was when the menu loop ends.
//
// Bar items are numbered from 1 and count only the top-level entries that
// open a popup. Item rectangles are kept in caption coordinates: window
// coordinates with the caption height taken off the rows (so the rows of
// items in the caption are negative).
//
// Measures are written for 96 DPI and scaled to the DPI its owner hands it
// through WindowDpi, when it attaches the bar and at each change.
//
// Colours are OLE colours. Create menu bars with std::make_shared: the
// subclassing registry and the popup tracker hold them by weak reference.
class cMenuBar final : public ISubclass, public IAccessibleSource {
public:
    using OleColor = std::uint32_t;

    cMenuBar();
    // Detaches.
    ~cMenuBar() override;
    cMenuBar(const cMenuBar&) = delete;
    cMenuBar& operator=(const cMenuBar&) = delete;

    void hMenu(HMENU hTheMenu) noexcept { m_hMenu = hTheMenu; }
    HMENU hMenu() const noexcept { return m_hMenu; }
    // Starts serving lhWnd: binds a popup tracker and takes the window's
    // pointer, owner-draw and menu-character messages.
    void Attach(HWND lhWnd);
    // Stops serving the window (the window handle is kept).
    void Detach() noexcept;
    // From the window's outer top edge to the top of its client area.
    void CaptionHeight(std::int32_t lHeight) noexcept { m_lCaptionHeight = lHeight; }
    std::int32_t CaptionHeight() const noexcept { return m_lCaptionHeight; }
    // Draws the bar into the lWidth x lHeight strip at (lLeft, lTop) of lhDC,
    // moved down by 2 pixels at 96 DPI (scaled at others), and records where each item went; lYoffset turns the strip's rows
    // into caption rows. Items are centred on the strip's rows and their
    // boxes kept within them. Draws nothing while there is no menu.
    void Render(HFONT hFnt, HDC lhDC, int lLeft, int lTop, int lWidth, int lHeight, int lYoffset);

    // The popup items' font (shared with whoever handed it over); the symbol
    // font keeps its face and size.
    void Font(std::shared_ptr<StdFont> fnt) noexcept { m_fntMenu = std::move(fnt); }
    const std::shared_ptr<StdFont>& Font() const noexcept { return m_fntMenu; }
    // As Font, and the symbol font becomes Marlett at 1.2 times its size.
    void SetFontAndSymbol(std::shared_ptr<StdFont> fnt);
    void SetColors(OleColor oActiveMenuColor, OleColor oActiveMenuColorOver, OleColor oInActiveMenuColor,
                   OleColor oMenuBackgroundColor) noexcept;
    // The fonts at the window's DPI.
    HFONT hMenuFont() { return m_fntMenu->Handle(m_dpi); }
    HFONT hSymbolFont() { return m_fntSymbol->Handle(m_dpi); }
    // The DPI the bar lays out and draws for. Setting it draws nothing: the
    // owner repaints the frame once it has laid the window out.
    int WindowDpi() const noexcept { return m_dpi; }
    void WindowDpi(int dpi) noexcept;
    // Opens the popup of every top-level entry whose mnemonic is vKey, one
    // after the other; true when there was one. While a popup of the window
    // is on show it opens nothing and changes nothing.
    bool AcceleratorKey(int vKey);
    // Keyboard mode, as Alt alone or F10 starts it on a standard menu bar:
    // the first item is hot, Left and Right move, Down, Up, Enter or an
    // item's mnemonic opens its popup, and Escape, Alt, F10 or a click
    // elsewhere leaves. Returns when the mode (and any popup it opened) ends.
    void KeyboardMode();
    bool InKeyboardMode() const noexcept { return m_bKeyboard; }
    int ItemUnderCursor() const;
    int ItemFromPoint(POINT screen) const;
    int ItemCount() const noexcept { return m_iCount; }
    HMENU SubMenuOf(int index) const noexcept;
    void PressItem(int index, bool bPressed);
    // The item's rectangle on the screen; R is left alone for an index out of range.
    void GetItemScreenRect(int index, RECT& R) const;
    int DownItem() const noexcept { return m_iDownOn; }
    void HotItem(int index);
    int HotItem() const noexcept { return m_iOver; }

    // Owner-drawn popup items.
    void InitPopup(HMENU hPopup);
    bool MarkPopupSeen(HMENU hPopup);
    int FindItemRecord(HMENU hPopup, int pos) const noexcept;
    int FindItemRecordById(UINT id) const noexcept;
    void RestorePopupItems() noexcept;
    int ItemRecordCount() const noexcept { return static_cast<int>(m_tItems.size()); }

    // IAccessibleSource: the bar (OBJID_MENU) and its items, 1 to ItemCount().
    HWND AccessibleWindow() override { return m_hWnd; }
    int AccessibleChildCount() override { return m_iCount; }
    bool DescribeElement(int child, AccessibleElement& element) override;
    // Presses the item and opens its popup, as a click does, once the
    // reader's call has returned.
    bool DoDefaultAction(int child) override;

    // ISubclass
    EMsgHandling MsgResponse() override;
    void MsgResponse(EMsgHandling) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

    LRESULT MenuCharItem(HMENU hMenu, int ch) const;
    LRESULT MeasureItem(WPARAM wParam, LPARAM lParam);
    LRESULT DrawItem(WPARAM wParam, LPARAM lParam);
    // Hot tracking; also run by the pointer poll every 50 ms while needed.
    void CheckMouseOver();
    // The pointer poll's interval, 0 while it is stopped or not yet made.
    std::int32_t PollInterval() const noexcept { return m_cTmr ? m_cTmr->Interval() : 0; }
    cToolbarMenu* Tracker() const noexcept { return m_cToolbarMenu.get(); }
    // A popup loop of this bar is running.
    bool Tracking() const noexcept;
    // A popup of the window is on show: this bar's, or one whose items it
    // has prepared (records live until the end of the popup's loop).
    bool PopupShowing() const noexcept;

    // An OLE colour as RGB; -1 (CLR_INVALID) when it cannot be translated.
    static COLORREF TranslateColor(OleColor oColor) noexcept;

private:
    // One popup item as it was before it was made owner-drawn.
    struct ItemRecord {
        HMENU hMenu = nullptr;
        int pos = 0;
        MENUITEMINFOA info{};  // fMask 0x32; dwTypeData points into text at restore time
        std::string text;      // the whole item text, however long
        std::string caption, accel, mnemonic;
        int textWidth = 0, accelWidth = 0;
        bool appOwnerDrawn() const noexcept { return (info.fType & MFT_OWNERDRAW) != 0; }
    };

    int AddItemRecord(HMENU hPopup, int pos, const MENUITEMINFOA& item, std::string text);
    void StoreItemRecord(int r, HMENU hPopup, int pos, const MENUITEMINFOA& item, std::string text);
    // The record r when it is ours for (hPopup, pos), else 0.
    int OwnRecord(std::uintptr_t r, HMENU hPopup, int pos) const noexcept;
    void MakeOwnerDrawn(HMENU hPopup, int pos, UINT fType, int r);
    void DrawItemText(HDC hdc, const std::string& text, RECT rect, bool bDisabled, UINT format);
    void OpenPopup(int index);
    // Presses item `index` and opens its popup.
    void PressAndOpen(int index);
    // The position in the menu of bar item `index`, -1 for none.
    int MenuPosition(int index) const noexcept;
    // The bar item whose mnemonic is `ch`, 0 for none.
    int ItemOfMnemonic(wchar_t ch) const;
    void OnLeftPress();
    void OnPollTimer();
    void Repaint() const;
    // A 96-DPI measure at the bar's DPI.
    int Px(int px96) const noexcept;

    cMemDC m_cMemDC;
    std::shared_ptr<cToolbarMenu> m_cToolbarMenu;
    HMENU m_hMenu = nullptr;
    HWND m_hWnd = nullptr;
    std::vector<RECT> m_tR;
    std::vector<HMENU> m_hSubMenu;
    int m_iCount = 0;
    int m_iDownOn = 0;
    int m_iOver = 0;
    OleColor m_oActiveMenuColor = 0;
    OleColor m_oActiveMenuColorOver = 0;
    OleColor m_oInActiveMenuColor = 0;
    OleColor m_oMenuBackgroundColor = 0xFFFFFF;
    std::int32_t m_lCaptionHeight = 0;
    std::vector<ItemRecord> m_tItems;
    std::vector<HMENU> m_hSeen;
    std::shared_ptr<StdFont> m_fntMenu;
    std::shared_ptr<StdFont> m_fntSymbol;
    int m_lItemHeight = 0;
    int m_dpi = 96;
    std::shared_ptr<CTimer> m_cTmr;
    bool m_bKeyboard = false;
    UINT m_openItemMessage = 0;  // posted by DoDefaultAction
};
