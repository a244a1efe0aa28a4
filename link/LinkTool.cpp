#include "LinkTool.h"

#include <cstring>
#include <memory>

#include "Json.h"

namespace {

constexpr size_t kReadSize = 1 << 16;
// Output goes out in large writes; more than this waiting is written at once.
constexpr size_t kFlushSize = 1 << 18;

}  // namespace

int LinkTool::Main(const std::vector<std::string>& args, IStreams& streams) {
    const CommandLine::Parsed parsed = CommandLine::Parse(args);
    switch (parsed.action) {
        case CommandLine::Action::Help:
            return streams.Write(CommandLine::HelpText()) ? kAllConverted : kSomeFailed;
        case CommandLine::Action::Version:
            return streams.Write(CommandLine::VersionText()) ? kAllConverted : kSomeFailed;
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
    : m_options(options), m_streams(streams), m_converter(options.target, options.charset) {}

int LinkTool::Run() {
    if (m_options.inputs.empty()) {
        ReadLines();
    } else {
        for (const std::string& input : m_options.inputs) {
            Process(input);
            if (m_out.size() >= kFlushSize && !Flush()) break;
        }
    }
    Flush();
    if (m_writeFailed) {
        m_streams.WriteError("torvane-link: cannot write the results\n");
        return kSomeFailed;
    }
    return m_anyFailed ? kSomeFailed : kAllConverted;
}

void LinkTool::ReadLines() {
    const auto buffer = std::make_unique<char[]>(kReadSize);
    std::string partial;  // a line that runs on into the next read
    for (;;) {
        const size_t got = m_streams.Read(buffer.get(), kReadSize);
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
                Process(std::string_view(p, static_cast<size_t>(newline - p)));
            } else {
                partial.append(p, newline);
                Process(partial);
                partial.clear();
            }
            p = newline + 1;
        }
        // A short read means the input is not keeping up (a terminal, a slow
        // pipe): what is done so far goes out now rather than later.
        if ((got < kReadSize || m_out.size() >= kFlushSize) && !Flush()) return;
    }
    if (!partial.empty()) Process(partial);
}

void LinkTool::Process(std::string_view input) {
    ++m_line;
    if (!input.empty() && input.back() == '\r') input.remove_suffix(1);  // CRLF line ends
    const LinkConverter::Result& result = m_converter.Convert(input);
    if (result.status == LinkConverter::Result::Status::Failed) {
        m_anyFailed = true;
        m_err.append("line ").append(std::to_string(m_line)).append(": ").append(result.error).push_back('\n');
    } else if (m_options.verbose && result.status == LinkConverter::Result::Status::Converted) {
        AppendVerbose(result);
    }
    if (m_options.json)
        AppendJson(input, result);
    else
        AppendPlain(result);
}

void LinkTool::AppendPlain(const LinkConverter::Result& result) {
    if (result.status == LinkConverter::Result::Status::Converted) {
        if (result.linkCount == 0) m_out.append(result.address);
        for (size_t i = 0; i < result.linkCount; ++i) {
            if (i > 0) m_out.push_back('\t');
            m_out.append(result.links[i]);
        }
    }
    m_out.push_back('\n');
}

void LinkTool::AppendJson(std::string_view input, const LinkConverter::Result& result) {
    m_out.append("{\"line\":").append(std::to_string(m_line)).append(",\"input\":");
    Json::AppendString(m_out, input);
    if (result.status == LinkConverter::Result::Status::Blank) {
        m_out.append(",\"blank\":true}\n");
        return;
    }
    m_out.append(",\"scheme\":");
    if (result.scheme)
        Json::AppendString(m_out, Scheme::Name(*result.scheme));
    else
        m_out.append("null");
    if (result.status == LinkConverter::Result::Status::Failed) {
        m_out.append(",\"error\":");
        Json::AppendString(m_out, result.error);
        m_out.append("}\n");
        return;
    }
    m_out.append(",\"depth\":").append(std::to_string(result.depth)).append(",\"charset\":");
    if (result.charset)
        Json::AppendString(m_out, LinkCodec::Name(*result.charset));
    else
        m_out.append("null");
    m_out.append(",\"address\":");
    Json::AppendString(m_out, result.address);
    for (size_t i = 0; i < result.linkCount; ++i) {
        m_out.push_back(',');
        Json::AppendString(m_out, Scheme::Name(result.linkKinds[i]));
        m_out.push_back(':');
        Json::AppendString(m_out, result.links[i]);
    }
    m_out.append("}\n");
}

void LinkTool::AppendVerbose(const LinkConverter::Result& result) {
    m_err.append("line ").append(std::to_string(m_line)).append(": ").append(Scheme::Name(*result.scheme));
    if (result.depth > 0)
        m_err.append(", ").append(std::to_string(result.depth)).append(result.depth == 1 ? " level" : " levels");
    if (result.charset) m_err.append(", charset ").append(LinkCodec::Name(*result.charset));
    if (result.linkCount > 0) {
        m_err.append(", encoded as ");
        for (size_t i = 0; i < result.linkCount; ++i)
            m_err.append(i > 0 ? ", " : "").append(Scheme::Name(result.linkKinds[i]));
    } else if (result.depth == 0) {
        m_err.append(", passed through");
    }
    m_err.push_back('\n');
}

bool LinkTool::Flush() {
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
