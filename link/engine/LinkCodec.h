#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Charset.h"
#include "Scheme.h"

// One layer of a wrapper link, in both directions: the payload of a
// thunder://, flashget://, qqdl:// or fs2you:// link and the address it holds.
namespace LinkCodec {

// How the bytes of an address are read or written. Ascii is reported when
// every byte is below 0x80, where the choice makes no difference.
using Charset = ::Charset::Kind;

// What the user asked for: the set detected (Charset::Detect) when reading,
// GBK with UTF-8 for addresses GBK cannot hold when writing; or one set
// forced.
enum class CharsetChoice { Detect, Utf8, Gbk };

std::string_view Name(Charset charset);  // "ascii", "utf-8", "gbk"

// What one layer decodes to.
struct Decoded {
    // UTF-8; points into the scratch buffers (or the payload) and stays
    // valid until they are used again.
    std::string_view address;
    Charset charset = Charset::Ascii;
};

// Work space kept from call to call, so that decoding does not allocate for
// every link.
struct Scratch {
    std::string bytes;     // the decoded payload
    std::string text;      // its UTF-8 form, when it was GBK
    std::string prefixed;  // an fs2you address with "http://" in front
    std::string cleaned;   // the payload text after Base64Payload::Clean
};

// Decodes the text that follows the scheme prefix of a wrapper link of
// `kind`. The text is read tolerantly (see Base64Payload::Clean; "&" and
// what follows it, such as a flashget "&tag" or "&key=value" parameters, is
// dropped; up to three trailing "/", ")" or "." that do not fit the payload
// are ignored); the payload must then be valid Base64, carry
// its scheme's wrapper, be valid in the character set, and hold a non-empty
// address without control characters. False with the reason in `error`.
bool Decode(Scheme::Kind kind, std::string_view text, CharsetChoice choice, Scratch& scratch, Decoded& decoded,
            std::string& error);

// The bytes of a UTF-8 address in the character set links are written in:
// GBK when every character has a GBK code, otherwise UTF-8 (Detect); or the
// set forced. `address` itself when they are the same, otherwise built in
// `buffer`. Nothing when a character has no code in a forced GBK (or the
// address is not valid UTF-8), with the reason in `error`.
std::optional<std::string_view> ToLinkBytes(std::string_view address, CharsetChoice choice, std::string& buffer,
                                            Charset& charset, std::string& error);

// Appends the link of `kind` that carries `bytes`, the UTF-8 `address` in
// its link character set (from ToLinkBytes); the payload is put together in
// `payload`. fs2you links hold only http:// addresses without "|"; their
// payload is the address without "http://" followed by "|0" (size unknown).
bool Encode(Scheme::Kind kind, std::string_view address, std::string_view bytes, std::string& payload,
            std::string& link, std::string& error);

// What Encode appends for a thunder, flashget or qqdl link, with a line end
// after it, written in one piece.
void AppendLinkLine(Scheme::Kind kind, std::string_view bytes, std::string& payload, std::string& out);

// False when the address holds a C0 control character or DEL: it could not
// stand on one output line.
bool IsPrintable(std::string_view address);

// True when every byte is printable ASCII (0x20 to 0x7E): an address that
// IsPrintable accepts and that reads the same in every character set.
bool IsPrintableAscii(std::string_view address);

}  // namespace LinkCodec
