#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ncframe/INCAreaModifier.h"

// A skin written for the tests: configurable answers, and a log of calls.
class TestSkin final : public INCAreaModifier {
public:
    explicit TestSkin(HWND window) : m_window(window) {}

    HWND hwnd() override { return m_window; }
    void GetTopMarginHeight(int& cy) override { Log("top"); if (top >= 0) cy = top; }
    void GetLeftMarginWidth(int& cx) override { Log("left"); if (left >= 0) cx = left; }
    void GetRightMarginWidth(int& cx) override { Log("right"); if (right >= 0) cx = right; }
    void GetBottomMarginHeight(int& cy) override { Log("bottom"); if (bottom >= 0) cy = bottom; }
    void NCPaint(HDC, int, int, int, int) override { ++paints; }
    void HitTest(int, int, int& eHitTest) override {
        lastOfferedHitTest = eHitTest;
        if (hitTestAnswer) eHitTest = hitTestAnswer;
    }
    void NCMouseDown(int, int, bool& bHandled, HDC, int, int, int, int) override {
        Log("down");
        bHandled = handlePresses;
    }
    void NCMouseUp(int, int, HDC, int, int, int, int) override { Log("up"); }
    int AltKeyAccelerator(int vKey) override {
        offeredKeys.push_back(vKey);
        return altAnswer;
    }

    void Log(const std::string& call) { calls.push_back(call); }

    int left = -1, top = -1, right = -1, bottom = -1;  // -1: keep the system's
    int hitTestAnswer = 0, lastOfferedHitTest = 0;
    bool handlePresses = true;
    int altAnswer = 0;
    int paints = 0;
    std::vector<std::string> calls;
    std::vector<int> offeredKeys;

private:
    HWND m_window;
};
