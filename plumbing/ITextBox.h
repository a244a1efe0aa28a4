#pragma once

#include <string>

// A text box as the commands see it: its whole text, read and written at once.
class ITextBox {
public:
    virtual ~ITextBox() = default;
    virtual std::wstring Text() const = 0;
    virtual void SetText(const std::wstring& text) = 0;
};
