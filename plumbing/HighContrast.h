#pragma once

#include <optional>

// Whether a high-contrast theme is on. Skinned windows run with the system's
// own frame then, whose colours follow the theme.
namespace HighContrast {

// SPI_GETHIGHCONTRAST's HCF_HIGHCONTRASTON, unless a test has set the answer.
bool On() noexcept;
// Sets the answer On gives (nullopt: the system's again). Wine cannot switch
// the setting itself, so tests hand it in here and send WM_SETTINGCHANGE.
void SetForTests(std::optional<bool> on) noexcept;

}  // namespace HighContrast
