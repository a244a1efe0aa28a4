#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "menubar/cMenuBar.h"
#include "ncframe/INCAreaModifier.h"
#include "ncframe/cNCCalcSize.h"
#include "plumbing/CTimer.h"
#include "plumbing/IAccessibleSource.h"
#include "plumbing/IForm.h"
#include "plumbing/ISubclass.h"
#include "plumbing/StdFont.h"
#include "plumbing/StdPicture.h"
#include "plumbing/cMemDC.h"

// The skin of the main window's non-client area, painted from two bitmaps.
//
// The caption bitmap (its height is the caption height) holds, from the
// left: the active left end (columns 0 .. lActiveLeftEnd-1), the middle tile
// (52 columns at 96 DPI from lActiveLeftEnd+1), the right end
// (lActiveRightStart .. lActiveRightEnd), the button cells from column
// lActiveRightEnd+1 (close, then restore, maximize, minimize at
// lActiveRightEnd + n * lButtonWidth; normal looks in the top lButtonHeight
// rows, pressed looks below), and the inactive set of the three pieces
// lInactiveOffset columns further right. The border bitmap is a row of seven B x B cells:
// left edge, -, bottom-left corner, bottom edge, right edge, -, bottom-right.
//
// Every measure above is in the bitmaps' own pixels; the fixed geometry
// around them (button row, title, icon area) is written for 96 DPI and
// scales with the DPI the bitmaps were drawn for. The title and menu fonts
// take the window's DPI.
//
// Colours are OLE colours (RGB, or 0x800000nn for system colour nn). Create
// captions with std::make_shared; a caption must outlive its window's
// attachment (the frame controller holds it by weak reference).
class cOrvelCaption final : public INCAreaModifier, public ISubclass, public IAccessibleSource {
public:
    using OleColor = std::uint32_t;

    // A picture made when it is first needed; null or an empty picture for none.
    using PictureSource = std::function<std::shared_ptr<StdPicture>()>;
    // One drawing of the skin: the two bitmaps, how the caption bitmap is
    // cut, the caption buttons under the pointer (optional: close, restore,
    // maximize, minimize side by side, one button cell each; loaded the first
    // time a button lights up, as most windows never show them) and the DPI
    // it was drawn for.
    struct Drawing {
        std::shared_ptr<StdPicture> caption, border;
        PictureSource hover;
        int lButtonWidth = 0, lButtonHeight = 0, lActiveLeftEnd = 0, lActiveRightStart = 0, lActiveRightEnd = 0,
            lInactiveOffset = 0;
        int dpi = 96;
    };
    // The drawing for a window at a DPI.
    using DrawingSource = std::function<Drawing(int dpi)>;

    cOrvelCaption();
    // Detaches: a skin may go while its window lives.
    ~cOrvelCaption() override;
    cOrvelCaption(const cOrvelCaption&) = delete;
    cOrvelCaption& operator=(const cOrvelCaption&) = delete;

    // Gives the window back its own frame, procedure and menu.
    void Detach();
    // Skins f's window with the two bitmaps (drawn for 96 DPI) and the
    // slicing measures; at another DPI only the fonts follow the window's.
    void Attach(IForm& f, const StdPicture& PicCaption, const StdPicture& PicBorder, int lButtonWidth,
                int lButtonHeight, int lActiveLeftEnd, int lActiveRightStart, int lActiveRightEnd,
                int lInactiveOffset);
    // Skins f's window with the drawing `source` gives for the window's DPI,
    // and with the one for the new DPI whenever that changes.
    void Attach(IForm& f, DrawingSource source);
    // Paints for `dpi` from now on: the drawing for it (when attached with a
    // source), margins, caption height, buttons and fonts, handed on to the
    // menu bar and the frame controller. The window, which owns its scale,
    // calls this as its DPI changes, then has the system recompute the frame
    // and repaints once: nothing is drawn here. A source that fails keeps the
    // drawing the caption had.
    void OnDpiChanged(int dpi);
    // The DPI the caption paints for.
    int Dpi() const noexcept { return m_dpi; }

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

