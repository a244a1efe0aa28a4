#include "LineBatch.h"

#include "Json.h"

LineBatch::LineBatch(const CommandLine::Options& options)
    : m_options(options), m_converter(options.target, options.charset) {}

void LineBatch::Add(std::string_view input, size_t number, std::optional<Position> position) {
    ++m_lines;
    if (!input.empty() && input.back() == '\r') input.remove_suffix(1);  // CRLF line ends
    if (!m_options.json && !m_options.verbose && m_converter.AppendPlainQuick(input, m_out)) return;
    const LinkConverter::Result& result = m_converter.Convert(input);
    if (result.status == LinkConverter::Result::Status::Failed) {
        m_anyFailed = true;
        m_messages.emplace_back(number, result.error);
    } else if (m_options.verbose && result.status == LinkConverter::Result::Status::Converted) {
        m_messages.emplace_back(number, VerboseReport(result));
        if (result.taskId) m_messages.emplace_back(number, "warning: a thunder task id, not an address");
    }
    if (m_options.json)
        AppendJson(input, result, number, position);
    else
        AppendPlain(result);
}

void LineBatch::MoveTo(std::string& out, std::string& err) {
    if (out.empty())
        out.swap(m_out);
    else
        out.append(m_out);
    m_out.clear();
    for (const auto& [number, text] : m_messages)
        err.append("line ").append(std::to_string(number)).append(": ").append(text).push_back('\n');
    m_messages.clear();
    m_lines = 0;
}

void LineBatch::AppendPlain(const LinkConverter::Result& result) {
    if (result.status == LinkConverter::Result::Status::Converted) {
        if (result.linkCount == 0) m_out.append(result.address);
        for (size_t i = 0; i < result.linkCount; ++i) {
            if (i > 0) m_out.push_back('\t');
            m_out.append(result.links[i]);
        }
    }
    m_out.push_back('\n');
}

void LineBatch::AppendJson(std::string_view input, const LinkConverter::Result& result, size_t number,
                           std::optional<Position> position) {
    m_out.append("{\"line\":").append(std::to_string(number));
    if (position)
        m_out.append(",\"begin\":")
            .append(std::to_string(position->begin))
            .append(",\"end\":")
            .append(std::to_string(position->end));
    m_out.append(",\"input\":");
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
    if (result.taskId) m_out.append(",\"kind\":\"id\"");
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

std::string LineBatch::VerboseReport(const LinkConverter::Result& result) const {
    std::string report(result.scheme ? Scheme::Name(*result.scheme) : "text");
    if (result.depth > 0)
        report.append(", ").append(std::to_string(result.depth)).append(result.depth == 1 ? " level" : " levels");
    // An address passed through as it is has no character set worth telling.
    if (result.charset && (result.depth > 0 || result.linkCount > 0))
        report.append(", charset ").append(LinkCodec::Name(*result.charset));
    if (result.linkCount > 0) {
        report.append(", encoded as ");
        for (size_t i = 0; i < result.linkCount; ++i)
            report.append(i > 0 ? ", " : "").append(Scheme::Name(result.linkKinds[i]));
    } else if (result.depth == 0) {
        report.append(", passed through");
    }
    return report;
}
