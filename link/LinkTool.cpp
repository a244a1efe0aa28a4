#include "LinkTool.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "ByteScan.h"
#include "LinkFinder.h"

namespace {

// Standard input is read in pieces small enough to stay in the processor's
// cache while their lines are converted.
constexpr size_t kReadSize = 1 << 16;
// Output goes out in large writes; more than this waiting is written at once.
constexpr size_t kFlushSize = 1 << 18;

}  // namespace

int LinkTool::Main(const std::vector<std::string>& args, IStreams& streams) {
    const CommandLine::Parsed parsed = CommandLine::Parse(args);
    switch (parsed.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            if (streams.Write(parsed.action == CommandLine::Action::Help ? std::string(CommandLine::HelpText())
                                                                         : CommandLine::VersionText()))
                return kAllConverted;
            streams.WriteError("torvane-link: cannot write to standard output\n");
            return kSomeFailed;
        case CommandLine::Action::Error:
            streams.WriteError("torvane-link: " + parsed.error + "\nTry 'torvane-link --help' for more information.\n");
            return kBadOptions;
        case CommandLine::Action::Convert:
            break;
    }
    LinkTool tool(parsed.options, streams);
    return tool.Run();
}

LinkTool::LinkTool(const CommandLine::Options& options, IStreams& streams)
    : m_options(options), m_streams(streams), m_batch(options) {}

int LinkTool::Run() {
    if (m_options.extract) {
        Extract();
    } else if (m_options.inputs.empty()) {
        ReadLines();
    } else {
        for (const std::string& input : m_options.inputs) {
            Add(input);
            if (m_batch.OutputSize() >= kFlushSize && !Collect()) break;
        }
    }
    Collect();
    if (m_readFailed) {
        m_streams.WriteError("torvane-link: cannot read standard input\n");
        return kSomeFailed;
    }
    if (m_writeFailed) {
        m_streams.WriteError("torvane-link: cannot write the results\n");
        return kSomeFailed;
    }
    return m_anyFailed ? kSomeFailed : kAllConverted;
}

void LinkTool::ReadLines() {
    if (const std::optional<std::string_view> all = m_streams.MapInput()) {
        const char* const end = all->data() + all->size();
        for (const char* p = all->data(); p < end;) {
            const char* const newline = ByteScan::FindNewline(p, end);
            Add(std::string_view(p, static_cast<size_t>(newline - p)));
            p = newline + 1;
            if (m_batch.OutputSize() >= kFlushSize && !Collect()) return;
        }
        return;
    }
    const auto buffer = std::make_unique<char[]>(kReadSize);
    std::string partial;  // a line that runs on into the next read
    for (;;) {
        const size_t got = m_streams.Read(buffer.get(), kReadSize);
        if (got == IStreams::kReadFailed) {
            m_readFailed = true;
            break;
        }
        if (got == 0) break;
        const char* p = buffer.get();
        const char* const end = p + got;
        while (p < end) {
            const auto* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!newline) {
                partial.append(p, end);
                break;
            }
            if (partial.empty()) {
                Add(std::string_view(p, static_cast<size_t>(newline - p)));
            } else {
                partial.append(p, newline);
                Add(partial);
                partial.clear();
            }
            p = newline + 1;
        }
        // A short read means the input is not keeping up (a terminal, a slow
        // pipe): what is done so far goes out now rather than later.
        if ((got < kReadSize || m_batch.OutputSize() >= kFlushSize) && !Collect()) return;
    }
    if (!partial.empty()) Add(partial);
}

void LinkTool::Add(std::string_view input) { m_batch.Add(input, m_line + m_batch.Lines() + 1); }

// Takes the converted lines out of the batch and writes them; false once
// the output cannot be written.
bool LinkTool::Collect() {
    m_anyFailed = m_anyFailed || m_batch.AnyFailed();
    const size_t lines = m_batch.Lines();
    m_batch.MoveTo(m_out, m_err);
    m_line += lines;
    if (!m_err.empty()) {
        m_streams.WriteError(m_err);
        m_err.clear();
    }
    if (!m_out.empty() && !m_writeFailed) {
        if (!m_streams.Write(m_out)) m_writeFailed = true;
        m_out.clear();
    }
    return !m_writeFailed;
}

// --extract: the links found in the whole input (the arguments, one line
// each, or standard input), each converted on its own.
void LinkTool::Extract() {
    std::string text;
    if (!m_options.inputs.empty()) {
        for (const std::string& input : m_options.inputs) text.append(input).push_back('\n');
    } else if (const std::optional<std::string_view> all = m_streams.MapInput()) {
        text.assign(*all);
    } else {
        const auto buffer = std::make_unique<char[]>(kReadSize);
        for (size_t got; (got = m_streams.Read(buffer.get(), kReadSize)) != 0;) {
            if (got == IStreams::kReadFailed) {
                m_readFailed = true;
                return;
            }
            text.append(buffer.get(), got);
        }
    }
    // Links are found as they read without a target; the converter then
    // reads each again for its target, as it reads an input line.
    const LinkCodec::CharsetChoice choice = m_options.target == LinkConverter::Target::None
                                                ? m_options.charset
                                                : LinkCodec::CharsetChoice::Detect;
    size_t line = 1, counted = 0;
    for (const LinkFinder::Link& link : LinkFinder::FindAll(text, choice)) {
        line += static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                               text.begin() + static_cast<std::ptrdiff_t>(link.begin), '\n'));
        counted = link.begin;
        m_batch.Add(std::string_view(text).substr(link.begin, link.end - link.begin), line,
                    LineBatch::Position{link.begin, link.end});
        if (m_batch.OutputSize() >= kFlushSize && !Collect()) return;
    }
}
