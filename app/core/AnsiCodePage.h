#pragma once

#include <optional>
#include <string>
#include <string_view>

// The code page that turns text into link bytes and back. It is fixed at 936
// (GBK) rather than read from the system, so the same address gives the same
// link on every machine. Text is a sequence of UTF-16 code units held in a
// std::wstring (on Linux each wchar_t holds one UTF-16 unit).
//
// Windows converts with WideCharToMultiByte/MultiByteToWideChar; the host
// build converts with iconv's CP936, which maps the same way. A character the
// code page cannot hold becomes "?", and a byte sequence that is not valid in
// it becomes "?" per bad byte, as the system conversion does.
namespace AnsiCodePage {

inline constexpr unsigned kCodePage = 936;

std::string ToBytes(std::wstring_view text);
std::wstring ToText(std::string_view bytes);

// The same conversions without substitution: nothing when a character has no
// code in the code page (no best-fit look-alikes either; a lone surrogate
// counts as such a character), or when the bytes are not a valid sequence in
// it. Empty input converts to empty output.
std::optional<std::string> ToBytesStrict(std::wstring_view text);
std::optional<std::wstring> ToTextStrict(std::string_view bytes);

}  // namespace AnsiCodePage
