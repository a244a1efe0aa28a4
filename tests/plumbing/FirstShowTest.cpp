// A window's first show keeps it out of sight until it and its children have
// painted, and leaves it an ordinary window: neither cloaked nor layered.
#include "plumbing/FirstShow.h"

#include <gtest/gtest.h>

#include <functional>

#include "plumbing/Dwm.h"
#include "tests/support/TestWindow.h"

namespace {

bool Layered(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

// A window with a label, which asks its parent for colours as it paints:
// whether the window was out of sight then.
struct LabelledWindow {
    TestWindow window{WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN};
    int labelPaintsHidden = 0, labelPaintsSeen = 0;

    explicit LabelledWindow(std::function<bool(HWND)> hidden) {
        CreateWindowExW(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, window.hwnd(), nullptr,
                        nullptr, nullptr);
        window.onMessage = [this, hidden](UINT message) {
            if (message == WM_CTLCOLORSTATIC) ++(hidden(window.hwnd()) ? labelPaintsHidden : labelPaintsSeen);
        };
    }
    void ExpectShownAsAnOrdinaryWindow() const {
        EXPECT_GT(labelPaintsHidden, 0);
        EXPECT_EQ(labelPaintsSeen, 0);
        EXPECT_TRUE(IsWindowVisible(window.hwnd()));
        EXPECT_FALSE(Layered(window.hwnd()));
    }
};

int g_cloaked = 0;

}  // namespace

TEST(FirstShow, CloakedWhileItPaintsWhereDwmCloaks) {
    Dwm::Api dwm;
    dwm.setWindowAttribute = [](HWND, DWORD attribute, LPCVOID value, DWORD) -> HRESULT {
        if (attribute == Dwm::kCloak) g_cloaked = *static_cast<const int*>(value);
        return S_OK;
    };
    dwm.getWindowAttribute = [](HWND, DWORD attribute, PVOID value, DWORD) -> HRESULT {
        if (attribute != Dwm::kCloaked) return E_INVALIDARG;
        *static_cast<int*>(value) = g_cloaked;
        return S_OK;
    };
    Dwm::Replace(dwm);
    LabelledWindow w([](HWND hwnd) { return g_cloaked != 0 && !Layered(hwnd); });
    FirstShow::Show(w.window.hwnd(), SW_SHOW);
    Dwm::UseSystem();
    w.ExpectShownAsAnOrdinaryWindow();
    EXPECT_EQ(g_cloaked, 0);
}

TEST(FirstShow, LayeredAndTransparentWhileItPaintsElsewhere) {
    // Windows 7, or DWM that accepts the attribute without cloaking (Wine).
    for (const bool acceptsCloak : {false, true}) {
        Dwm::Api dwm;
        if (acceptsCloak) {
            dwm.setWindowAttribute = [](HWND, DWORD, LPCVOID, DWORD) -> HRESULT { return S_OK; };
            dwm.getWindowAttribute = [](HWND, DWORD, PVOID value, DWORD) -> HRESULT {
                *static_cast<int*>(value) = 0;
                return S_OK;
            };
        }
        Dwm::Replace(dwm);
        // Out of sight: layered, with no attributes yet or fully transparent.
        LabelledWindow w([](HWND hwnd) {
            BYTE alpha = 255;
            DWORD flags = 0;
            return Layered(hwnd) && (!GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) ||
                                     ((flags & LWA_ALPHA) && alpha == 0));
        });
        FirstShow::Show(w.window.hwnd(), SW_SHOW);
        Dwm::UseSystem();
        w.ExpectShownAsAnOrdinaryWindow();
    }
}
