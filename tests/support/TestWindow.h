#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "plumbing/IForm.h"

// A plain top-level window whose own procedure records what reaches it.
class TestWindow : public IForm {
public:
    explicit TestWindow(DWORD style = WS_OVERLAPPEDWINDOW, int x = 100, int y = 100, int width = 300,
                        int height = 200, HMENU menu = nullptr);
    ~TestWindow() override;
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const override { return m_hwnd; }
    void Refresh() override { ++refreshes; }

    // Messages the window's own procedure saw.
    struct Seen {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Seen> seen;
    int refreshes = 0;
    std::function<void(UINT)> onMessage;  // called as the window's own procedure sees a message
    bool swallowSysCommands = true;
    bool unboundedSize = false;  // may grow past the screen's size
    int CountSeen(UINT message) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};

// A pixel of the whole window (window coordinates).
COLORREF WindowPixel(HWND hwnd, int x, int y);
// The pixels of a rectangle of the whole window (window coordinates), row by row.
std::vector<COLORREF> WindowPixels(HWND hwnd, const RECT& r);
