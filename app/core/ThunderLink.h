#pragma once

#include <string>
#include <string_view>

// The window's side of the link engine shared with torvane-link: the link of
// an address, and the boxes' UTF-16 text in and out of the engine's UTF-8.
// Nothing here reads a window; all of it runs in time linear in the text's
// length.
namespace ThunderLink {

// "thunder://" + Base64 of "AA" + address + "ZZ", over the address's GBK
// bytes when every character has a GBK code (what download managers expect),
// otherwise over its UTF-8 bytes, so that no character is lost.
std::wstring FromAddress(std::wstring_view address);

// Between the boxes' UTF-16 and the engine's UTF-8 (an unpaired
// surrogate becomes U+FFFD; `utf8` must be valid).
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view utf8);

}  // namespace ThunderLink
