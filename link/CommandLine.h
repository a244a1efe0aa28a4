#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "LinkCodec.h"
#include "LinkConverter.h"

// torvane-link's options.
namespace CommandLine {

struct Options {
    LinkConverter::Target target = LinkConverter::Target::None;
    LinkCodec::CharsetChoice charset = LinkCodec::CharsetChoice::Detect;
    bool json = false;
    bool verbose = false;
    bool extract = false;  // find the links in the whole input rather than one per line
    std::vector<std::string> inputs;  // links or addresses; none: read standard input
};

enum class Action { Convert, Help, Version, Error };

struct Parsed {
    Action action = Action::Convert;
    Options options;
    std::string error;  // for Action::Error
};

// `args` without the program name. Options and inputs may be mixed; "--"
// ends the options.
Parsed Parse(const std::vector<std::string>& args);

std::string_view HelpText();
std::string VersionText();

}  // namespace CommandLine
