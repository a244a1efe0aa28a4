#include "ThunderLink.h"

#include <cstdint>

#include "Module1.h"
#include "link/Gbk.h"
#include "link/Utf8.h"

namespace ThunderLink {

namespace {

constexpr std::wstring_view kPrefix = L"thunder://";
constexpr std::string_view kHead = "AA", kTail = "ZZ";  // around the address in the payload

// UTF-16 units to UTF-8; a lone surrogate becomes U+FFFD. (wchar_t holds
// one UTF-16 unit on every platform here; a wider value that a 32-bit
// wchar_t may still hold is taken as the character it is.)
void AppendUtf8(std::wstring_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c > 0x10FFFF) c = 0xFFFD;
        if (c >= 0xD800 && c <= 0xDFFF) {
            const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        Utf8::Append(c, out);
    }
}

// The GBK bytes of `text` appended to `out`; false (with `out` partly
// written) when some character has no GBK code.
bool AppendGbk(std::wstring_view text, std::string& out) {
    for (const wchar_t unit : text) {
        const auto c = static_cast<char32_t>(unit);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        const std::uint16_t code = c < 0x10000 ? Gbk::CodeOf(static_cast<char16_t>(c)) : 0;
        if (code == 0) return false;
        if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
    }
    return true;
}

}  // namespace

std::wstring FromAddress(std::wstring_view address) {
    std::string bytes;
    bytes.reserve(address.size() * 2 + kHead.size() + kTail.size());
    bytes.append(kHead);
    if (!AppendGbk(address, bytes)) {
        bytes.resize(kHead.size());
        AppendUtf8(address, bytes);
    }
    bytes.append(kTail);
    std::wstring link;
    link.reserve(kPrefix.size() + (bytes.size() + 2) / 3 * 4);
    link.append(kPrefix);
    Module1::Base64AppendBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, link);
    return link;
}

std::string ToUtf8(std::wstring_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    AppendUtf8(text, utf8);
    return utf8;
}

std::wstring FromUtf8(std::string_view utf8) {
    const std::u16string units = Utf8::ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

}  // namespace ThunderLink
