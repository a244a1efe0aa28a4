#include "Gbk.h"

#include <array>
#include <memory>

#include "Utf8.h"

namespace Gbk {

namespace {

constexpr unsigned kFirstLead = 0x81, kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40, kLastTrail = 0xFE;
constexpr unsigned kColumns = kLastTrail - kFirstTrail + 1;
constexpr char16_t kEuro = 0x20AC;

constexpr char16_t kPairs[] = {
#include "GbkTable.inc"
};
static_assert(sizeof kPairs / sizeof kPairs[0] == (kLastLead - kFirstLead + 1) * kColumns);

// BMP character -> its code, the inverse of the table (no character has two
// codes in it).
std::unique_ptr<std::array<std::uint16_t, 0x10000>> BuildCodes() {
    auto codes = std::make_unique<std::array<std::uint16_t, 0x10000>>();
    (*codes)[kEuro] = 0x80;
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead)
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail)
            if (const char16_t c = kPairs[(lead - kFirstLead) * kColumns + (trail - kFirstTrail)])
                (*codes)[c] = static_cast<std::uint16_t>(lead << 8 | trail);
    return codes;
}

const std::array<std::uint16_t, 0x10000>& Codes() {
    static const auto codes = BuildCodes();
    return *codes;
}

}  // namespace

char16_t CharOf(unsigned char lead, unsigned char trail) {
    if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail) return 0;
    return kPairs[(lead - kFirstLead) * kColumns + (trail - kFirstTrail)];
}

std::uint16_t CodeOf(char16_t c) { return c < 0x80 ? 0 : Codes()[c]; }

bool ToUtf8(std::string_view gbk, std::string& utf8) {
    // Every byte becomes at most three: write into room made up front.
    const size_t start = utf8.size();
    utf8.resize(start + 3 * gbk.size());
    char* out = utf8.data() + start;
    bool valid = true;
    for (size_t i = 0; i < gbk.size(); ++i) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            continue;
        }
        char16_t unit = 0;
        if (b == 0x80) {
            unit = kEuro;
        } else if (i + 1 < gbk.size()) {
            unit = CharOf(b, static_cast<unsigned char>(gbk[i + 1]));
            ++i;
        }
        if (unit == 0) {
            valid = false;
            break;
        }
        // A BMP character: two or three UTF-8 bytes.
        if (unit < 0x800) {
            *out++ = static_cast<char>(0xC0 | unit >> 6);
        } else {
            *out++ = static_cast<char>(0xE0 | unit >> 12);
            *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        }
        *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
    utf8.resize(static_cast<size_t>(out - utf8.data()));
    return valid;
}

bool FromUtf8(std::string_view utf8, std::string& gbk, char32_t& unmappable) {
    // No character takes more bytes in GBK than in UTF-8.
    const size_t start = gbk.size();
    gbk.resize(start + utf8.size());
    char* out = gbk.data() + start;
    bool valid = true;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            ++i;
            continue;
        }
        const char32_t c = Utf8::Next(utf8, i);
        const std::uint16_t code = c < 0x10000 ? CodeOf(static_cast<char16_t>(c)) : 0;
        if (code == 0) {
            unmappable = c;
            valid = false;
            break;
        }
        if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
        *out++ = static_cast<char>(code & 0xFF);
    }
    gbk.resize(static_cast<size_t>(out - gbk.data()));
    return valid;
}

}  // namespace Gbk
