#pragma once

#include "../plumbing/IClipboard.h"
#include "../plumbing/ITextBox.h"

// The two commands of the main window's buttons: paste, convert, copy.
// After either one, Text1 holds the ordinary address and Text2 the link.
class ConversionCommands {
public:
    ConversionCommands(ITextBox& text1, ITextBox& text2, IClipboard& clipboard)
        : m_text1(text1), m_text2(text2), m_clipboard(clipboard) {}

    // Address on the clipboard -> "thunder://" link.
    void Command2_Click();
    // "thunder://" link on the clipboard -> address.
    void Command3_Click();

private:
    ITextBox& m_text1;
    ITextBox& m_text2;
    IClipboard& m_clipboard;
};
