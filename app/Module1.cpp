#include "Module1.h"

#include <array>

#include "AnsiCodePage.h"

namespace Module1 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kInvalid = 0x80;

// 6-bit value of each accepted character; "=" reads as 0, everything else is
// marked invalid.
constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(kInvalid);
    for (std::uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
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

// Two output characters for each 12-bit value, so a group of three bytes is
// written with two lookups.
template <typename Char>
struct PairTable {
    Char chars[4096][2];
};
template <typename Char>
constexpr PairTable<Char> MakePairTable() {
    PairTable<Char> table{};
    for (int v = 0; v < 4096; ++v) {
        table.chars[v][0] = static_cast<Char>(kAlphabet[v >> 6]);
        table.chars[v][1] = static_cast<Char>(kAlphabet[v & 63]);
    }
    return table;
}
template <typename Char>
constexpr PairTable<Char> kPairs = MakePairTable<Char>();

// Appends the encoding of `in` to `out`.
template <typename String>
void EncodeInto(std::span<const std::uint8_t> in, String& out) {
    using Char = typename String::value_type;
    const auto& pairs = kPairs<Char>.chars;
    const size_t n = in.size();
    const size_t start = out.size();
    out.resize(start + (n + 2) / 3 * 4, '=');
    Char* dst = out.data() + start;
    const std::uint8_t* src = in.data();
    size_t i = 0;
    for (; i + 3 <= n; i += 3, dst += 4) {
        const std::uint32_t v = (std::uint32_t{src[i]} << 16) | (std::uint32_t{src[i + 1]} << 8) | src[i + 2];
        dst[0] = pairs[v >> 12][0];
        dst[1] = pairs[v >> 12][1];
        dst[2] = pairs[v & 4095][0];
        dst[3] = pairs[v & 4095][1];
    }
    if (const size_t rest = n - i; rest > 0) {
        // Missing bytes count as zero; their characters stay "=".
        const std::uint32_t v = (std::uint32_t{src[i]} << 16) | (rest == 2 ? std::uint32_t{src[i + 1]} << 8 : 0);
        dst[0] = pairs[v >> 12][0];
        dst[1] = pairs[v >> 12][1];
        if (rest == 2) dst[2] = pairs[v & 4095][0];
    }
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