    // ISubclass: the pointer over the caption buttons, the accessible
    // objects of the title bar and menu bar, and the keyboard's way into the
    // system menu and the menu bar.
    EMsgHandling MsgResponse() override;
    void MsgResponse(EMsgHandling) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

    // The title bar's children as the system numbers them (the SDK's
    // INDEX_TITLEBAR_*, which mingw-w64's headers lack).
    enum TitleBarChild : int { kChildIme = 1, kChildMin = 2, kChildMax = 3, kChildHelp = 4, kChildClose = 5 };
    // IAccessibleSource: the title bar (OBJID_TITLEBAR) with those children;
    // the IME and help buttons, and any button the window lacks, are invisible.
    HWND AccessibleWindow() override { return m_hWnd; }
    int AccessibleChildCount() override { return kChildClose; }
    bool DescribeElement(int child, AccessibleElement& element) override;
    bool DoDefaultAction(int child) override;

    // Opens the system menu under the caption's left end, as Alt+Space does,
    // and carries out the chosen command.
    void ShowSystemMenu();

    // The menu bar (none before the first Attach).
    const std::shared_ptr<cMenuBar>& MenuBar() const noexcept { return m_cMenu; }

    // Where the last paint put the caption buttons (0 close, 1 maximize or
    // restore, 2 minimize), in window coordinates, and whether each exists.
    const RECT& ButtonRect(int index) const noexcept { return m_tBtnR[index]; }
    bool HasButton(int index) const noexcept;
    // The button lit under the pointer, -1 for none.
    int HotButton() const noexcept { return m_iHot; }

    // An OLE colour as RGB; -1 (CLR_INVALID) when it cannot be translated.
    static COLORREF TranslateColor(OleColor oColor, HPALETTE hPal = nullptr) noexcept;
    // The font's description for the resolution of `hdc`, into a zeroed LOGFONT.
    static void FontToLogFont(const StdFont& iFnt, HDC hdc, LOGFONTA& tLF);
    // The same for a resolution of `dpi` pixels per inch.
    static void FontToLogFont(const StdFont& iFnt, int dpi, LOGFONTA& tLF);

private:
    enum Button { kClose = 0, kMax = 1, kMin = 2 };
    enum Look { kNormal = 0, kPressed = 1, kHover = 2 };
    // Takes the bitmaps of a drawing; false (nothing changed) without a caption bitmap.
    bool UseDrawing(const Drawing& d);
    // What Attach does once the drawing is there.
    void Connect(IForm& f);
    // A 96-DPI measure of the fixed geometry at the drawing's DPI.
    int S(int px96) const noexcept;
    void DrawButton(HDC hdc, int index, int state);
    // The hover looks' DC, built from the drawing's source on first use;
    // null when the drawing has none.
    HDC HoverDC();
    int ButtonLook(int index) const noexcept { return index == m_iHot ? kHover : kNormal; }
    void OnNcMouseMove(POINT screen);
    void SetHot(int index);
    bool IsActive() const noexcept;
    // The first row of the caption's lower band, where the menu bar is drawn.
    int MenuBandTop() const noexcept;
    // The title band's height in window rows: the caption without the menu bar.
    int TitleBandHeight() const noexcept;
    // The caption button a title bar child stands for, -1 for none.
    static int ButtonOfChild(int child) noexcept;
    // The system command a click on the button gives.
    WPARAM ButtonCommand(int index) const noexcept;
    bool ButtonDown(int index) const noexcept;
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
    PictureSource m_hoverSource;
    std::shared_ptr<cMemDC> m_cHoverDC;  // from m_hoverSource, once a button has lit up
    DrawingSource m_source;
    int m_dpi = 96;      // the window's
    int m_artDpi = 96;   // the drawing's
    int m_iHot = -1;
    bool m_bTracking = false;  // the system reports the pointer leaving the frame
    bool m_bSubclassed = false;
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
