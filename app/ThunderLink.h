#pragma once

#include <optional>
#include <string>
#include <string_view>

// The window's two conversions, on the link engine shared with torvane-link.
// Both take and give the text boxes' UTF-16 text, read no window, and run
// in time linear in the text's length.
namespace ThunderLink {

// "thunder://" + Base64 of "AA" + address + "ZZ", over the address's GBK
// bytes when every character has a GBK code (what download managers expect),
// otherwise over its UTF-8 bytes, so that no character is lost.
std::wstring FromAddress(std::wstring_view address);

// The address held by a link's payload (the text after its first ten
// characters). Nothing when the payload is not valid Base64 (Module1's
// rules), its bytes are not wrapped in "AA" ... "ZZ", the address holds a
// NUL, or its bytes are valid in neither GBK nor UTF-8; otherwise the
// address read in the character set Charset::Detect finds.
std::optional<std::wstring> ToAddress(std::wstring_view payload);

}  // namespace ThunderLink
