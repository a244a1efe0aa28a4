#pragma once

#include <optional>
#include <string_view>

// Which character set the bytes of a link's payload are written in. Links
// carry GBK (what the window and most download pages write) or UTF-8 (common
// today for Chinese file names, and the only choice for characters GBK
// cannot hold), with nothing in the link to say which.
namespace Charset {

// Ascii: every byte below 0x80, where the choice makes no difference.
enum class Kind { Ascii, Utf8, Gbk };

std::string_view Name(Kind kind);  // "ascii", "utf-8", "gbk"

// Ascii when it fits; otherwise the set in which the bytes are valid, and
// when they are valid in both, the reading that spells the more likely file
// name or address (see Unlikeliness); GBK when the two are equally likely.
// Nothing when the bytes are valid in neither. Linear in the size.
std::optional<Kind> Detect(std::string_view bytes);

// How unlikely a text (UTF-8) is as an address, in rough bits: hanzi cost
// by how often they are written, a letter of an alphabet (half-width
// katakana among them) costs little inside a word of its script, a lone
// accented letter is cheap only next to ASCII letters or digits, and a
// Latin-1 sign (°, ±, ², µ, £, ½) only beside them. Detect compares the two
// readings of a payload by it.
long Unlikeliness(std::string_view utf8);

}  // namespace Charset
