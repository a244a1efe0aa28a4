#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Base64 codec of the link commands.
//
// Encoding is RFC 4648 Base64 (standard alphabet, "=" padding, no line
// breaks). Decoding accepts only strings whose length is a multiple of four
// and whose characters are all in A-Z a-z 0-9 + / =; anything else decodes to
// nothing. Within an accepted string it is lenient: the padding is counted
// from the end ("===" counts as two), an "=" anywhere else stands for six zero
// bits, and the unused low bits of the last data character are ignored.
//
// Inputs of any length are handled in full.
//
// Encoding is the link engine's (Base64Payload::Encode). The two decoders
// differ on purpose: this one keeps the window's long-standing rules above,
// while Base64Payload::Decode reads payloads as they get pasted into links
// (padding missing or in surplus is fine, but an "=" inside the data is not).
namespace Module1 {

using Bytes = std::vector<std::uint8_t>;

// Text <-> Base64 of the text's code-page 936 bytes.
std::wstring Base64EncodeText(std::wstring_view text);
std::wstring Base64DecodeText(std::wstring_view base64);

std::wstring Base64EncodeBytes(std::span<const std::uint8_t> bytes);
// The same appended to `out`, so that a long link is written in place.
void Base64AppendBytes(std::span<const std::uint8_t> bytes, std::wstring& out);
Bytes Base64DecodeBytes(std::wstring_view base64);
bool IsBase64(std::wstring_view s);

// The same rules on 8-bit strings, for callers that work in bytes throughout.
std::string Base64EncodeBytesNarrow(std::span<const std::uint8_t> bytes);
Bytes Base64DecodeBytes(std::string_view base64);
bool IsBase64(std::string_view s);

}  // namespace Module1
