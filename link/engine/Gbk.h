#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// GBK (code page 936) through one table compiled into every build
// (GbkTable.inc, written by scripts/link-tables), so that the Windows and Linux
// programs read and write the same bytes. ASCII is one byte, 0x80 is the
// euro sign, and every other character is a lead byte 0x81-0xFE with a trail
// byte 0x40-0xFE other than 0x7F. The user-defined areas (which systems map
// to private-use characters, or not at all) have no characters here.
namespace Gbk {

// The character of a byte pair, 0 when it has none.
char16_t CharOf(unsigned char lead, unsigned char trail);

// The code of a non-ASCII BMP character: one byte below 0x100, otherwise
// lead << 8 | trail; 0 when GBK has no code for it.
std::uint16_t CodeOf(char16_t c);

// Appends the UTF-8 form of `gbk` to `utf8`. False, with `utf8` holding a
// partial result, when the bytes are not a valid GBK sequence.
bool ToUtf8(std::string_view gbk, std::string& utf8);

// Appends the GBK bytes of valid UTF-8 text to `gbk`. False when a
// character has no code there; `unmappable` then holds the first one.
bool FromUtf8(std::string_view utf8, std::string& gbk, char32_t& unmappable);

}  // namespace Gbk
