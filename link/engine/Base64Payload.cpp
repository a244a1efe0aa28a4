#include "Base64Payload.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "ByteScan.h"
#include "CpuFeatures.h"

namespace Base64Payload {

namespace {

constexpr std::uint16_t kInvalid = 0x8000;

// kValueOf widened, so that a pair of values (12 bits) keeps the mark.
constexpr std::array<std::uint16_t, 256> MakeValues() {
    std::array<std::uint16_t, 256> table{};
    for (size_t b = 0; b < table.size(); ++b) table[b] = kValueOf[b] == kNotInAlphabet ? kInvalid : kValueOf[b];
    return table;
}
constexpr auto kValues = MakeValues();

// The two tables below are filled when the program starts (a fraction of a
// millisecond), not computed by the compiler: as constants they would add
// 136 KB to every executable that reads or writes links.

// The 12 bits of every pair of characters (first character in the low byte
// of the index), so a group of four decodes with two lookups.
struct PairTable {
    PairTable() {
        for (unsigned i = 0; i < 65536; ++i) {
            const std::uint16_t first = kValues[i & 0xFF], second = kValues[i >> 8];
            bits[i] = ((first | second) & kInvalid) ? kInvalid : static_cast<std::uint16_t>(first << 6 | second);
        }
    }
    std::uint16_t bits[65536];
};
const PairTable kPairs;

// Two characters for each 12-bit value, so a group of three bytes is
// written with two lookups.
struct CharPairs {
    CharPairs() {
        for (int v = 0; v < 4096; ++v) {
            chars[v][0] = kAlphabet[v >> 6];
            chars[v][1] = kAlphabet[v & 63];
        }
    }
    char chars[4096][2];
};
const CharPairs kCharPairs;

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
    for (const char c : {' ', '\t', '\n', '\r', '\v', '\f', '-', '_'}) table[static_cast<unsigned char>(c)] = true;
    return table;
}
constexpr auto kSpecial = MakeSpecial();

#ifdef TORVANE_X86_SIMD
// Twelve bytes become sixteen characters in one step, on processors with
// SSSE3 (see CpuFeatures): each group of three bytes is spread
// over four lanes of six bits, which are turned into characters by adding an
// offset picked by the lane's range (A-Z, a-z, 0-9, "+", "/"). Reads sixteen
// bytes for every twelve it uses, none from `src + n` on; returns how many
// bytes it encoded.
__attribute__((target("ssse3"))) size_t EncodeBlocks(const std::uint8_t* src, size_t n, char* dst) {
    const __m128i spread = _mm_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1);
    const __m128i offsets = _mm_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                          '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    size_t i = 0;
    for (; i + 16 <= n; i += 12, dst += 16) {
        __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        // Per group of three bytes s0 s1 s2, a 32-bit lane s1 s0 s2 s1 (low
        // byte first): the four values sit at known bits of its two halves.
        in = _mm_shuffle_epi8(in, spread);
        const __m128i first =
            _mm_mulhi_epu16(_mm_and_si128(in, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
        const __m128i second =
            _mm_mullo_epi16(_mm_and_si128(in, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
        const __m128i values = _mm_or_si128(first, second);
        // Offset index: 0 for 26-51, 1-10 for 52-61, 11 and 12 for 62 and 63,
        // 13 for 0-25.
        __m128i index = _mm_subs_epu8(values, _mm_set1_epi8(51));
        const __m128i upper = _mm_cmpgt_epi8(_mm_set1_epi8(26), values);
        index = _mm_or_si128(index, _mm_and_si128(upper, _mm_set1_epi8(13)));
        const __m128i chars = _mm_add_epi8(_mm_shuffle_epi8(offsets, index), values);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), chars);
    }
    return i;
}

// Sixteen characters become twelve bytes in one step: a character's six
// bits are its byte plus an offset picked by its high nibble ("/" apart
// from the rest of its nibble), after a test that flags every byte outside
// the alphabet by its two nibbles. Writes sixteen bytes for every twelve;
// returns how many groups of four characters it decoded, and sets `invalid`
// when some character was not in the alphabet.
__attribute__((target("ssse3"))) size_t DecodeBlocks(const char* src, size_t groups, std::uint8_t* dst,
                                                      bool& invalid) {
    // A byte is outside the alphabet when its low-nibble and high-nibble
    // classes share a bit.
    const __m128i lowClasses = _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                                             0x1B, 0x1B, 0x1B, 0x1A);
    const __m128i highClasses = _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                                              0x10, 0x10, 0x10, 0x10);
    // By high nibble, one less for "/": 1 "/", 2 "+", 3 digits, 4-5 A-Z, 6-7 a-z.
    const __m128i offsets = _mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i slash = _mm_set1_epi8('/');
    // Three bytes from each 32-bit lane, first byte highest there.
    const __m128i gather = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    __m128i flagged = _mm_setzero_si128();
    size_t g = 0;
    for (; g + 4 <= groups; g += 4, src += 16, dst += 12) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i high = _mm_and_si128(_mm_srli_epi32(in, 4), nibble);
        const __m128i low = _mm_and_si128(in, nibble);
        flagged = _mm_or_si128(flagged, _mm_and_si128(_mm_shuffle_epi8(lowClasses, low),
                                                      _mm_shuffle_epi8(highClasses, high)));
        const __m128i offset = _mm_shuffle_epi8(offsets, _mm_add_epi8(_mm_cmpeq_epi8(in, slash), high));
        const __m128i values = _mm_add_epi8(in, offset);
        // Pairs of six bits into twelve, pairs of twelve into twenty-four.
        const __m128i twelve = _mm_maddubs_epi16(values, _mm_set1_epi32(0x01400140));
        const __m128i bits = _mm_madd_epi16(twelve, _mm_set1_epi32(0x00011000));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(bits, gather));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(flagged, _mm_setzero_si128())) != 0xFFFF) invalid = true;
    return g;
}
#endif

}  // namespace

