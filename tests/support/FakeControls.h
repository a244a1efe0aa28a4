#pragma once

#include <string>

#include "plumbing/IClipboard.h"
#include "plumbing/ITextBox.h"

// In-memory stand-ins for a text box and the clipboard, so the conversion
// commands can run without windows.
class FakeTextBox : public ITextBox {
public:
    std::wstring Text() const override { return text; }
    void SetText(const std::wstring& value) override { text = value; }
    std::wstring text;
};

class FakeClipboard : public IClipboard {
public:
    std::wstring Text() override { return text; }
    bool ReplaceText(const std::wstring& value) override {
        ++writes;
        text = value;
        return true;
    }
    std::wstring text;
    int writes = 0;  // how many times the text was replaced
};
