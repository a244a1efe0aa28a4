// One full paint of the skinned main window's frame against the system's own
// frame painting (DefWindowProc's WM_NCPAINT) of the same window unskinned;
// and what loading the skin for a DPI costs, drawn and enlarged.
// Run under Wine: scripts/wine-exec build/win64/bench/caption_bench.exe
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "caption/ShippedSkin.h"
#include "caption/cOrvelCaption.h"
#include "plumbing/IForm.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kPaints = 5000;

class BenchWindow : public IForm {
public:
    explicit BenchWindow(int x) {
        m_hwnd = CreateWindowExW(0, L"STATIC", L"Torvane V4.1 Build 20070401", kStyle, x, 100, 502, 213, nullptr,
                                 nullptr, nullptr, nullptr);
        ShowWindow(m_hwnd, SW_SHOW);
    }
    ~BenchWindow() override { DestroyWindow(m_hwnd); }
    HWND hwnd() const override { return m_hwnd; }
    void Refresh() override { InvalidateRect(m_hwnd, nullptr, TRUE); }

private:
    HWND m_hwnd;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Seconds per paint, in the active or the inactive look.
double TimePaints(HWND hwnd, bool active) {
    SendMessageW(hwnd, WM_NCACTIVATE, active, 0);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPaints; ++i) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kPaints;
}

}  // namespace

int main() {
    BenchWindow plain(0), skinned(520);
    auto caption = std::make_shared<cOrvelCaption>();
    ShippedSkin::Style(*caption);
    ShippedSkin::Attach(*caption, skinned, GetModuleHandleW(nullptr));
    Pump();

    TimePaints(plain.hwnd(), true);  // warm-up
    TimePaints(skinned.hwnd(), true);
    std::printf("frame paint of a 502 x 213 window, mean of %d paints\n", kPaints);
    for (bool active : {true, false}) {
        const double system = TimePaints(plain.hwnd(), active);
        const double skin = TimePaints(skinned.hwnd(), active);
        std::printf("  %-8s system frame (DefWindowProc WM_NCPAINT) %7.1f us, skinned frame (NCPaint) %7.1f us,"
                    " skinned / system %.2f\n",
                    active ? "active" : "inactive", system * 1e6, skin * 1e6, skin / system);
    }
    caption->Detach();

    // A window moved to another display loads the drawing for its DPI once.
    constexpr int kLoads = 20;
    std::printf("skin drawing for a DPI (decode, and enlarge above 192), mean of %d loads\n", kLoads);
    for (const int dpi : {192, 240, 288}) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kLoads; ++i) ShippedSkin::DrawingFor(GetModuleHandleW(nullptr), dpi);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kLoads;
        std::printf("  %3d dpi %7.2f ms\n", dpi, seconds * 1e3);
    }
    return 0;
}