std::string_view Clean(std::string_view raw, std::string& scratch) {
    size_t i = ByteScan::Find(
        raw,
        [](std::uint64_t w) {
            return ByteScan::AnyBelow(w, 0x21) | ByteScan::AnyEqual(w, '-') | ByteScan::AnyEqual(w, '_');
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
        }  // white space is dropped
    }
    return scratch;
}

bool Decode(std::string_view text, std::string& buffer, std::string_view& decoded) {
    size_t padding = 0;
    while (padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    const std::string_view data = text.substr(0, text.size() - padding);
    // One data character short of a byte cannot be Base64. Surplus "=" at
    // the end (as some pages write them) are padding all the same.
    const size_t tail = data.size() % 4;
    if (tail == 1) return false;

    const size_t groups = data.size() / 4;
    const size_t length = groups * 3 + (tail == 0 ? 0 : tail - 1);
    // Two groups at a time write eight bytes, six of them decoded; four at
    // a time sixteen, twelve of them decoded.
    if (buffer.size() < length + 4) buffer.resize(length + 4);
    auto* dst = reinterpret_cast<std::uint8_t*>(buffer.data());
    const char* src = data.data();
    std::uint16_t seen = 0;  // collects kInvalid from any character outside the alphabet
    size_t g = 0;
#ifdef TORVANE_X86_SIMD
    if (groups >= 4 && CpuFeatures::Ssse3()) {
        bool invalid = false;
        g = DecodeBlocks(src, groups, dst, invalid);
        if (invalid) return false;
        src += g * 4;
        dst += g * 3;
    }
#endif
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

namespace {

// `slack` (0 or 4): how many bytes after `bytes` may be read.
inline void EncodeAt(std::string_view bytes, char* dst, size_t slack) {
    const size_t n = bytes.size();
    // How far the steps below may read.
    const size_t readable = n + slack;
    const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.data());
    size_t i = 0;
#ifdef TORVANE_X86_SIMD
    // Sixteen bytes are read for every twelve encoded.
    if (readable >= 16 && CpuFeatures::Ssse3()) {
        i = EncodeBlocks(src, readable, dst);
        dst += i / 3 * 4;
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        // Six bytes (read as eight) become eight characters in one store.
        for (; i + 6 <= n && i + 8 <= readable; i += 6, dst += 8) {
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

}  // namespace

void Encode(std::string_view bytes, std::string& out) {
    const size_t start = out.size();
    out.resize(start + EncodedSize(bytes.size()));
    EncodeAt(bytes, out.data() + start, 0);
}

void EncodeWithReadSlack(std::string_view bytes, char* dst) { EncodeAt(bytes, dst, 4); }

}  // namespace Base64Payload
