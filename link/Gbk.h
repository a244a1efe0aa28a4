#pragma once

#include <string>
#include <string_view>

// GBK (code page 936) <-> UTF-8 through tables, for the converter's inner
// loop. The tables come from the system's own code page 936 conversion
// (AnsiCodePage's strict functions), so every byte pair means here what it
// means to the main program; they are built on first use.
namespace Gbk {

// Appends the UTF-8 form of `gbk` to `utf8`. False, with `utf8` holding a
// partial result, when the bytes are not a valid code page 936 sequence.
bool ToUtf8(std::string_view gbk, std::string& utf8);

// Appends the code page 936 bytes of valid UTF-8 text to `gbk`. False when a
// character has no code there; `unmappable` then holds the first one.
bool FromUtf8(std::string_view utf8, std::string& gbk, char32_t& unmappable);

}  // namespace Gbk
