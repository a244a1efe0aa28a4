// The quick ways through the converter: Base64 in blocks, the byte scans,
// and the plain-output path for common lines, each against a plain
// reference or against the general path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "link/engine/Base64Payload.h"
#include "link/engine/ByteScan.h"
#include "link/engine/CpuFeatures.h"
#include "link/tool/LineBatch.h"
#include "link/engine/LinkCodec.h"
#include "link/tool/LinkTool.h"

using Choice = LinkCodec::CharsetChoice;
using Target = LinkConverter::Target;

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 three bytes at a time, the way RFC 4648 states it.
std::string ReferenceBase64(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        std::uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k) out.push_back(k <= n ? kAlphabet[v >> (18 - 6 * k) & 63] : '=');
    }
    return out;
}

std::string RandomBytes(std::mt19937& random, size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

}  // namespace

// CTest runs these tests once as they are and once with TORVANE_SCALAR set:
// the second run must take the plain paths.
TEST(Base64Blocks, ScalarSwitchTurnsTheVectorPathsOff) {
#ifdef TORVANE_X86_SIMD
    const bool scalar = std::getenv("TORVANE_SCALAR") != nullptr;
    EXPECT_EQ(CpuFeatures::Sse2(), !scalar);
    EXPECT_TRUE(!scalar || !CpuFeatures::Ssse3());
#endif
}

TEST(Base64Blocks, EncodeMatchesTheReferenceAtEveryLength) {
    std::mt19937 random(7);
    for (size_t n = 0; n <= 100; ++n) {
        for (int round = 0; round < 8; ++round) {
            const std::string bytes = RandomBytes(random, n);
            const std::string expected = ReferenceBase64(bytes);
            std::string out = "x";
            Base64Payload::Encode(bytes, out);
            ASSERT_EQ(out, "x" + expected) << "length " << n;

            // The slack form may read four bytes past the end: make them
            // bytes that would show if they were encoded.
            const std::string withSlack = bytes + "\xFF\xFF\xFF\xFF";
            std::string direct(Base64Payload::EncodedSize(n), '?');
            Base64Payload::EncodeWithReadSlack(std::string_view(withSlack).substr(0, n), direct.data());
            ASSERT_EQ(direct, expected) << "length " << n;
        }
    }
}

TEST(Base64Blocks, DecodeRoundTripsAtEveryLength) {
    std::mt19937 random(11);
    std::string buffer;
    for (size_t n = 0; n <= 100; ++n) {
        const std::string bytes = RandomBytes(random, n);
        std::string text = ReferenceBase64(bytes);
        std::string_view decoded;
        ASSERT_TRUE(Base64Payload::Decode(text, buffer, decoded)) << text;
        ASSERT_EQ(decoded, bytes) << text;
        while (!text.empty() && text.back() == '=') text.pop_back();
        ASSERT_TRUE(Base64Payload::Decode(text, buffer, decoded)) << text;
        ASSERT_EQ(decoded, bytes) << text;
    }
}

TEST(Base64Blocks, DecodeRefusesEveryByteOutsideTheAlphabetAnywhere) {
    // 64 characters: several blocks of sixteen and nothing left over.
    const std::string valid = "QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg+/0123456789abcdefghijklmn";
    ASSERT_EQ(valid.size(), 64u);
    std::string buffer;
    std::string_view decoded;
    ASSERT_TRUE(Base64Payload::Decode(valid, buffer, decoded));
    for (int byte = 0; byte < 256; ++byte) {
        const bool inAlphabet = std::strchr(kAlphabet, byte) != nullptr && byte != 0;
        for (const size_t position : {0, 5, 15, 16, 31, 47, 50, 59, 60, 63}) {
            std::string text = valid;
            text[position] = static_cast<char>(byte);
            // "=" at the end is padding, allowed there.
            const bool padding = byte == '=' && position == valid.size() - 1;
            EXPECT_EQ(Base64Payload::Decode(text, buffer, decoded), inAlphabet || padding)
                << "byte " << byte << " at " << position;
        }
    }
}

