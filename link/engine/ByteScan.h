#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "CpuFeatures.h"

// Tests on eight bytes at a time, for the scans every input line goes
// through. Each test is exact as "does any byte of the word match"; which
// byte matched is found with a plain loop over that word.
namespace ByteScan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t Load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Non-zero when some byte is below n (n at most 0x80).
inline std::uint64_t AnyBelow(std::uint64_t word, unsigned n) { return (word - kOnes * n) & ~word & kHighs; }

// Non-zero when some byte equals c.
inline std::uint64_t AnyEqual(std::uint64_t word, unsigned char c) {
    const std::uint64_t x = word ^ (kOnes * c);
    return (x - kOnes) & ~x & kHighs;
}

// Non-zero when some byte is not printable ASCII (0x20 to 0x7E).
inline std::uint64_t AnyOutsidePrintableAscii(std::uint64_t word) {
    // Per byte of the low seven bits: + 0x01 reaches bit 7 only from 0x7F,
    // + 0x60 only from 0x20 up; neither carries into the next byte.
    const std::uint64_t low = word & ~kHighs;
    return (word | (low + kOnes) | ~(low + kOnes * 0x60)) & kHighs;
}

// Index of the first byte of `s` for which `match` holds, or s.size();
// `anyInWord` is the word-wide form of the same test.
template <typename WordTest, typename ByteTest>
size_t Find(std::string_view s, WordTest anyInWord, ByteTest match) {
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8)
        if (anyInWord(Load(s.data() + i))) break;
    // The last few bytes as the tail of one more word, when there is one.
    if (i == s.size() - s.size() % 8 && s.size() >= 8 && !anyInWord(Load(s.data() + s.size() - 8))) return s.size();
    for (; i < s.size(); ++i)
        if (match(static_cast<unsigned char>(s[i]))) return i;
    return s.size();
}

// The first '\n' in [p, end), or end. Inline, for short lines: most are
// found within the first few blocks of sixteen bytes.
inline const char* FindNewline(const char* p, const char* end) {
#ifdef TORVANE_X86_SIMD
    if (CpuFeatures::Sse2()) {
        const __m128i newline = _mm_set1_epi8('\n');
        for (; end - p >= 16; p += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(block, newline)))
                return p + __builtin_ctz(static_cast<unsigned>(found));
        }
    }
#endif
    const void* found = p < end ? std::memchr(p, '\n', static_cast<size_t>(end - p)) : nullptr;
    return found ? static_cast<const char*>(found) : end;
}

}  // namespace ByteScan
