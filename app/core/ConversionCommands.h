#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plumbing/ITextBox.h"

// The two commands of the main window's buttons: paste, convert, copy.
// After either one, Text1 holds the ordinary address and Text2 the link.
//
// A command works in two halves (CommandRunner runs them). The conversion
// itself (AddressToLink, LinkToAddress) looks only at the clipboard's text
// and touches neither the boxes nor the clipboard, so the window can run it
// off its own thread. ShowInBoxes then shows the outcome, the result is
// copied, and ShowCopied says how that went. Multi-line text boxes slow down
// with the square of their length, so a box shows at most kBoxLimit
// characters of a text, with a mark that says it is cut; the clipboard
// always receives the whole result.
//
// A text of several lines is a list: each line converts on its own, and the
// result holds one line for each, in order. A line that does not convert
// keeps its place in the result box as a line that says why, and is left off
// the clipboard.
class ConversionCommands {
public:
    // Characters a box shows before its text is cut: enough for the longest
    // address browsers take (2,083 characters) and its link (about 2,800),
    // and short enough that filling both boxes stays well under half a
    // second under Wine, where text boxes are slowest (about 0.1 s a box at
    // this length on a busy machine; twice as long at 4,096).
    static constexpr std::size_t kBoxLimit = 3072;

    // What the result box says, above the result, when the clipboard could
    // not take it.
    static constexpr std::wstring_view kNotCopied =
        L"【结果未能复制到剪贴板：剪贴板正被其他程序占用，请稍后再按一次按钮】";
    // What the source box says when the clipboard's owner did not hand over
    // its text.
    static constexpr std::wstring_view kUnreadable =
        L"【未能读取剪贴板：提供剪贴板内容的程序没有响应，剪贴板保持原样】";
    // What the result box says when the command could not be carried out
    // (memory or the system's resources ran short).
    static constexpr std::wstring_view kFailed = L"【转换未能完成：内存或系统资源不足，请稍后再按一次按钮】";

    // What a command makes of the clipboard's text.
    struct Outcome {
        enum class Kind {
            Ignored,     // not for this command: nothing changes
            Refused,     // Text2 shows the source; Text1 and the clipboard stay
            Unreadable,  // the clipboard's text could not be read: the source box says so
            Failed,      // the command could not be carried out: the result box says so
            Converted,   // both boxes change, the result goes on the clipboard
        };
        Kind kind = Kind::Ignored;
        std::wstring text1, text2;   // whole texts for the boxes (text1 unused when refused)
        std::wstring copy;           // what goes on the clipboard when converted
        bool resultInText1 = false;  // the address is the result (link -> address)
    };

    ConversionCommands(ITextBox& text1, ITextBox& text2) : m_text1(text1), m_text2(text2) {}

    // Address (or list of addresses) -> "thunder://" links.
    static Outcome AddressToLink(std::wstring source);
    // Link (or text with links in it) -> addresses.
    static Outcome LinkToAddress(std::wstring source);
    // A command that ended without a result (Unreadable or Failed).
    static Outcome Unfinished(Outcome::Kind why, bool linkToAddress);

    // Shows the outcome in the boxes, source box first.
    void ShowInBoxes(const Outcome& outcome);
    // Once the copy is over: a cut result box says the clipboard has the
    // whole result, and only when it has; a result that missed the
    // clipboard is shown under kNotCopied.
    void ShowCopied(const Outcome& outcome, bool copied);

    // What a box shows of `text`: all of it up to kBoxLimit characters, else
    // its beginning and a line saying how much is left out and, for a
    // result that was copied, that the clipboard has all of it.
    static std::wstring BoxText(const std::wstring& text, bool copied);

private:
    ITextBox& ResultBox(const Outcome& outcome) { return outcome.resultInText1 ? m_text1 : m_text2; }

    ITextBox& m_text1;
    ITextBox& m_text2;
};
