#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The Base64 payload of a link. Reading is tolerant of how links get
// pasted and strict about what the payload itself may hold; writing is
// RFC 4648 Base64 with padding, the form Module1 gives.
namespace Base64Payload {

// The standard alphabet (RFC 4648), one character for each six-bit value.
inline constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The six-bit value of each byte that is in the alphabet, and kNotInAlphabet
// (a bit no value has) for every other byte. Both decoders start from it.
inline constexpr std::uint8_t kNotInAlphabet = 0x80;
inline constexpr std::array<std::uint8_t, 256> kValueOf = [] {
    std::array<std::uint8_t, 256> table{};
    table.fill(kNotInAlphabet);
    for (std::uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}();

// `raw` with white space (line breaks included) removed, and the URL-safe
// "-" and "_" read as "+" and "/". Returns `raw` itself
// when there is nothing to change, otherwise the text built in `scratch`.
std::string_view Clean(std::string_view raw, std::string& scratch);

// Decodes standard Base64 (A-Z a-z 0-9 + /) into the start of `buffer`,
// which grows as needed and is never made smaller, so that decoding many
// payloads into one buffer allocates (and clears) memory only now and then.
// `decoded` gets the decoded bytes; false when the text is not valid: "=" may
// stand only at the end, where the padding may be left off in part or in
// full, or run on beyond it; a length that no padding can complete, any
// other character, or "=" anywhere else make it invalid. Unused low bits of the last character are
// ignored.
bool Decode(std::string_view text, std::string& buffer, std::string_view& decoded);

// Appends the Base64 form of `bytes` to `out`.
void Encode(std::string_view bytes, std::string& out);

// How many characters the Base64 form of `size` bytes takes.
constexpr size_t EncodedSize(size_t size) { return (size + 2) / 3 * 4; }

// Writes the Base64 form of `bytes` (EncodedSize characters) at `dst`.
// `bytes` must be followed by at least four more bytes that may be read
// (what they hold makes no difference): it goes in larger steps.
void EncodeWithReadSlack(std::string_view bytes, char* dst);

}  // namespace Base64Payload
