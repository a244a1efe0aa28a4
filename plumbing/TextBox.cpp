#include "TextBox.h"

std::wstring TextBox::Text() const {
    const int length = GetWindowTextLengthW(m_hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(m_hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void TextBox::SetText(const std::wstring& text) { SetWindowTextW(m_hwnd, text.c_str()); }
