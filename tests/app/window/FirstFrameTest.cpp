// The first frame of torvane.exe the screen shows is its finished look: no
// frame of the system's own caption, no half-painted caption or client area.
// Every capture of the window's place, from the moment the window is visible
// until it has settled, either still shows what was there before (nothing
// painted yet) or matches the finished look.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "TorvaneProcess.h"

namespace {

double Seconds() { return static_cast<double>(GetTickCount64()) / 1000; }

// The screen's pixels in `rect`, 0x00RRGGBB, row by row.
std::vector<std::uint32_t> Capture(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Pixels of a frame that differ from `look` where `look` keeps still.
std::size_t Differences(const std::vector<std::uint32_t>& frame, const std::vector<std::uint32_t>& look,
                        const std::vector<bool>& steady) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < look.size(); ++i) count += steady[i] && frame[i] != look[i];
    return count;
}

// Where a frame differs from the look, for the failure message.
std::string DifferingArea(const std::vector<std::uint32_t>& frame, const std::vector<std::uint32_t>& look,
                          const std::vector<bool>& steady, int width) {
    int left = width, top = INT_MAX, right = -1, bottom = -1;
    for (std::size_t i = 0; i < look.size(); ++i) {
        if (!steady[i] || frame[i] == look[i]) continue;
        const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
    return "x " + std::to_string(left) + "-" + std::to_string(right) + ", y " + std::to_string(top) + "-" +
           std::to_string(bottom) + " of a " + std::to_string(width) + " x " +
           std::to_string(look.size() / width) + " window";
}

// The window is kept out of sight until all of it has painted (FirstShow):
// under Wine, transparent, which the display shows only where a compositing
// manager runs, as on desktops (CTest runs this with scripts/composited).
//
// The program is started to show without activation. On Windows, ShowWindow
// activates a window before it returns, so the painting that FirstShow holds
// back already has the active caption and the focus in place. Under Wine,
// activation follows the X server's focus events, which can come after the
// window is on the screen, and then repaint the caption and the focused edit
// box's scroll bar. That is a second, later frame that Windows would not show.
TEST(FirstFrame, IsTheFinishedLook) {
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const std::vector<std::uint32_t> before = Capture(screen);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    HWND window = nullptr;
    WaitUntil(
        [&] {
            const HWND candidate = FindWindowW(frmTest::kClassName, nullptr);
            DWORD pid = 0;
            if (candidate) GetWindowThreadProcessId(candidate, &pid);
            if (candidate && pid == process.dwProcessId && IsWindowVisible(candidate)) window = candidate;
            return window != nullptr;
        },
        10000);
    ASSERT_NE(window, nullptr) << "torvane.exe showed no window";

    RECT place{};
    GetWindowRect(window, &place);
    const int width = place.right - place.left;
    std::vector<std::uint32_t> under;  // what the screen showed there before
    for (LONG y = place.top; y < place.bottom; ++y) {
        const auto row = before.begin() + y * screen.right + place.left;
        under.insert(under.end(), row, row + width);
    }
    // Every distinct frame, from now until 1.5 s after the program first
    // waits for input (its first paint done), with when it appeared.
    constexpr double kWatch = 1.5, kSteadyWatch = 1.2;
    std::vector<std::vector<std::uint32_t>> frames{Capture(place)};
    std::vector<double> shownAt{Seconds()};
    double end = Seconds() + 10;
    for (bool idle = false; Seconds() < end;) {
        if (!idle && WaitForInputIdle(process.hProcess, 0) == 0) {
            idle = true;
            end = Seconds() + kWatch;
        }
        std::vector<std::uint32_t> frame = Capture(place);
        if (frame == frames.back()) continue;
        frames.push_back(std::move(frame));
        shownAt.push_back(Seconds());
    }
    ChildProgram::Close(process, window);

    // The finished look is the last frame, without the pixels that changed in
    // the last moments (the blinking caret).
    const std::vector<std::uint32_t>& look = frames.back();
    std::vector<bool> steady(look.size(), true);
    for (std::size_t f = frames.size(); f-- > 0;) {
        for (std::size_t i = 0; i < look.size(); ++i) steady[i] = steady[i] && frames[f][i] == look[i];
        if (shownAt[f] < end - kSteadyWatch) break;  // the frame on screen when the watch began
    }
    // Not painted yet: what the screen showed there, or a plain background
    // (a compositing manager paints its own once a window maps).
    const auto unpainted = [&](const std::vector<std::uint32_t>& frame) {
        return frame == under || std::all_of(frame.begin(), frame.end(), [&](auto p) { return p == frame[0]; });
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (unpainted(frames[i])) continue;
        EXPECT_EQ(Differences(frames[i], look, steady), 0u)
            << "frame " << i << " of " << frames.size() << " differs from the finished look at "
            << DifferingArea(frames[i], look, steady, width);
    }
}

}  // namespace
