#pragma once

#include <windows.h>

#include <functional>
#include <string>

// A push button: a caption and a click event. The parent window passes its
// BN_CLICKED notifications on through OnCommand.
class CommandButton {
public:
    HWND hwnd() const noexcept { return m_hwnd; }
    void Bind(HWND hwnd) noexcept { m_hwnd = hwnd; }

    std::wstring Caption() const;
    void Caption(const std::wstring& caption);

    std::function<void()> Click;

    // True when the notification was this button's click (and Click ran).
    bool OnCommand(WORD notification, HWND from);

private:
    HWND m_hwnd = nullptr;
};
