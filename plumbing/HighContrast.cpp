#include "HighContrast.h"

#include <windows.h>

namespace HighContrast {

namespace {
std::optional<bool> g_forTests;
}  // namespace

bool On() noexcept {
    if (g_forTests) return *g_forTests;
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void SetForTests(std::optional<bool> on) noexcept { g_forTests = on; }

}  // namespace HighContrast