TEST(ByteScans, PrintableAsciiAgreesWithAByteByByteTest) {
    for (size_t n = 1; n <= 40; ++n) {
        for (size_t position = 0; position < n; ++position) {
            for (int byte = 0; byte < 256; ++byte) {
                std::string text(n, 'a');
                text[position] = static_cast<char>(byte);
                const bool printable = byte >= 0x20 && byte <= 0x7E;
                ASSERT_EQ(LinkCodec::IsPrintableAscii(text), printable)
                    << "byte " << byte << " at " << position << " of " << n;
            }
        }
    }
    EXPECT_TRUE(LinkCodec::IsPrintableAscii(""));
}

TEST(ByteScans, FindNewlineAgreesWithMemchr) {
    for (size_t n = 0; n <= 50; ++n) {
        for (size_t position = 0; position <= n; ++position) {
            std::string text(n, 'a');
            if (position < n) text[position] = '\n';
            if (position + 3 < n) text[position + 3] = '\n';
            const char* const end = text.data() + n;
            EXPECT_EQ(ByteScan::FindNewline(text.data(), end), text.data() + position) << position << " of " << n;
        }
    }
}

namespace {

// Lines the quick path takes and lines at its edges, which it must leave
// to the general path or answer the same.
const std::vector<std::string> kLines = {
    "http://example.com/a.zip",
    "  http://example.com/a.zip\t",
    "\xEF\xBB\xBFhttp://example.com/a.zip\xE3\x80\x80",
    "HTTP://EXAMPLE.COM/A.ZIP",
    "ftp://x/y",
    "magnet:?xt=urn:btih:abc",
    "http://example.com/a b.zip",
    "http://example.com/\x7F.zip",
    "http://example.com/\x01.zip",
    "http://example.com/|.zip",
    "http://下载.example.com/文件 1.zip",
    "http://example.com/\xF0\x9F\x98\x80.zip",  // no GBK code
    "http://example.com/\xFF.zip",              // not UTF-8
    "http://example.com/a-very-long-path/that/goes/on/for/more/than/one/block/of/sixteen/bytes.zip",
    "h",
    "",
    "   ",
    "nonsense",
    "thunder://",
    "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==",
    "THUNDER://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg",
    " thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg== ",
    "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==/",
    "thunder://QUFodHRwOi8vZXhh bXBsZS5jb20vYS56aXBaWg==",
    "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==&amp;",
    "thunder://QUFodHRwOi8v*ZXhh",
    "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=",                  // GBK
    "thunder://QUFodHRwOi8v5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcFpa",              // UTF-8
    "thunder://QUFaWg==",                                                              // empty address
    "thunder://QUEgICBaWg==",                                                          // "AA   ZZ"
    "thunder://QUFIVFRQOi8veFpa",                                                      // "AAHTTP://xZZ"
    "thunder://QUEgaHR0cDovL3haWg==",                                                  // "AA http://xZZ"
    "thunder://QUFmdHA6Ly94L3laWg==",                                                  // "AAftp://x/yZZ"
    "thunder://QUF0aHVuZGVyOi8vUVVGb2RIUndPaTh2ZUZwYVpa",                              // nested thunder
    "thunder://QUEgdGh1bmRlcjovL1FVRm9kSFJ3T2k4dmVGcGFaWg==",                          // the same after a space
    "thunder://QUEgdGh1bmRlcjovL1FVRm9kSFJ3T2k4dmVGcGFaWg==ZZ",                        // bad Base64
    "thunder://QUFodHRwOi8veAF5Wlo=",                                                  // control character
    "thunder://QUFodHRwOi8veH95Wlo=",                                                  // DEL
    "thunder://aHR0cDovL3g=",                                                          // no wrapper
    "flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=",
    "qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw",
    "fs2you://ZXhhbXBsZS5jb20vYS56aXB8MA==",
};

// What LineBatch writes for `lines` with the given options: the quick path
// is taken only for plain output without --verbose, so the verbose run
// gives the general path's answer for the same lines.
std::string Output(const std::vector<std::string>& lines, Target target, Choice charset, bool verbose) {
    CommandLine::Options options;
    options.target = target;
    options.charset = charset;
    options.verbose = verbose;
    LineBatch batch(options);
    for (size_t i = 0; i < lines.size(); ++i) batch.Add(lines[i], i + 1);
    std::string out, err;
    batch.MoveTo(out, err);
    return out;
}

}  // namespace

