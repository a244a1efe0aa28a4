#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "menubar/cMenuBar.h"
#include "ncframe/INCAreaModifier.h"
#include "ncframe/cNCCalcSize.h"
#include "plumbing/CTimer.h"
#include "plumbing/IForm.h"
#include "plumbing/StdFont.h"
#include "plumbing/StdPicture.h"
#include "plumbing/cMemDC.h"

// The skin of the main window's non-client area, painted from two bitmaps.
//
// The caption bitmap (its height is the caption height) holds, from the
// left: the active left end (columns 0 .. lActiveLeftEnd-1), the middle tile
// (52 columns from lActiveLeftEnd+1), the right end (lActiveRightStart ..
// lActiveRightEnd), the button cells from column 241 (close, restore,
// maximize, minimize; normal looks in the top lButtonHeight rows, pressed
// looks below), and the inactive set of the three pieces lInactiveOffset
// columns further right. The border bitmap is a row of seven B x B cells:
// left edge, -, bottom-left corner, bottom edge, right edge, -, bottom-right.
//
// Colours are OLE colours (RGB, or 0x800000nn for system colour nn). Create
// captions with std::make_shared; a caption must outlive its window's
// attachment (the frame controller holds it by weak reference).
class cOrvelCaption final : public INCAreaModifier {
public:
    using OleColor = std::uint32_t;

    cOrvelCaption();
    // Detaches: a skin may go while its window lives.
    ~cOrvelCaption() override;
    cOrvelCaption(const cOrvelCaption&) = delete;
    cOrvelCaption& operator=(const cOrvelCaption&) = delete;

    // Gives the window back its own frame, procedure and menu.
    void Detach();
    // Skins f's window with the two bitmaps and the slicing measures.
    void Attach(IForm& f, const StdPicture& PicCaption, const StdPicture& PicBorder, int lButtonWidth,
                int lButtonHeight, int lActiveLeftEnd, int lActiveRightStart, int lActiveRightEnd,
                int lInactiveOffset);

    OleColor MenuBackgroundColor() const noexcept { return m_oMenuBackgroundColor; }
    void MenuBackgroundColor(OleColor oColor) noexcept { m_oMenuBackgroundColor = oColor; }
    OleColor ActiveCaptionColor() const noexcept { return m_oActiveCaptionColor; }
    void ActiveCaptionColor(OleColor oColor) noexcept { m_oActiveCaptionColor = oColor; }
    OleColor InActiveCaptionColor() const noexcept { return m_oInActiveCaptionColor; }
    void InActiveCaptionColor(OleColor oColor) noexcept { m_oInActiveCaptionColor = oColor; }
    const std::shared_ptr<StdFont>& CaptionFont() const noexcept { return m_iCaptionFont; }
    void CaptionFont(std::shared_ptr<StdFont> iFnt) noexcept { m_iCaptionFont = std::move(iFnt); }
    const std::shared_ptr<StdFont>& MenuFont() const noexcept { return m_iMenuFont; }
    void MenuFont(std::shared_ptr<StdFont> iFnt) noexcept { m_iMenuFont = std::move(iFnt); }
    OleColor ActiveMenuColor() const noexcept { return m_oActiveMenuColor; }
    OleColor ActiveMenuColorOver() const noexcept { return m_oActiveMenuColorOver; }
    OleColor InActiveMenuColor() const noexcept { return m_oInActiveMenuColor; }
    void ActiveMenuColor(OleColor oColor) noexcept { m_oActiveMenuColor = oColor; }
    void ActiveMenuColorOver(OleColor oColor) noexcept { m_oActiveMenuColorOver = oColor; }
    void InActiveMenuColor(OleColor oColor) noexcept { m_oInActiveMenuColor = oColor; }

    // INCAreaModifier
    HWND hwnd() override { return m_hWnd; }
    void GetTopMarginHeight(int& cy) override;
    void GetLeftMarginWidth(int& cx) override;
    void GetRightMarginWidth(int& cx) override;
    void GetBottomMarginHeight(int& cy) override;
    void NCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) override;
    void HitTest(int x, int y, int& eHitTest) override;
    void NCMouseDown(int x, int y, bool& bHandled, HDC hdc, int lLeft, int lTop, int lRight, int lBottom) override;
    void NCMouseUp(int x, int y, HDC hdc, int lLeft, int lTop, int lRight, int lBottom) override;
    // The menu bar shows the window's menu in the caption, under the title.
    void InitMenuPopup(WPARAM wParam, LPARAM lParam) override;
    void ExitMenuLoop() override;
    int AltKeyAccelerator(int vKey) override;

    // The menu bar (none before the first Attach).
    const std::shared_ptr<cMenuBar>& MenuBar() const noexcept { return m_cMenu; }

    // Where the last paint put the caption buttons (0 close, 1 maximize or
    // restore, 2 minimize), in window coordinates, and whether each exists.
    const RECT& ButtonRect(int index) const noexcept { return m_tBtnR[index]; }
    bool HasButton(int index) const noexcept;

    // An OLE colour as RGB; -1 (CLR_INVALID) when it cannot be translated.
    static COLORREF TranslateColor(OleColor oColor, HPALETTE hPal = nullptr) noexcept;
    // The font's description for the resolution of `hdc`, into a zeroed LOGFONT.
    static void FontToLogFont(const StdFont& iFnt, HDC hdc, LOGFONTA& tLF);

private:
    enum Button { kClose = 0, kMax = 1, kMin = 2 };
    void DrawButton(HDC hdc, int index, int state);
    bool IsActive() const noexcept;
    void PaintEdges(HDC hdc, int lLeft, int lTop, int lRight, int lBottom);
    void WatchPress();
    void OnPressPollTimer();

    std::shared_ptr<cNCCalcSize> m_cNCS;
    std::shared_ptr<cMenuBar> m_cMenu;
    HWND m_hWnd = nullptr;
    std::shared_ptr<cMemDC> m_cBorderDC;
    std::shared_ptr<cMemDC> m_cCaptionDC;
    std::shared_ptr<cMemDC> m_cCaptionBuf;
    std::shared_ptr<cMemDC> m_cSideBuf;
    OleColor m_oActiveCaptionColor = 0xCCCCCC;
    OleColor m_oInActiveCaptionColor = 0x999999;
    std::shared_ptr<StdFont> m_iCaptionFont;
    OleColor m_oActiveMenuColor = 0;
    OleColor m_oActiveMenuColorOver = 0;
    OleColor m_oInActiveMenuColor = 0x808080;
    OleColor m_oMenuBackgroundColor = 0xFFFFFF;
    std::shared_ptr<StdFont> m_iMenuFont;
    int lButtonWidth = 0, lButtonHeight = 0, lActiveLeftEnd = 0, lActiveRightStart = 0, lActiveRightEnd = 0,
        lInactiveOffset = 0;
    RECT m_tBtnR[3] = {};
    bool m_bHasMax = false, m_bHasMin = false, m_bHasClose = false;
    bool m_bDownMin = false, m_bDownMax = false, m_bDownClose = false;
    std::shared_ptr<CTimer> m_cPressTmr;  // watches a held button until the release
};
