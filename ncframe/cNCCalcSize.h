#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "INCAreaModifier.h"
#include "plumbing/Dpi.h"
#include "plumbing/IForm.h"
#include "plumbing/ISubclass.h"
#include "plumbing/cMemDC.h"

// The frame controller: takes over one window's non-client messages on behalf
// of a skin (INCAreaModifier). It sizes the margins from the skin's answers,
// hit-tests them, has the skin paint the whole frame, repaints it after
// activation, text, style and menu-loop changes, moves the window itself when
// the caption is dragged, routes presses to the skin and takes the window's
// menu off the window (the skin draws it). Without a skin it paints a plain
// system-coloured frame (DefaultNCPaint).
//
// The skin is held by weak reference in the window property
// "tarqCNCImplementation". Create controllers with std::make_shared.
class cNCCalcSize final : public ISubclass {
public:
    static constexpr const char* kImplementationProperty = "tarqCNCImplementation";

    cNCCalcSize() = default;
    ~cNCCalcSize() override;
    cNCCalcSize(const cNCCalcSize&) = delete;
    cNCCalcSize& operator=(const cNCCalcSize&) = delete;

    void Redraw(HWND hwnd);
    // Refreshes the form and has the system recompute and repaint the frame.
    void Display(IForm& f);
    bool WindowActive() const noexcept { return m_bActive; }
    bool AppActive() const noexcept { return m_bAppActive; }
    // Lets the system start its own move of the window from the cursor position.
    void TitleBarMouseDown();
    // Posts WM_SYSCOMMAND with eCmd (SC_CLOSE, SC_MAXIMIZE, ...).
    void SysCommand(WPARAM eCmd);
    // Frames iTo.hwnd() with skin iTo. Raises the registry's errors.
    void Attach(INCAreaModifier& iTo);
    // The window's menu when attached (the controller takes it off the window).
    HMENU hMenu() const noexcept { return m_hMenu; }
    // Undoes Attach; harmless when not attached.
    void Detach() noexcept;
    // A plain system-coloured frame, for a window without a skin.
    void DefaultNCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom);
    // The skin, counted for the caller's use; false when there is none.
    bool GetImplementation(std::shared_ptr<INCAreaModifier>& iTo) const;
    // Offers an Alt+key to the skin; its answer, 0 without a skin.
    int ForwardAltKey(int vKey);

    HWND hwnd() const noexcept { return m_hWnd; }
    // The DPI the system's frame metrics are taken at: the system's until
    // the owner of the window's scale hands down another. Draws nothing.
    int WindowDpi() const noexcept { return m_dpi; }
    void WindowDpi(int dpi) noexcept {
        if (dpi > 0) m_dpi = dpi;
    }

    // ISubclass
    EMsgHandling MsgResponse() override;
    void MsgResponse(EMsgHandling) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    static bool IsMDIChild(HWND hwnd);
    int ComputeHitTest(POINT screen) const;
    void DragMoveWindow();
    void RepaintFrame(HWND hwnd);
    LRESULT PassOn(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaint(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcLButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcLButtonUp();
    void NudgeCursor();

    HWND m_hWnd = nullptr;
    bool m_bIsMDIChild = false;
    HMENU m_hMenu = nullptr;
    bool m_bActive = false;
    bool m_bAppActive = false;
    bool m_bMaxMDIChild = false;
    std::optional<cMemDC> m_scratch;  // for the default caption strip, while attached
    int m_lLeft = 0, m_lTop = 0, m_lRight = 0, m_lBottom = 0;
    int m_dpi = Dpi::System();

    int s_lNudgeX = 0, s_lNudgeY = 0;
    bool s_bInSetCursor = false;
};
