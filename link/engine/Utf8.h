#pragma once

#include <string>
#include <string_view>

// UTF-8, the form of all text on the converter's command line, standard
// input and output.
namespace Utf8 {

// True when every byte is below 0x80.
bool IsAscii(std::string_view s);

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsValid(std::string_view s);

// The code point that starts at s[i] in valid UTF-8; moves i past it.
char32_t Next(std::string_view s, size_t& i);

void Append(char32_t c, std::string& out);

// UTF-16 units (unpaired surrogates become U+FFFD) to UTF-8.
std::string FromUtf16(std::u16string_view units);

// Valid UTF-8 to UTF-16 units.
std::u16string ToUtf16(std::string_view utf8);

}  // namespace Utf8
