#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "IStreams.h"
#include "LineBatch.h"

// The torvane-link program: options, the inputs from arguments or standard
// input, result lines, per-line errors and the exit status.
class LinkTool {
public:
    enum ExitStatus { kAllConverted = 0, kSomeFailed = 1, kBadOptions = 2 };

    // Runs the program with `args` (without the program name).
    static int Main(const std::vector<std::string>& args, IStreams& streams);

private:
    LinkTool(const CommandLine::Options& options, IStreams& streams);

    int Run();
    void ReadLines();
    void Extract();
    void Add(std::string_view input);
    bool Collect();

    const CommandLine::Options& m_options;
    IStreams& m_streams;
    LineBatch m_batch;
    size_t m_line = 0;  // lines written out so far
    bool m_anyFailed = false;
    bool m_writeFailed = false;
    bool m_readFailed = false;
    std::string m_out;
    std::string m_err;
};
