#pragma once

#include <windows.h>

#include "ITextBox.h"

// A text box over an EDIT control; its text is read and written whole.
class TextBox final : public ITextBox {
public:
    explicit TextBox(HWND hwnd = nullptr) noexcept : m_hwnd(hwnd) {}

    HWND hwnd() const noexcept { return m_hwnd; }
    void Bind(HWND hwnd) noexcept { m_hwnd = hwnd; }

    std::wstring Text() const override;
    void SetText(const std::wstring& text) override;

private:
    HWND m_hwnd;
};
