#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "InputDecoder.h"
#include "link/engine/LinkCodec.h"
#include "link/engine/LinkConverter.h"

// torvane-link's options.
namespace CommandLine {

struct Options {
    LinkConverter::Target target = LinkConverter::Target::None;
    LinkCodec::CharsetChoice charset = LinkCodec::CharsetChoice::Detect;
    bool json = false;
    bool verbose = false;
    bool extract = false;  // find the links in the whole input rather than one per line
    std::vector<std::string> inputs;  // links or addresses; none: read standard input
    // Files to read ("-": standard input), each after the first `after`
    // of `inputs`, as they were given.
    struct File {
        size_t after;
        std::string name;
    };
    std::vector<File> files;
    InputDecoder::Charset inputCharset = InputDecoder::Charset::Auto;
    bool gbkOutput = false;  // redirected standard output in GBK
};

enum class Action { Convert, Help, Version, Error };

struct Parsed {
    Action action = Action::Convert;
    Options options;
    std::string error;  // for Action::Error
};

// `args` without the program name. Options and inputs may be mixed; "--"
// ends the options; "-" is standard input, as with -i.
Parsed Parse(const std::vector<std::string>& args);

std::string VersionText();

}  // namespace CommandLine
