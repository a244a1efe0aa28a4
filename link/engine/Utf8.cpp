#include "Utf8.h"

#include <cstdint>
#include <cstring>

#include "ByteScan.h"

namespace Utf8 {

namespace {

inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }
inline bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Index of the first byte at or after `i` that is not ASCII, or s.size().
size_t SkipAscii(std::string_view s, size_t i) {
    // Eight bytes at a time: addresses are mostly ASCII.
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    while (i < s.size() && At(s, i) < 0x80) ++i;
    return i;
}

}  // namespace

bool IsAscii(std::string_view s) {
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8)
        if (ByteScan::Load(s.data() + i) & ByteScan::kHighs) return false;
    if (s.size() >= 8) return !(ByteScan::Load(s.data() + s.size() - 8) & ByteScan::kHighs);
    for (; i < s.size(); ++i)
        if (At(s, i) >= 0x80) return false;
    return true;
}

bool IsValid(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while ((i = SkipAscii(s, i)) < n) {
        const unsigned char b = At(s, i);
        size_t length;
        // The second byte's range depends on the first (RFC 3629, section 4).
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length) return false;
        if (At(s, i + 1) < low || At(s, i + 1) > high) return false;
        for (size_t k = 2; k < length; ++k)
            if (!IsContinuation(At(s, i + k))) return false;
        i += length;
    }
    return true;
}

char32_t Next(std::string_view s, size_t& i) {
    const unsigned char b = At(s, i++);
    if (b < 0x80) return b;
    size_t extra;
    char32_t c;
    if (b < 0xE0) {
        extra = 1;
        c = b & 0x1F;
    } else if (b < 0xF0) {
        extra = 2;
        c = b & 0x0F;
    } else {
        extra = 3;
        c = b & 0x07;
    }
    for (; extra > 0 && i < s.size(); --extra) c = (c << 6) | (At(s, i++) & 0x3F);
    return c;
}

void Append(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string FromUtf16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        Append(c, out);
    }
    return out;
}

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = Next(utf8, i);
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

}  // namespace Utf8
