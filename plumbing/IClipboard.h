#pragma once

#include <string>

// The clipboard in plain-text form.
class IClipboard {
public:
    virtual ~IClipboard() = default;
    // The clipboard's text; empty when it holds none or cannot be read.
    virtual std::wstring Text() = 0;
    // Empties the clipboard of all formats and stores `text` as its only
    // content. The clipboard is emptied only once the new text is ready to go
    // on it, so a failure leaves the old content in place. False on failure.
    virtual bool ReplaceText(const std::wstring& text) = 0;
};
