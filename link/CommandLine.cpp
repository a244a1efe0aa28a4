#include "CommandLine.h"

#include <optional>

#ifndef TORVANE_VERSION
#define TORVANE_VERSION "0"
#endif

namespace CommandLine {

namespace {

constexpr std::string_view kHelp = R"help(Usage: torvane-link [OPTION]... [LINK-OR-ADDRESS]...
Convert download links to ordinary addresses and addresses to links.

Reads the links or addresses given as arguments or, when there are none, one
per line from standard input, and writes one result line for each, in order.

By default links are decoded: thunder://, flashget://, qqdl:// and fs2you://
links give the address they hold, and a link that holds another link is
unwrapped down to the address (at most 8 levels). http://, https://, ftp://,
ed2k:// and magnet: addresses pass through unchanged. Schemes may be written
in any letter case.

Options:
  -t, --to SCHEME    encode into SCHEME: thunder, flashget, qqdl, fs2you
                     (http:// addresses only), or all (the thunder, flashget
                     and qqdl links on one line, separated by tabs). A link
                     given with --to is decoded first and its address encoded;
                     any other text is encoded exactly as given, white space
                     at its ends included.
  -c, --charset SET  auto, gbk or utf-8 (also utf8, cp936). Decoding: auto
                     reads an address in the set its bytes are valid in, and
                     when they are valid in both, in the one that spells the
                     likelier address (a short payload that is equally likely
                     either way is read as GBK); gbk or utf-8 forces one.
                     Encoding: auto writes GBK, or UTF-8 when the address has
                     a character GBK cannot hold; gbk refuses such an address;
                     utf-8 always writes UTF-8 (links read with --to always
                     have their set detected).
  -x, --extract      find every link in the whole input (a saved web page, a
                     forum post) and write one result line for each, in
                     order; "line N" is the line the link starts on
  -j, --json         one JSON object per line with the fields line, input,
                     scheme, depth, charset, address and the links by scheme
                     name, or error; with --extract also begin and end, the
                     link's byte offsets in the input
  -v, --verbose      also report each line's scheme, nesting and character
                     set on standard error
  -h, --help         show this help and exit
  -V, --version      show the version and exit

Links are read tolerantly: white space around a link and inside its Base64,
URL-safe Base64 ("-", "_"), missing or surplus "=" padding, "&" (or "&amp;")
and whatever follows it after the Base64 (a flashget "&tag", "&key=value"
parameters), and up to three trailing "/", ")" or "." are accepted. The
payload must then be valid Base64, carry its scheme's wrapper ("AA"/"ZZ",
"[FLASHGET]" on both sides, "|" after an fs2you address), be valid in its
character set and hold an address that is not blank; otherwise the line
fails. GBK here has no user-defined areas. The character set reported is
"ascii" when the address has only ASCII characters.

A line that fails gives an empty result line and "line N: reason" on standard
error (N counts arguments, or lines of standard input). Blank lines give blank
result lines.

Exit status: 0 if every line converted, 1 if some did not or standard input
could not be read or the output written, 2 for bad options.

Examples:
  torvane-link thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==
  torvane-link --to thunder http://example.com/a.zip
  torvane-link --to all --charset utf-8 < addresses.txt
  torvane-link --json < links.txt > addresses.jsonl
  torvane-link --extract < page.html > addresses.txt
)help";

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<LinkConverter::Target> TargetNamed(std::string_view name) {
    const std::string n = Lower(name);
    if (n == "thunder") return LinkConverter::Target::Thunder;
    if (n == "flashget") return LinkConverter::Target::Flashget;
    if (n == "qqdl") return LinkConverter::Target::Qqdl;
    if (n == "fs2you") return LinkConverter::Target::Fs2you;
    if (n == "all") return LinkConverter::Target::All;
    return std::nullopt;
}

std::optional<LinkCodec::CharsetChoice> CharsetNamed(std::string_view name) {
    const std::string n = Lower(name);
    if (n == "auto") return LinkCodec::CharsetChoice::Detect;
    if (n == "gbk" || n == "cp936") return LinkCodec::CharsetChoice::Gbk;
    if (n == "utf-8" || n == "utf8") return LinkCodec::CharsetChoice::Utf8;
    return std::nullopt;
}

Parsed Failed(std::string message) {
    Parsed parsed;
    parsed.action = Action::Error;
    parsed.error = std::move(message);
    return parsed;
}

// Applies an option that takes a value; an error message, or empty.
std::string SetValue(Options& options, std::string_view option, std::string_view value) {
    if (option == "to") {
        const auto target = TargetNamed(value);
        if (!target)
            return "unknown scheme for --to: '" + std::string(value) + "' (thunder, flashget, qqdl, fs2you, all)";
        options.target = *target;
    } else {
        const auto charset = CharsetNamed(value);
        if (!charset) return "unknown character set: '" + std::string(value) + "' (auto, gbk, utf-8)";
        options.charset = *charset;
    }
    return {};
}

// Applies an option that takes no value, by its long name; false when there
// is no such option. Help and version end the parse.
bool SetFlag(Parsed& parsed, std::string_view option) {
    if (option == "json") {
        parsed.options.json = true;
    } else if (option == "extract") {
        parsed.options.extract = true;
    } else if (option == "verbose") {
        parsed.options.verbose = true;
    } else if (option == "help") {
        parsed.action = Action::Help;
    } else if (option == "version") {
        parsed.action = Action::Version;
    } else {
        return false;
    }
    return true;
}

// The long name of a one-letter option that takes no value; empty for none.
std::string_view FlagNamed(char letter) {
    switch (letter) {
        case 'j': return "json";
        case 'x': return "extract";
        case 'v': return "verbose";
        case 'h': return "help";
        case 'V': return "version";
        default: return {};
    }
}

}  // namespace

Parsed Parse(const std::vector<std::string>& args) {
    Parsed parsed;
    Options& options = parsed.options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.inputs.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg.substr(0, 2) == "--") {
            std::string_view name = arg.substr(2);
            std::optional<std::string_view> value;
            if (const size_t eq = name.find('='); eq != std::string_view::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            if (name == "to" || name == "charset") {
                if (!value) {
                    if (i + 1 == args.size()) return Failed("option '--" + std::string(name) + "' needs a value");
                    value = args[++i];
                }
                if (std::string error = SetValue(options, name, *value); !error.empty()) return Failed(error);
                continue;
            }
            if (value) return Failed("option '--" + std::string(name) + "' takes no value");
            if (!SetFlag(parsed, name)) return Failed("unknown option '" + std::string(arg) + "'");
            if (parsed.action != Action::Convert) return parsed;
            continue;
        }
        // Short options, which may be bundled ("-jv"); -t and -c take the
        // rest of the argument or the next one.
        for (size_t k = 1; k < arg.size(); ++k) {
            const char letter = arg[k];
            if (letter == 't' || letter == 'c') {
                std::string_view value = arg.substr(k + 1);
                if (value.empty()) {
                    if (i + 1 == args.size()) return Failed(std::string("option '-") + letter + "' needs a value");
                    value = args[++i];
                }
                if (std::string error = SetValue(options, letter == 't' ? "to" : "charset", value); !error.empty())
                    return Failed(error);
                break;
            }
            if (!SetFlag(parsed, FlagNamed(letter))) return Failed(std::string("unknown option '-") + letter + "'");
            if (parsed.action != Action::Convert) return parsed;
        }
    }
    return parsed;
}

std::string_view HelpText() { return kHelp; }

std::string VersionText() { return std::string("torvane-link ") + TORVANE_VERSION + "\n"; }

}  // namespace CommandLine
