#include "ConversionCommands.h"

#include <cwctype>
#include <optional>
#include <utility>

#include "ThunderLink.h"

namespace {

constexpr size_t kLinkPrefixLength = 10;  // "thunder://"

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

ConversionCommands::Outcome ConversionCommands::AddressToLink(std::wstring source) {
    Outcome outcome;
    // Only the first character is looked at: an address starts with h(ttp) or f(tp).
    if (source.empty()) return outcome;
    const wchar_t first = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(source.front())));
    if (first != L'h' && first != L'f') return outcome;

    outcome.kind = Outcome::Kind::Converted;
    outcome.text2 = ThunderLink::FromAddress(source);
    outcome.text1 = std::move(source);
    return outcome;
}

ConversionCommands::Outcome ConversionCommands::LinkToAddress(std::wstring source) {
    Outcome outcome;
    if (source.empty() || source.front() != L't') return outcome;

    // Too short to hold a prefix, or a payload that holds no address: the
    // source goes on show in Text2, Text1 and the clipboard keep what they
    // had.
    outcome.kind = Outcome::Kind::Refused;
    outcome.resultInText1 = true;
    if (source.size() >= kLinkPrefixLength) {
        if (std::optional<std::wstring> address =
                ThunderLink::ToAddress(std::wstring_view(source).substr(kLinkPrefixLength))) {
            outcome.kind = Outcome::Kind::Converted;
            outcome.text1 = std::move(*address);
        }
    }
    outcome.text2 = std::move(source);
    return outcome;
}

void ConversionCommands::ShowInBoxes(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Kind::Ignored:
            break;
        case Outcome::Kind::Refused:
            m_text2.SetText(BoxText(outcome.text2, false));
            break;
        case Outcome::Kind::Converted:
            // The source box first, then the result's.
            if (outcome.resultInText1) {
                m_text2.SetText(BoxText(outcome.text2, false));
                m_text1.SetText(BoxText(outcome.text1, true));
            } else {
                m_text1.SetText(BoxText(outcome.text1, false));
                m_text2.SetText(BoxText(outcome.text2, true));
            }
            break;
    }
}

void ConversionCommands::Finish(const Outcome& outcome) {
    ShowInBoxes(outcome);
    if (outcome.kind == Outcome::Kind::Converted) m_clipboard.ReplaceText(outcome.Result());
}

std::wstring ConversionCommands::BoxText(const std::wstring& text, bool isResult) {
    if (text.size() <= kBoxLimit) return text;
    // Never split a surrogate pair at the cut.
    size_t shown = kBoxLimit;
    if (IsHighSurrogate(text[shown - 1])) --shown;
    std::wstring box = text.substr(0, shown);
    box += L"\r\n……【已截断：全文共 " + std::to_wstring(text.size()) + L" 个字符，文本框只显示前 " +
           std::to_wstring(shown) + L" 个";
    box += isResult ? L"；完整结果已复制到剪贴板】" : L"】";
    return box;
}
