#include "ThunderLink.h"

#include <cstdint>
#include <cstring>

#include "Module1.h"
#include "link/Charset.h"
#include "link/Gbk.h"
#include "link/Utf8.h"

namespace ThunderLink {

namespace {

constexpr std::wstring_view kPrefix = L"thunder://";
constexpr std::string_view kHead = "AA", kTail = "ZZ";

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

void AppendUnit(char32_t c, std::wstring& out) {
    if (c < 0x10000) {
        out.push_back(static_cast<wchar_t>(c));
    } else {
        out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
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

std::optional<std::wstring> ToAddress(std::wstring_view payload) {
    const Module1::Bytes decoded = Module1::Base64DecodeBytes(payload);
    const std::string_view all(reinterpret_cast<const char*>(decoded.data()), decoded.size());
    if (all.size() < kHead.size() + kTail.size() || all.substr(0, kHead.size()) != kHead ||
        all.substr(all.size() - kTail.size()) != kTail)
        return std::nullopt;
    const std::string_view bytes = all.substr(kHead.size(), all.size() - kHead.size() - kTail.size());
    if (std::memchr(bytes.data(), 0, bytes.size())) return std::nullopt;
    const std::optional<Charset::Kind> charset = Charset::Detect(bytes);
    if (!charset) return std::nullopt;

    std::wstring address;
    address.reserve(bytes.size());
    if (*charset == Charset::Kind::Gbk) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (b < 0x80)
                address.push_back(static_cast<wchar_t>(b));
            else if (b == 0x80)
                address.push_back(static_cast<wchar_t>(0x20AC));
            else
                address.push_back(static_cast<wchar_t>(Gbk::CharOf(b, static_cast<unsigned char>(bytes[++i]))));
        }
    } else {  // ASCII or UTF-8, both known valid
        for (size_t i = 0; i < bytes.size();) AppendUnit(Utf8::Next(bytes, i), address);
    }
    return address;
}

}  // namespace ThunderLink
