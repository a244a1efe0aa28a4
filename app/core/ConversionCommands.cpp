#include "ConversionCommands.h"

#include <algorithm>
#include <cwctype>
#include <optional>
#include <utility>
#include <vector>

#include "ThunderLink.h"
#include "link/engine/LinkConverter.h"
#include "link/engine/LinkFinder.h"

namespace {

constexpr size_t kLinkPrefixLength = 10;  // "thunder://"
constexpr size_t kShownLinkLength = 40;   // of a link that failed, in its line
constexpr char kTaskId[] = "a thunder task id, not an address";

// A count in digits. std::to_wstring would bring the runtime's whole wide
// printf into torvane.exe; std::to_string formats integers by itself.
std::wstring Decimal(size_t number) {
    const std::string digits = std::to_string(number);
    return std::wstring(digits.begin(), digits.end());
}
constexpr std::wstring_view kLineBreak = L"\r\n";

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

wchar_t Lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))); }

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i]) return false;
    return true;
}

// An address starts with h(ttp) or f(tp), whatever its case; download
// managers also take ed2k:// and magnet: addresses inside their links.
bool IsAddress(std::wstring_view line) {
    if (line.empty()) return false;
    const wchar_t first = Lower(line.front());
    return first == L'h' || first == L'f' || StartsWithNoCase(line, L"ed2k://") || StartsWithNoCase(line, L"magnet:");
}

bool IsBlank(std::wstring_view line) {
    for (const wchar_t c : line)
        if (!std::iswspace(static_cast<std::wint_t>(c)) && c != L'\u3000') return false;
    return true;
}

// The lines of a text that holds a line break (CR LF, LF or CR); a break at
// the very end ends the last line and starts none.
std::vector<std::wstring_view> Lines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, kLineBreak) == 0 ? 2 : 1);
    }
    return lines;
}

// Lines joined by CR LF.
struct LineJoiner {
    std::wstring text;
    bool any = false;
    void Add(std::wstring_view line) {
        if (std::exchange(any, true)) text += kLineBreak;
        text += line;
    }
};

// The address in the payload that follows the first ten characters of a text
// that starts with "t", read as the payload of a thunder link.
std::optional<std::wstring> PrefixedPayload(std::wstring_view source) {
    if (source.size() < kLinkPrefixLength || source.front() != L't') return std::nullopt;
    const std::string link = "thunder://" + ThunderLink::ToUtf8(source.substr(kLinkPrefixLength));
    LinkConverter converter;
    const LinkConverter::Result& result = converter.Convert(link);
    if (result.status != LinkConverter::Result::Status::Converted || result.taskId) return std::nullopt;
    return ThunderLink::FromUtf8(result.address);
}

}  // namespace

ConversionCommands::Outcome ConversionCommands::AddressToLink(std::wstring source) {
    Outcome outcome;
    if (source.find_first_of(L"\r\n") == std::wstring::npos) {
        // One address, taken as it is.
        if (!IsAddress(source)) return outcome;
        outcome.kind = Outcome::Kind::Converted;
        outcome.text2 = ThunderLink::FromAddress(source);
        outcome.copy = outcome.text2;
        outcome.text1 = std::move(source);
        return outcome;
    }

    // A list: a link for each address line, blank lines kept, other lines
    // marked in the result box and left off the clipboard.
    LineJoiner box, copy;
    bool anyConverted = false;
    size_t number = 0;
    for (const std::wstring_view line : Lines(source)) {
        ++number;
        if (IsBlank(line)) {
            box.Add(L"");
            copy.Add(L"");
        } else if (IsAddress(line)) {
            const std::wstring link = ThunderLink::FromAddress(line);
            box.Add(link);
            copy.Add(link);
            anyConverted = true;
        } else {
            box.Add(L"【第 " + Decimal(number) + L" 行不是下载地址，未转换】");
        }
    }
    if (!anyConverted) return outcome;
    outcome.kind = Outcome::Kind::Converted;
    outcome.text1 = std::move(source);
    outcome.text2 = std::move(box.text);
    outcome.copy = std::move(copy.text);
    return outcome;
}

