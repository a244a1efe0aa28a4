#pragma once

#include <optional>
#include <string_view>

// The kinds of link and address the converter knows, told apart by their
// scheme prefix, in any letter case.
namespace Scheme {

enum class Kind {
    // Wrapper links: a Base64 payload that holds an address.
    Thunder,   // thunder://  Base64("AA" + address + "ZZ")
    Flashget,  // flashget:// Base64("[FLASHGET]" + address + "[FLASHGET]"), maybe "&tag"
    Qqdl,      // qqdl://     Base64(address)
    Fs2you,    // fs2you://   Base64("host/path|size|...")
    // Ordinary addresses, passed through as they are.
    Http,
    Https,
    Ftp,
    Ed2k,
    Magnet,
};

struct Match {
    Kind kind;
    size_t prefixLength;  // of "thunder://", "magnet:", ...
};

std::optional<Match> Detect(std::string_view text);

bool IsWrapper(Kind kind);

// Lower-case name without punctuation ("thunder", "https").
std::string_view Name(Kind kind);

// The prefix links of this kind are written with ("thunder://").
std::string_view Prefix(Kind kind);

}  // namespace Scheme