TEST(QuickPath, WritesWhatTheGeneralPathWrites) {
    for (const Target target :
         {Target::None, Target::Thunder, Target::Flashget, Target::Qqdl, Target::Fs2you, Target::All}) {
        for (const Choice charset : {Choice::Detect, Choice::Utf8, Choice::Gbk}) {
            std::vector<std::string> lines = kLines;
            for (const std::string& line : kLines) lines.push_back(line + "\r");
            EXPECT_EQ(Output(lines, target, charset, false), Output(lines, target, charset, true))
                << "target " << static_cast<int>(target) << ", charset " << static_cast<int>(charset);
        }
    }
}

TEST(QuickPath, AnswersCommonLinesAsExpected) {
    EXPECT_EQ(Output({"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==", "thunder://QUEgICBaWg==",
                      "thunder://QUF0aHVuZGVyOi8vUVVGb2RIUndPaTh2ZUZwYVpa", "thunder://QUFaWg=="},
                     Target::None, Choice::Detect, false),
              "http://example.com/a.zip\n\nhttp://x\n\n");
    EXPECT_EQ(Output({" http://example.com/a.zip ", "http://example.com/a\x01.zip"}, Target::Thunder, Choice::Detect,
                     false),
              "thunder://QUEgaHR0cDovL2V4YW1wbGUuY29tL2EuemlwIFpa\n\n");
    EXPECT_EQ(Output({"http://example.com/a.zip"}, Target::All, Choice::Detect, false),
              "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==\t"
              "flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=\t"
              "qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw\n");
}

TEST(QuickPath, AgreesWithTheGeneralPathOnMixedUpLines) {
    // Lines put together from pieces of the ones above, cut and joined at
    // random, so that the edges between the paths are crossed often.
    std::mt19937 random(936);
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        const std::string& a = kLines[random() % kLines.size()];
        const std::string& b = kLines[random() % kLines.size()];
        std::string line = a.substr(0, random() % (a.size() + 1)) + b.substr(random() % (b.size() + 1));
        if (random() % 4 == 0 && !line.empty()) line[random() % line.size()] = static_cast<char>(random() & 0xFF);
        std::erase(line, '\n');
        lines.push_back(line);
    }
    for (const Target target : {Target::None, Target::Thunder, Target::Qqdl, Target::All})
        EXPECT_EQ(Output(lines, target, Choice::Detect, false), Output(lines, target, Choice::Detect, true));
}

namespace {

// Standard input as a mapped file: the whole of it at once.
class MappedStreams : public IStreams {
public:
    explicit MappedStreams(std::string input) : m_input(std::move(input)) {}
    size_t Read(char*, size_t) override { return 0; }
    std::optional<std::string_view> MapInput() override { return std::string_view(m_input); }
    bool Write(std::string_view bytes) override {
        out.append(bytes);
        return true;
    }
    void WriteError(std::string_view bytes) override { err.append(bytes); }
    std::string out, err;

private:
    std::string m_input;
};

}  // namespace

TEST(QuickPath, MappedInputIsSplitIntoTheSameLines) {
    const std::string link = "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==";
    std::string input;
    // Lines of every length around the block size, the last one without a
    // line end.
    for (size_t n = 0; n < 40; ++n) input += std::string(n, ' ') + link + "\n";
    input += "\n\n" + link;
    MappedStreams streams(input);
    EXPECT_EQ(LinkTool::Main({}, streams), LinkTool::kAllConverted);
    std::string expected;
    for (size_t n = 0; n < 40; ++n) expected += "http://example.com/a.zip\n";
    expected += "\n\nhttp://example.com/a.zip\n";
    EXPECT_EQ(streams.out, expected);
    EXPECT_EQ(streams.err, "");
}