ConversionCommands::Outcome ConversionCommands::LinkToAddress(std::wstring source) {
    Outcome outcome;
    outcome.resultInText1 = true;
    const std::string text = ThunderLink::ToUtf8(source);
    std::vector<LinkFinder::Link> links = LinkFinder::FindAll(text);
    // A task id names a download inside a download manager: it is no address,
    // and nothing to put on the user's clipboard.
    for (LinkFinder::Link& link : links) {
        if (!link.taskId) continue;
        link.decoded = false;
        link.error = kTaskId;
    }
    const auto converted = std::count_if(links.begin(), links.end(), [](const auto& l) { return l.decoded; });

    if (converted == 0) {
        // A "t" and any nine characters in front of a payload that holds an
        // address is a link too, the way this window has always read it.
        std::optional<std::wstring> address = PrefixedPayload(source);
        if (!address && links.empty() && (source.empty() || source.front() != L't')) return outcome;  // ignored
        outcome.kind = Outcome::Kind::Refused;
        if (address) {
            outcome.kind = Outcome::Kind::Converted;
            outcome.text1 = std::move(*address);
            outcome.copy = outcome.text1;
        }
        outcome.text2 = std::move(source);
        return outcome;
    }

    // Every link in its place: its address, or a line that says which link
    // failed and why; only the addresses go on the clipboard.
    outcome.kind = Outcome::Kind::Converted;
    if (links.size() == 1) {
        outcome.text1 = ThunderLink::FromUtf8(links.front().address);
        outcome.copy = outcome.text1;
    } else {
        LineJoiner box, copy;
        size_t number = 0;
        for (const LinkFinder::Link& link : links) {
            ++number;
            if (link.decoded) {
                const std::wstring address = ThunderLink::FromUtf8(link.address);
                box.Add(address);
                copy.Add(address);
                continue;
            }
            std::wstring shown = ThunderLink::FromUtf8(std::string_view(text).substr(link.begin, link.end - link.begin));
            if (shown.size() > kShownLinkLength) shown = shown.substr(0, kShownLinkLength) + L"…";
            box.Add(L"【第 " + Decimal(number) + L" 个链接无法转换：" + shown + L"（" +
                    ThunderLink::FromUtf8(link.error) + L"）】");
        }
        outcome.text1 = std::move(box.text);
        outcome.copy = std::move(copy.text);
    }
    outcome.text2 = std::move(source);
    return outcome;
}

ConversionCommands::Outcome ConversionCommands::Unfinished(Outcome::Kind why, bool linkToAddress) {
    Outcome outcome;
    outcome.kind = why;
    outcome.resultInText1 = linkToAddress;
    return outcome;
}

void ConversionCommands::ShowInBoxes(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Kind::Ignored:
            break;
        case Outcome::Kind::Refused:
            m_text2.SetText(BoxText(outcome.text2, false));
            break;
        case Outcome::Kind::Unreadable:
            // The box the source would have gone to.
            (outcome.resultInText1 ? m_text2 : m_text1).SetText(std::wstring(kUnreadable));
            break;
        case Outcome::Kind::Failed:
            ResultBox(outcome).SetText(std::wstring(kFailed));
            break;
        case Outcome::Kind::Converted:
            // The source box first, then the result's.
            if (outcome.resultInText1) {
                m_text2.SetText(BoxText(outcome.text2, false));
                m_text1.SetText(BoxText(outcome.text1, false));
            } else {
                m_text1.SetText(BoxText(outcome.text1, false));
                m_text2.SetText(BoxText(outcome.text2, false));
            }
            break;
    }
}

void ConversionCommands::ShowCopied(const Outcome& outcome, bool copied) {
    const std::wstring& result = outcome.resultInText1 ? outcome.text1 : outcome.text2;
    if (!copied)
        ResultBox(outcome).SetText(std::wstring(kNotCopied) + std::wstring(kLineBreak) + BoxText(result, false));
    else if (result.size() > kBoxLimit)
        ResultBox(outcome).SetText(BoxText(result, true));
}

std::wstring ConversionCommands::BoxText(const std::wstring& text, bool copied) {
    if (text.size() <= kBoxLimit) return text;
    // Never split a surrogate pair at the cut.
    size_t shown = kBoxLimit;
    if (IsHighSurrogate(text[shown - 1])) --shown;
    std::wstring box = text.substr(0, shown);
    box += L"\r\n……【已截断：全文共 " + Decimal(text.size()) + L" 个字符，文本框只显示前 " +
           Decimal(shown) + L" 个";
    box += copied ? L"；完整结果已复制到剪贴板】" : L"】";
    return box;
}
