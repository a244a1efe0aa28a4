#include "Base64Payload.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "ByteScan.h"

namespace Base64Payload {

namespace {

constexpr std::uint16_t kInvalid = 0x8000;

constexpr std::array<std::uint16_t, 256> MakeValues() {
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::array<std::uint16_t, 256> table{};
    table.fill(kInvalid);
    for (std::uint16_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(alphabet[i])] = i;
    return table;
}
constexpr auto kValues = MakeValues();

// The 12 bits of every pair of characters (first character in the low byte
// of the index), so a group of four decodes with two lookups.
struct PairTable {
    std::uint16_t bits[65536];
};
constexpr PairTable MakePairs() {
    PairTable table{};
    for (unsigned i = 0; i < 65536; ++i) {
        const std::uint16_t first = kValues[i & 0xFF], second = kValues[i >> 8];
        table.bits[i] = ((first | second) & kInvalid) ? kInvalid : static_cast<std::uint16_t>(first << 6 | second);
    }
    return table;
}
constexpr PairTable kPairs = MakePairs();

// Two characters for each 12-bit value, so a group of three bytes is
// written with two lookups.
struct CharPairs {
    char chars[4096][2];
};
constexpr CharPairs MakeCharPairs() {
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    CharPairs table{};
    for (int v = 0; v < 4096; ++v) {
        table.chars[v][0] = alphabet[v >> 6];
        table.chars[v][1] = alphabet[v & 63];
    }
    return table;
}
constexpr CharPairs kCharPairs = MakeCharPairs();

inline std::uint64_t SwapBytes(std::uint64_t v) {
#if defined(__GNUC__)
    return __builtin_bswap64(v);
#else
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i, v >>= 8) r = r << 8 | (v & 0xFF);
    return r;
#endif
}

// The two characters of a 12-bit value as they lie in memory.
inline std::uint16_t CharPairAt(std::uint32_t v) {
    std::uint16_t pair;
    std::memcpy(&pair, kCharPairs.chars[v], 2);
    return pair;
}

inline std::uint16_t ValueOf(char c) { return kValues[static_cast<unsigned char>(c)]; }
inline std::uint16_t PairAt(const char* p) {
    return kPairs.bits[static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8];
}

// Characters that Clean changes or drops.
constexpr std::array<bool, 256> MakeSpecial() {
    std::array<bool, 256> table{};
    for (const char c : {' ', '\t', '\n', '\r', '\v', '\f', '-', '_', '&'}) table[static_cast<unsigned char>(c)] = true;
    return table;
}
constexpr auto kSpecial = MakeSpecial();

}  // namespace

std::string_view Clean(std::string_view raw, std::string& scratch) {
    size_t i = ByteScan::Find(
        raw,
        [](std::uint64_t w) {
            return ByteScan::AnyBelow(w, 0x21) | ByteScan::AnyEqual(w, '-') | ByteScan::AnyEqual(w, '_') |
                   ByteScan::AnyEqual(w, '&');
        },
        [](unsigned char c) { return kSpecial[c]; });
    if (i == raw.size()) return raw;

    scratch.assign(raw.substr(0, i));
    for (; i < raw.size(); ++i) {
        const char c = raw[i];
        if (!kSpecial[static_cast<unsigned char>(c)]) {
            scratch.push_back(c);
        } else if (c == '-') {
            scratch.push_back('+');
        } else if (c == '_') {
            scratch.push_back('/');
        } else if (c == '&') {
            scratch.push_back('&');
            if (raw.substr(i, 5) == "&amp;") i += 4;
        }  // white space is dropped
    }
    return scratch;
}

