#pragma once

#include <windows.h>

#include "plumbing/SharedObject.h"

// What a skin does for the frame controller (cNCCalcSize): it sizes, paints
// and answers for a window's non-client area. Every member here does nothing
// and returns 0; a skin overrides what it needs.
//
// Coordinates are window coordinates (relative to the window rectangle's top
// left); rectangles are the window rectangle moved to the origin. DCs are
// window DCs the controller fetches before the call and releases after it.
// The controller holds the skin by weak reference (a window property) and
// takes a counted reference for one message at a time, so a skin is created
// with std::make_shared.
class INCAreaModifier : public virtual SharedObject {
public:
    // The window to be framed.
    virtual HWND hwnd() { return nullptr; }

    // Margins of the non-client area in pixels. Each arrives holding the
    // system's default; leave it to keep that.
    virtual void GetTopMarginHeight(int& /*cy*/) {}
    virtual void GetLeftMarginWidth(int& /*cx*/) {}
    virtual void GetRightMarginWidth(int& /*cx*/) {}
    virtual void GetBottomMarginHeight(int& /*cy*/) {}

    // Paints the whole non-client area.
    virtual void NCPaint(HDC /*hdc*/, int /*lLeft*/, int /*lTop*/, int /*lRight*/, int /*lBottom*/) {}
    // May replace the controller's hit-test code for (x, y).
    virtual void HitTest(int /*x*/, int /*y*/, int& /*eHitTest*/) {}
    // A left press outside the caption; set bHandled to consume it.
    virtual void NCMouseDown(int /*x*/, int /*y*/, bool& /*bHandled*/, HDC /*hdc*/, int /*lLeft*/, int /*lTop*/,
                             int /*lRight*/, int /*lBottom*/) {}
    virtual void NCMouseUp(int /*x*/, int /*y*/, HDC /*hdc*/, int /*lLeft*/, int /*lTop*/, int /*lRight*/,
                           int /*lBottom*/) {}
    // Menu-loop notifications.
    virtual void InitMenuPopup(WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual void ExitMenuLoop() {}
    // A key pressed with Alt held while the window is active; non-zero when used.
    virtual int AltKeyAccelerator(int /*vKey*/) { return 0; }
};
