#include "Module1.h"

#include <array>

#include "AnsiCodePage.h"
#include "link/engine/Base64Payload.h"

namespace Module1 {

namespace {

constexpr std::uint8_t kInvalid = Base64Payload::kNotInAlphabet;

// 6-bit value of each accepted character; "=" reads as 0, everything else is
// marked invalid.
constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
    std::array<std::uint8_t, 256> table = Base64Payload::kValueOf;
    table['='] = 0;
    return table;
}
constexpr auto kDecode = MakeDecodeTable();

inline std::uint8_t ValueOf(char c) { return kDecode[static_cast<unsigned char>(c)]; }
inline std::uint8_t ValueOf(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    return code < 256 ? kDecode[code] : kInvalid;
}

template <typename Char>
bool IsBase64Of(std::basic_string_view<Char> s) {
    if (s.size() % 4 != 0) return false;
    std::uint8_t seen = 0;
    for (Char c : s) seen |= ValueOf(c);
    return (seen & kInvalid) == 0;
}

// Appends the encoding of `in` to `out`: the link engine's encoder, whose
// characters are all ASCII, so the wide form is the same text widened.
void EncodeInto(std::span<const std::uint8_t> in, std::string& out) {
    Base64Payload::Encode({reinterpret_cast<const char*>(in.data()), in.size()}, out);
}
void EncodeInto(std::span<const std::uint8_t> in, std::wstring& out) {
    // Kept between calls: a fresh buffer each time costs more than the encoding.
    thread_local std::string narrow;
    narrow.clear();
    EncodeInto(in, narrow);
    const size_t start = out.size();
    out.resize(start + narrow.size());
    wchar_t* dst = out.data() + start;
    for (const char c : narrow) *dst++ = static_cast<wchar_t>(c);
}

template <typename Char>
Bytes DecodeFrom(std::basic_string_view<Char> s) {
    if (s.empty() || s.size() % 4 != 0) return {};
    const size_t padding = s.back() != '=' ? 0 : s[s.size() - 2] == '=' ? 2 : 1;
    const size_t groups = s.size() / 4;
    Bytes out(groups * 3 - padding);
    std::uint8_t* dst = out.data();
    std::uint8_t seen = 0;
    // Every group but the last fills three bytes; the last is cut to what the
    // padding leaves.
    for (size_t g = 0; g + 1 < groups; ++g, dst += 3) {
        const Char* q = s.data() + g * 4;
        const std::uint8_t a = ValueOf(q[0]), b = ValueOf(q[1]), c = ValueOf(q[2]), d = ValueOf(q[3]);
        seen |= a | b | c | d;
        dst[0] = static_cast<std::uint8_t>((a << 2) | (b >> 4));
        dst[1] = static_cast<std::uint8_t>((b << 4) | (c >> 2));
        dst[2] = static_cast<std::uint8_t>((c << 6) | d);
    }
    const Char* q = s.data() + (groups - 1) * 4;
    const std::uint8_t a = ValueOf(q[0]), b = ValueOf(q[1]), c = ValueOf(q[2]), d = ValueOf(q[3]);
    seen |= a | b | c | d;
    if (seen & kInvalid) return {};
    const std::uint8_t last[3] = {static_cast<std::uint8_t>((a << 2) | (b >> 4)),
                                  static_cast<std::uint8_t>((b << 4) | (c >> 2)),
                                  static_cast<std::uint8_t>((c << 6) | d)};
    for (size_t k = 0; k < 3 - padding; ++k) dst[k] = last[k];
    return out;
}

}  // namespace

std::wstring Base64EncodeText(std::wstring_view text) {
    const std::string bytes = AnsiCodePage::ToBytes(text);
    return Base64EncodeBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::wstring Base64DecodeText(std::wstring_view base64) {
    const Bytes bytes = Base64DecodeBytes(base64);
    return AnsiCodePage::ToText({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::wstring Base64EncodeBytes(std::span<const std::uint8_t> bytes) {
    std::wstring out;
    EncodeInto(bytes, out);
    return out;
}
std::string Base64EncodeBytesNarrow(std::span<const std::uint8_t> bytes) {
    std::string out;
    EncodeInto(bytes, out);
    return out;
}
void Base64AppendBytes(std::span<const std::uint8_t> bytes, std::wstring& out) { EncodeInto(bytes, out); }

Bytes Base64DecodeBytes(std::wstring_view base64) { return DecodeFrom(base64); }
Bytes Base64DecodeBytes(std::string_view base64) { return DecodeFrom(base64); }

bool IsBase64(std::wstring_view s) { return IsBase64Of(s); }
bool IsBase64(std::string_view s) { return IsBase64Of(s); }

}  // namespace Module1
