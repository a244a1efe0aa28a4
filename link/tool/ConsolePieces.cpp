#include "ConsolePieces.h"

#include "link/engine/Utf8.h"

namespace ConsolePieces {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

size_t PieceSize(std::u16string_view units, size_t limit) {
    if (units.size() <= limit) return units.size();
    return limit > 1 && IsHighSurrogate(units[limit - 1]) ? limit - 1 : limit;
}

std::string Reader::Take(std::u16string_view units) {
    std::u16string joined;
    if (m_high != 0) {
        joined.assign(1, m_high);
        joined.append(units);
        units = joined;
        m_high = 0;
    }
    if (!units.empty() && IsHighSurrogate(units.back())) {
        m_high = units.back();
        units.remove_suffix(1);
    }
    return Utf8::FromUtf16(units);
}

std::string Reader::End() {
    const char16_t high = m_high;
    m_high = 0;
    return high != 0 ? Utf8::FromUtf16(std::u16string_view(&high, 1)) : std::string();
}

}  // namespace ConsolePieces
