#include "CommandLine.h"

#include <optional>

#ifndef TORVANE_VERSION
#define TORVANE_VERSION "0"
#endif

namespace CommandLine {

namespace {

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

std::optional<InputDecoder::Charset> InputCharsetNamed(std::string_view name) {
    const std::string n = Lower(name);
    if (n == "auto") return InputDecoder::Charset::Auto;
    if (n == "gbk" || n == "cp936") return InputDecoder::Charset::Gbk;
    if (n == "utf-8" || n == "utf8") return InputDecoder::Charset::Utf8;
    if (n == "utf-16" || n == "utf16") return InputDecoder::Charset::Utf16;
    return std::nullopt;
}

bool TakesValue(std::string_view option) {
    return option == "to" || option == "charset" || option == "input" || option == "input-charset" ||
           option == "output-charset";
}

// Applies an option that takes a value; an error message, or empty.
std::string SetValue(Options& options, std::string_view option, std::string_view value) {
    if (option == "input") {
        options.files.push_back({options.inputs.size(), std::string(value)});
    } else if (option == "input-charset") {
        const auto charset = InputCharsetNamed(value);
        if (!charset)
            return "unknown input character set: '" + std::string(value) + "' (auto, utf-8, gbk, utf-16)";
        options.inputCharset = *charset;
    } else if (option == "output-charset") {
        const auto charset = CharsetNamed(value);
        if (!charset || *charset == LinkCodec::CharsetChoice::Detect)
            return "unknown output character set: '" + std::string(value) + "' (utf-8, gbk)";
        options.gbkOutput = *charset == LinkCodec::CharsetChoice::Gbk;
    } else if (option == "to") {
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
        if (arg == "-") {
            options.files.push_back({options.inputs.size(), "-"});
            continue;
        }
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
            if (TakesValue(name)) {
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
        // Short options, which may be bundled ("-jv"); -t, -c and -i take
        // the rest of the argument or the next one.
        for (size_t k = 1; k < arg.size(); ++k) {
            const char letter = arg[k];
            if (letter == 't' || letter == 'c' || letter == 'i') {
                std::string_view value = arg.substr(k + 1);
                if (value.empty()) {
                    if (i + 1 == args.size()) return Failed(std::string("option '-") + letter + "' needs a value");
                    value = args[++i];
                }
                const std::string_view name = letter == 't' ? "to" : letter == 'c' ? "charset" : "input";
                if (std::string error = SetValue(options, name, value); !error.empty())
                    return Failed(error);
                break;
            }
            if (!SetFlag(parsed, FlagNamed(letter))) return Failed(std::string("unknown option '-") + letter + "'");
            if (parsed.action != Action::Convert) return parsed;
        }
    }
    return parsed;
}

std::string VersionText() { return std::string("torvane-link ") + TORVANE_VERSION + "\n"; }

}  // namespace CommandLine
