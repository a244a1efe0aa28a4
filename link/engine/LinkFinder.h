#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "LinkCodec.h"
#include "Scheme.h"

// Finds the wrapper links (thunder://, flashget://, qqdl://, fs2you://, in
// any letter case) in a longer text: a saved web page, a forum post, a mail,
// a sentence pasted from a chat. The window's convert-back and
// `torvane-link --extract` both read links through it, so they find the same
// links and say the same about each.
//
// Where a link ends. The payload runs over Base64 characters (the standard
// and URL-safe alphabets and "=" padding) and may go on after white space
// holding at most one line break (a link that a mail program split over two
// lines), followed by an "&" tail ("&tag", "&amp;key=value") that runs to
// the next white space, quote, bracket or punctuation mark. It ends at any
// other character: Chinese and ASCII punctuation ("，。；：、）】」" ",;" ...),
// quotes and angle brackets, an HTML entity ("&#39;", "&quot;", "&lt;", ...),
// a word that is followed by ":" (the next "thunder://"), a blank line. The
// span may keep up to three trailing "/" (which are also Base64 characters);
// decoding drops them when the payload reads better without.
//
// When the end is ambiguous (white space followed by letters that could be
// more Base64: "thunder://... and more"), each possible end is tried, the
// longest first: the longest reading that decodes to an address wins; when
// none does, the shortest (the first unbroken run of payload) is the link,
// reported as failed. Only thunder and flashget payloads, whose wrapper
// fails a reading that runs on too far, go on after any such white space;
// qqdl and fs2you payloads go on only after a line break that ends a line
// of 60 bytes or more (a mail program wrapping a long link).
//
// A scheme name with no payload right after it ("thunder://" in a sentence
// about the format, "thunder://，") is not a link. A link that is there but
// broken (no wrapper, cut short, not valid Base64 or in no character set) is
// found and reported as failed in its place.
namespace LinkFinder {

// One link found in the text.
struct Link {
    // Byte offsets into the text (UTF-8): the link is text[begin, end),
    // from the first letter of its scheme name to the last character of its
    // payload or "&" tail.
    size_t begin = 0;
    size_t end = 0;
    Scheme::Kind scheme = Scheme::Kind::Thunder;  // the outer link's scheme

    // The outcome: exactly what `torvane-link` prints for the link on its
    // own (and `torvane-link --extract` for it in the text).
    bool decoded = false;
    std::string address;  // when decoded: the address, UTF-8, nested links unwrapped
    std::string error;    // when not: the reason, as torvane-link writes it on standard error

    // When decoded: wrapper layers unwrapped, and the character set of the
    // innermost layer that needed one.
    int depth = 0;
    LinkCodec::Charset charset = LinkCodec::Charset::Ascii;
    // When decoded: the payload is a thunder "AA" + hex digits + "ZZ" task
    // id (16 digits or more) rather than an address; `address` holds the
    // digits as they are.
    bool taskId = false;
};

// Every link in `text` (UTF-8; bytes that are not valid UTF-8 end a link
// like any other character that is not in its payload), in the order they
// appear, not overlapping. Payloads are read in the character set `charset`
// asks for (Detect: the one their bytes spell likeliest, as torvane-link
// does by default). Time linear in the text's length.
std::vector<Link> FindAll(std::string_view text,
                          LinkCodec::CharsetChoice charset = LinkCodec::CharsetChoice::Detect);

}  // namespace LinkFinder
