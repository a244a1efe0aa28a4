#include "Gbk.h"

#include <array>
#include <cstdint>
#include <memory>

#include "Utf8.h"
#include "app/AnsiCodePage.h"

namespace Gbk {

namespace {

constexpr unsigned kFirstLead = 0x81, kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40, kLastTrail = 0xFE, kNotTrail = 0x7F;
constexpr unsigned kRows = kLastLead - kFirstLead + 1;
constexpr unsigned kColumns = kLastTrail - kFirstTrail + 1;

// Byte pair -> UTF-16 unit (0 where the pair means nothing), plus the one
// non-ASCII single byte, 0x80.
struct DecodeTable {
    std::array<char16_t, kRows * kColumns> pairs{};
    char16_t single80 = 0;
};

// BMP code point -> its code: one byte below 0x100, else lead << 8 | trail;
// 0 where the code page has no code for it.
struct EncodeTable {
    std::array<std::uint16_t, 0x10000> codes{};
};

std::wstring Units(std::u16string_view units) { return std::wstring(units.begin(), units.end()); }

std::unique_ptr<DecodeTable> BuildDecodeTable() {
    auto table = std::make_unique<DecodeTable>();
    if (const auto single = AnsiCodePage::ToTextStrict("\x80"); single && single->size() == 1)
        table->single80 = static_cast<char16_t>((*single)[0]);
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        char16_t* row = &table->pairs[(lead - kFirstLead) * kColumns];
        // A whole row at once where every pair in it is assigned (most rows),
        // pair by pair where it has gaps.
        std::string rowBytes;
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            if (trail == kNotTrail) continue;
            rowBytes.push_back(static_cast<char>(lead));
            rowBytes.push_back(static_cast<char>(trail));
        }
        if (const auto text = AnsiCodePage::ToTextStrict(rowBytes); text && text->size() == rowBytes.size() / 2) {
            size_t k = 0;
            for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail)
                if (trail != kNotTrail) row[trail - kFirstTrail] = static_cast<char16_t>((*text)[k++]);
            continue;
        }
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            if (trail == kNotTrail) continue;
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const auto text = AnsiCodePage::ToTextStrict(std::string_view(pair, 2));
            if (text && text->size() == 1) row[trail - kFirstTrail] = static_cast<char16_t>((*text)[0]);
        }
    }
    // Byte pairs stand for non-ASCII characters only (ASCII has its own
    // single bytes); anything else would make a second code for it.
    for (char16_t& unit : table->pairs)
        if (unit < 0x80 || (unit >= 0xD800 && unit <= 0xDFFF)) unit = 0;
    return table;
}

const DecodeTable& Decoding() {
    static const std::unique_ptr<DecodeTable> table = BuildDecodeTable();
    return *table;
}

void SetCode(EncodeTable& table, char16_t unit, std::string_view bytes) {
    if (bytes.size() == 1)
        table.codes[unit] = static_cast<unsigned char>(bytes[0]);
    else if (bytes.size() == 2)
        table.codes[unit] = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                       static_cast<unsigned char>(bytes[1]));
}

// Every character that some byte sequence decodes to, with the code the
// system's encoder gives it (where two pairs decode to one character, the
// encoder's choice is the one the main program's links carry).
std::unique_ptr<EncodeTable> BuildEncodeTable() {
    const DecodeTable& decoding = Decoding();
    auto table = std::make_unique<EncodeTable>();
    for (unsigned c = 1; c < 0x80; ++c) table->codes[c] = static_cast<std::uint16_t>(c);
    if (decoding.single80)
        if (const auto bytes = AnsiCodePage::ToBytesStrict(Units(std::u16string(1, decoding.single80))))
            SetCode(*table, decoding.single80, *bytes);
    for (unsigned r = 0; r < kRows; ++r) {
        std::u16string row;
        for (unsigned t = 0; t < kColumns; ++t)
            if (const char16_t unit = decoding.pairs[r * kColumns + t]) row.push_back(unit);
        if (row.empty()) continue;
        // Two bytes for every character of the row lets the row go at once.
        if (const auto bytes = AnsiCodePage::ToBytesStrict(Units(row)); bytes && bytes->size() == 2 * row.size()) {
            for (size_t k = 0; k < row.size(); ++k) SetCode(*table, row[k], std::string_view(*bytes).substr(2 * k, 2));
            continue;
        }
        for (const char16_t unit : row)
            if (const auto bytes = AnsiCodePage::ToBytesStrict(Units(std::u16string(1, unit))))
                SetCode(*table, unit, *bytes);
    }
    return table;
}

const EncodeTable& Encoding() {
    static const std::unique_ptr<EncodeTable> table = BuildEncodeTable();
    return *table;
}

}  // namespace

bool ToUtf8(std::string_view gbk, std::string& utf8) {
    // Every byte becomes at most three: write into room made up front.
    const size_t start = utf8.size();
    utf8.resize(start + 3 * gbk.size());
    char* out = utf8.data() + start;
    const DecodeTable* table = nullptr;
    bool valid = true;
    for (size_t i = 0; i < gbk.size(); ++i) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            continue;
        }
        if (!table) table = &Decoding();
        char16_t unit = 0;
        if (b == 0x80) {
            unit = table->single80;
        } else if (b >= kFirstLead && b <= kLastLead && i + 1 < gbk.size()) {
            const auto trail = static_cast<unsigned char>(gbk[i + 1]);
            if (trail >= kFirstTrail && trail <= kLastTrail && trail != kNotTrail) {
                unit = table->pairs[(b - kFirstLead) * kColumns + (trail - kFirstTrail)];
                ++i;
            }
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
    const EncodeTable* table = nullptr;
    bool valid = true;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            ++i;
            continue;
        }
        const char32_t c = Utf8::Next(utf8, i);
        if (!table) table = &Encoding();
        const std::uint16_t code = c < 0x10000 ? table->codes[c] : 0;
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
