#include "CommandButton.h"

std::wstring CommandButton::Caption() const {
    wchar_t text[256] = {};
    GetWindowTextW(m_hwnd, text, 256);
    return text;
}

void CommandButton::Caption(const std::wstring& caption) { SetWindowTextW(m_hwnd, caption.c_str()); }

bool CommandButton::OnCommand(WORD notification, HWND from) {
    if (from != m_hwnd || notification != BN_CLICKED) return false;
    if (Click) Click();
    return true;
}
