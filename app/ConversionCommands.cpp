#include "ConversionCommands.h"

#include <cwctype>

#include "ThunderLink.h"

namespace {

constexpr size_t kLinkPrefixLength = 10;  // "thunder://"

}  // namespace

void ConversionCommands::Command2_Click() {
    const std::wstring source = m_clipboard.Text();
    // Only the first character is looked at: an address starts with h(ttp) or f(tp).
    if (source.empty()) return;
    const wchar_t first = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(source.front())));
    if (first != L'h' && first != L'f') return;

    m_text1.SetText(source);
    m_text2.SetText(ThunderLink::FromAddress(m_text1.Text()));
    m_clipboard.ReplaceText(m_text2.Text());
}

void ConversionCommands::Command3_Click() {
    const std::wstring source = m_clipboard.Text();
    if (source.empty() || source.front() != L't') return;

    m_text2.SetText(source);
    // Too short to hold a prefix, or a payload that holds no address: the
    // source stays on show in Text2, Text1 and the clipboard keep what they
    // had.
    const std::wstring link = m_text2.Text();
    if (link.size() < kLinkPrefixLength) return;
    const std::optional<std::wstring> address =
        ThunderLink::ToAddress(std::wstring_view(link).substr(kLinkPrefixLength));
    if (!address) return;

    m_text1.SetText(*address);
    m_clipboard.ReplaceText(m_text1.Text());
}