bool Decode(std::string_view text, std::string& buffer, std::string_view& decoded) {
    size_t padding = 0;
    while (padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    const std::string_view data = text.substr(0, text.size() - padding);
    // One data character short of a byte, or more "=" than the last group
    // can take, cannot be Base64.
    const size_t tail = data.size() % 4;
    if (tail == 1 || padding > (4 - tail) % 4) return false;

    const size_t groups = data.size() / 4;
    const size_t length = groups * 3 + (tail == 0 ? 0 : tail - 1);
    // Two groups at a time write eight bytes, six of them decoded.
    if (buffer.size() < length + 2) buffer.resize(length + 2);
    auto* dst = reinterpret_cast<std::uint8_t*>(buffer.data());
    const char* src = data.data();
    std::uint16_t seen = 0;  // collects kInvalid from any character outside the alphabet
    size_t g = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; g + 2 <= groups; g += 2, src += 8, dst += 6) {
            const std::uint16_t a = PairAt(src), b = PairAt(src + 2), c = PairAt(src + 4), d = PairAt(src + 6);
            seen |= a | b | c | d;
            // 48 bits, first byte highest; shifted to the top and byte-swapped,
            // they come first in memory.
            const std::uint64_t v = std::uint64_t{a} << 36 | std::uint64_t{b} << 24 | std::uint64_t{c} << 12 | d;
            const std::uint64_t bytes = SwapBytes(v << 16);
            std::memcpy(dst, &bytes, 8);
        }
    }
    for (; g < groups; ++g, src += 4, dst += 3) {
        const std::uint16_t high = PairAt(src), low = PairAt(src + 2);
        seen |= high | low;
        const std::uint32_t v = std::uint32_t{high} << 12 | (low & 0xFFFu);
        dst[0] = static_cast<std::uint8_t>(v >> 16);
        dst[1] = static_cast<std::uint8_t>(v >> 8);
        dst[2] = static_cast<std::uint8_t>(v);
    }
    if (tail >= 2) {
        const std::uint16_t a = ValueOf(src[0]), b = ValueOf(src[1]);
        seen |= a | b;
        dst[0] = static_cast<std::uint8_t>(a << 2 | b >> 4);
        if (tail == 3) {
            const std::uint16_t c = ValueOf(src[2]);
            seen |= c;
            dst[1] = static_cast<std::uint8_t>(b << 4 | c >> 2);
        }
    }
    if (seen & kInvalid) return false;
    decoded = std::string_view(buffer.data(), length);
    return true;
}

void Encode(std::string_view bytes, std::string& out) {
    const size_t n = bytes.size();
    const size_t start = out.size();
    out.resize(start + (n + 2) / 3 * 4);
    char* dst = out.data() + start;
    const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.data());
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Six bytes (read as eight) become eight characters in one store.
        for (; i + 8 <= n; i += 6, dst += 8) {
            std::uint64_t word;
            std::memcpy(&word, src + i, 8);
            word = SwapBytes(word);  // first byte highest
            const auto first = static_cast<std::uint32_t>(word >> 40), second = static_cast<std::uint32_t>(word >> 16);
            const std::uint64_t chars =
                std::uint64_t{CharPairAt(first >> 12 & 4095)} | std::uint64_t{CharPairAt(first & 4095)} << 16 |
                std::uint64_t{CharPairAt(second >> 12 & 4095)} << 32 | std::uint64_t{CharPairAt(second & 4095)} << 48;
            std::memcpy(dst, &chars, 8);
        }
    }
    for (; i + 3 <= n; i += 3, dst += 4) {
        const std::uint32_t v = std::uint32_t{src[i]} << 16 | std::uint32_t{src[i + 1]} << 8 | src[i + 2];
        std::memcpy(dst, kCharPairs.chars[v >> 12], 2);
        std::memcpy(dst + 2, kCharPairs.chars[v & 4095], 2);
    }
    if (const size_t rest = n - i; rest > 0) {
        const std::uint32_t v = std::uint32_t{src[i]} << 16 | (rest == 2 ? std::uint32_t{src[i + 1]} << 8 : 0);
        std::memcpy(dst, kCharPairs.chars[v >> 12], 2);
        dst[2] = rest == 2 ? kCharPairs.chars[v & 4095][0] : '=';
        dst[3] = '=';
    }
}

}  // namespace Base64Payload
