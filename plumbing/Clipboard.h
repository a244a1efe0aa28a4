#pragma once

#include <windows.h>

#include "IClipboard.h"

// The system clipboard in CF_UNICODETEXT form. Another program may hold it
// open for a moment, so opening is retried a few times (about 100 ms in all)
// before giving up; giving up changes nothing.
class Clipboard final : public IClipboard {
public:
    // `owner` becomes the clipboard owner on writes; may be null.
    explicit Clipboard(HWND owner = nullptr) noexcept : m_owner(owner) {}

    std::wstring Text() override;
    bool ReplaceText(const std::wstring& text) override;

private:
    bool Open() const;
    HWND m_owner;
};
