// Decoding and encoding of single lines. The links below were made with
// coreutils base64 and iconv, e.g.
//   printf 'AA%sZZ' "$address" | iconv -t GBK | base64 -w0
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/core/ConversionCommands.h"
#include "app/core/Module1.h"
#include "link/engine/LinkConverter.h"
#include "link/engine/Utf8.h"

using Set = LinkCodec::Charset;
using Choice = LinkCodec::CharsetChoice;
using Status = LinkConverter::Result::Status;
using Target = LinkConverter::Target;

namespace {

const std::string kAscii = "http://example.com/a.zip";
const std::string kChinese = "http://下载.example.com/文件 1.zip";

struct Vector {
    const char* link;
    const char* address;
    Set charset;
};

// Every scheme, with an ASCII address and the same Chinese address in GBK and UTF-8.
const Vector kVectors[] = {
    {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==", "http://example.com/a.zip", Set::Ascii},
    {"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=", "http://下载.example.com/文件 1.zip",
     Set::Gbk},
    {"thunder://QUFodHRwOi8v5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcFpa", "http://下载.example.com/文件 1.zip",
     Set::Utf8},
    {"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=", "http://example.com/a.zip",
     Set::Ascii},
    {"flashget://W0ZMQVNIR0VUXWh0dHA6Ly/PwtTYLmV4YW1wbGUuY29tL87EvP4gMS56aXBbRkxBU0hHRVRd",
     "http://下载.example.com/文件 1.zip", Set::Gbk},
    {"flashget://W0ZMQVNIR0VUXWh0dHA6Ly/kuIvovb0uZXhhbXBsZS5jb20v5paH5Lu2IDEuemlwW0ZMQVNIR0VUXQ==",
     "http://下载.example.com/文件 1.zip", Set::Utf8},
    {"qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", "http://example.com/a.zip", Set::Ascii},
    {"qqdl://aHR0cDovL8/C1NguZXhhbXBsZS5jb20vzsS8/iAxLnppcA==", "http://下载.example.com/文件 1.zip", Set::Gbk},
    {"qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA=", "http://下载.example.com/文件 1.zip",
     Set::Utf8},
    // fs2you: "host/path|size|..." as real links carry it, and as written here ("|0").
    {"fs2you://ZXhhbXBsZS5jb20vZmlsZS5yYXJ8MTIzNDU2fGFiY2RlZg==", "http://example.com/file.rar", Set::Ascii},
    {"fs2you://ZXhhbXBsZS5jb20vYS56aXB8MA==", "http://example.com/a.zip", Set::Ascii},
    {"fs2you://z8LU2C5leGFtcGxlLmNvbS/OxLz+LnJhcnwxMDI0fHg=", "http://下载.example.com/文件.rar", Set::Gbk},
    {"fs2you://5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcHww", "http://下载.example.com/文件 1.zip", Set::Utf8},
    {"thunder://QUFodHRwczovL8D919MusuLK1C/Ct762L87EvP7D+y5tcDQ/eD0xJnk9Mlpa",
     "https://例子.测试/路径/文件名.mp4?x=1&y=2", Set::Gbk},
};

class ConverterTest : public testing::Test {
protected:
    const LinkConverter::Result& Decode(std::string_view line, Choice choice = Choice::Detect) {
        m_converter = LinkConverter(Target::None, choice);
        const LinkConverter::Result& r = m_converter.Convert(line);
        if (r.status == Status::Converted)
            m_decoded.emplace_back(r.address, r.charset == Set::Gbk ? Choice::Gbk : Choice::Utf8);
        return r;
    }
    // Every address a test decoded is written back into a link of each
    // scheme, in the set it was read in, and reads back the same.
    void TearDown() override {
        for (const auto& [address, charset] : m_decoded) {
            for (const Target target : {Target::Thunder, Target::Flashget, Target::Qqdl}) {
                LinkConverter encoder(target, charset), decoder(Target::None, charset);
                const auto& link = encoder.Convert(address);
                ASSERT_EQ(link.status, Status::Converted) << address << ": " << link.error;
                const auto& back = decoder.Convert(link.links[0]);
                EXPECT_EQ(back.address, address) << link.links[0];
            }
        }
    }
    const LinkConverter::Result& Encode(std::string_view line, Target target, Choice choice = Choice::Detect) {
        m_converter = LinkConverter(target, choice);
        return m_converter.Convert(line);
    }
    // The address, or the error when the line failed.
    std::string Address(std::string_view line, Choice choice = Choice::Detect) {
        const auto& r = Decode(line, choice);
        return r.status == Status::Converted ? std::string(r.address) : "error: " + r.error;
    }
    std::string Link(std::string_view line, Target target, Choice choice = Choice::Detect) {
        const auto& r = Encode(line, target, choice);
        return r.status == Status::Converted ? r.links[0] : "error: " + r.error;
    }

private:
    LinkConverter m_converter;
    std::vector<std::pair<std::string, Choice>> m_decoded;
};

}  // namespace

TEST_F(ConverterTest, DecodesEverySchemeInBothCharacterSets) {
    for (const Vector& v : kVectors) {
        const auto& r = Decode(v.link);
        ASSERT_EQ(r.status, Status::Converted) << v.link << ": " << r.error;
        EXPECT_EQ(r.address, v.address) << v.link;
        EXPECT_EQ(r.charset, v.charset) << v.link;
        EXPECT_EQ(r.depth, 1);
    }
}

TEST_F(ConverterTest, EncodesEverySchemeInBothCharacterSets) {
    struct Case {
        const char* address;
        Target target;
        Choice charset;
        const char* link;
    };
    const Case cases[] = {
        {"http://下载.example.com/文件 1.zip", Target::Thunder, Choice::Detect,
         "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo="},
        {"http://下载.example.com/文件 1.zip", Target::Thunder, Choice::Utf8,
         "thunder://QUFodHRwOi8v5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcFpa"},
        {"http://下载.example.com/文件 1.zip", Target::Flashget, Choice::Gbk,
         "flashget://W0ZMQVNIR0VUXWh0dHA6Ly/PwtTYLmV4YW1wbGUuY29tL87EvP4gMS56aXBbRkxBU0hHRVRd"},
        {"http://下载.example.com/文件 1.zip", Target::Flashget, Choice::Utf8,
         "flashget://W0ZMQVNIR0VUXWh0dHA6Ly/kuIvovb0uZXhhbXBsZS5jb20v5paH5Lu2IDEuemlwW0ZMQVNIR0VUXQ=="},
        {"http://下载.example.com/文件 1.zip", Target::Qqdl, Choice::Detect,
         "qqdl://aHR0cDovL8/C1NguZXhhbXBsZS5jb20vzsS8/iAxLnppcA=="},
        {"http://下载.example.com/文件 1.zip", Target::Qqdl, Choice::Utf8,
         "qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA="},
        {"http://下载.example.com/文件 1.zip", Target::Fs2you, Choice::Gbk,
         "fs2you://z8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwfDA="},
        {"http://下载.example.com/文件 1.zip", Target::Fs2you, Choice::Utf8,
         "fs2you://5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcHww"},
        {"http://example.com/a.zip", Target::Fs2you, Choice::Detect, "fs2you://ZXhhbXBsZS5jb20vYS56aXB8MA=="},
        {"https://例子.测试/路径/文件名.mp4?x=1&y=2", Target::Thunder, Choice::Detect,
         "thunder://QUFodHRwczovL8D919MusuLK1C/Ct762L87EvP7D+y5tcDQ/eD0xJnk9Mlpa"},
        {"https://例子.测试/路径/文件名.mp4?x=1&y=2", Target::Flashget, Choice::Utf8,
         "flashget://W0ZMQVNIR0VUXWh0dHBzOi8v5L6L5a2QLua1i+ivlS/ot6/lvoQv5paH5Lu25ZCNLm1wND94PTEmeT0yW0ZMQVNIR0VUXQ=="},
        {"ftp://x/", Target::Thunder, Choice::Detect, "thunder://QUFmdHA6Ly94L1pa"},
        {"ed2k://|file|a.iso|1|ABC|/", Target::Qqdl, Choice::Detect, "qqdl://ZWQyazovL3xmaWxlfGEuaXNvfDF8QUJDfC8="},
    };
    for (const Case& c : cases) EXPECT_EQ(Link(c.address, c.target, c.charset), c.link) << c.address;

    const auto& all = Encode(kAscii, Target::All);
    ASSERT_EQ(all.linkCount, 3u);
    EXPECT_EQ(all.links[0], "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    EXPECT_EQ(all.links[1], "flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=");
    EXPECT_EQ(all.links[2], "qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw");
    EXPECT_EQ(all.charset, Set::Ascii);
}

TEST_F(ConverterTest, RoundTripsThroughEveryScheme) {
    for (const std::string& address : {kAscii, kChinese, std::string("http://例子.测试/€·é.bin")}) {
        for (const Target target : {Target::Thunder, Target::Flashget, Target::Qqdl, Target::Fs2you}) {
            for (const Choice charset : {Choice::Gbk, Choice::Utf8}) {
                const std::string link = Link(address, target, charset);
                EXPECT_EQ(Address(link), address) << link;
            }
        }
    }
    // Whatever a link may hold is written back as it is: a payload that was
    // percent-encoded, other programs' schemes, text without a scheme, a
    // task id, white space at the ends.
    for (const char* address : {"http%3A%2F%2Fdown.example.com%2F%E6%96%87.zip", "flashgetx://|mhts|4F2A|a.zip|",
                                "magnet%3A%3Fxt%3Durn%3Abtih%3Aabc", "ed2k://|file|a|1|H|/", "下载/文件.zip",
                                "0123456789abcdef0123", "http://x/a ", "\u3000http://x/"}) {
        for (const Target target : {Target::Thunder, Target::Flashget, Target::Qqdl}) {
            const std::string link = Link(address, target);
            EXPECT_EQ(Address(link), address) << link;
        }
    }
}

TEST_F(ConverterTest, OrdinaryAddressesPassThrough) {
    for (const char* address : {"http://example.com/a.zip", "HTTPS://Example.com/下载", "ftp://x/y",
                                "ed2k://|file|a|1|H|/", "magnet:?xt=urn:btih:abc&dn=x", "Magnet:?xt=urn:btih:abc"}) {
        const auto& r = Decode(address);
        ASSERT_EQ(r.status, Status::Converted) << address;
        EXPECT_EQ(r.address, address);
        EXPECT_EQ(r.depth, 0);
        EXPECT_EQ(r.charset, std::string_view(address).find("下") == std::string_view::npos ? Set::Ascii : Set::Utf8);
    }
    EXPECT_EQ(Address("  \thttp://example.com/a.zip \r\n"), kAscii);
}

TEST_F(ConverterTest, MatchesSchemesInAnyLetterCase) {
    EXPECT_EQ(Address("THUNDER://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg=="), kAscii);
    EXPECT_EQ(Address("FlashGet://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0="), kAscii);
    EXPECT_EQ(Address("QQDL://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw"), kAscii);
    EXPECT_EQ(Address("Fs2You://ZXhhbXBsZS5jb20vYS56aXB8MA=="), kAscii);
}

TEST_F(ConverterTest, ReadsPastedLinksTolerantly) {
    const std::string gbk = "QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=";
    const std::string cases[] = {
        // White space around the link and inside the Base64, line breaks included.
        " \t thunder://" + gbk + " \r\n",
        "\xEF\xBB\xBF\xE3\x80\x80thunder://" + gbk + "\xC2\xA0",
        "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxl\r\nLmNvbS/OxLz+IDEu\nemlwWlo=",
        "thunder:// QUFodHRwOi8vz8LU2C5leGFtcGxl LmNvbS/OxLz+IDEuemlwWlo= ",
        // Trailing "/", ")" or "." picked up around the link.
        "thunder://" + gbk + "/",
        "thunder://" + gbk + ")",
        "thunder://" + gbk + ".",
        "thunder://" + gbk + "/).",
        // URL-safe alphabet, missing padding, both.
        "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS_OxLz-IDEuemlwWlo=",
        "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo",
        "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS_OxLz-IDEuemlwWlo/",
    };
    for (const std::string& line : cases) EXPECT_EQ(Address(line), kChinese) << line;

    // Padding left off in part ("=" of "==") and a "/" that belongs to the data.
    EXPECT_EQ(Address("qqdl://aHR0cDovL8/C1NguZXhhbXBsZS5jb20vzsS8/iAxLnppcA="), kChinese);
    EXPECT_EQ(Address("qqdl://aHR0cDovL8/C1NguZXhhbXBsZS5jb20vzsS8/iAxLnppcA"), kChinese);
    EXPECT_EQ(Address("qqdl://aHR0cDovL3gvLz8/"), "http://x//??");

    // "&" and what follows (a flashget "&tag", parameters that download
    // pages append, "&amp;" as copied from a web page) is dropped, and
    // surplus "=" at the end are padding.
    const std::string flashget = "flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=";
    EXPECT_EQ(Address(flashget + "&abc123"), kAscii);
    EXPECT_EQ(Address(flashget + "&amp;abc123"), kAscii);
    EXPECT_EQ(Address(flashget + "&"), kAscii);
    EXPECT_EQ(Address("thunder://" + gbk + "&key=value&x=1"), kChinese);
    EXPECT_EQ(Address("qqdl://aHR0cDovL3gvLz8/&amp;f=2"), "http://x//??");
    EXPECT_EQ(Address("thunder://" + gbk + "=="), kChinese);
    EXPECT_EQ(Address("thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg====&k=v"), kAscii);
    // "&amp;" inside an address that a link holds stays what it is.
    EXPECT_EQ(Address("qqdl://aHR0cDovL3gvP2E9MSZhbXA7Yj0y"), "http://x/?a=1&amp;b=2");
}

TEST_F(ConverterTest, RejectsPayloadsThatAreNotWhatTheirSchemeHolds) {
    struct Case {
        const char* line;
        const char* error;
    };
    const Case cases[] = {
        {"thunder://", "no Base64 payload"},
        {"thunder://QUFodHRwOi8v*ZXhhbXBsZS5jb20vYS56aXBaWg==", "not valid Base64"},
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg=x=", "not valid Base64"},
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaW", "not valid Base64"},  // one character too many
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==!", "not valid Base64"},
        // A URL-safe "_" is data, not a decoration to drop.
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==_", "not valid Base64"},
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==___", "not valid Base64"},
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg=_=", "not valid Base64"},
        {"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==////", "not valid Base64"},  // four: not a decoration
        {"thunder://WFhodHRwOi8veFla", "missing AA...ZZ wrapper"},                       // "XXhttp://xYZ"
        {"thunder://QUFa", "missing AA...ZZ wrapper"},                                   // "AAZ"
        {"flashget://W0ZMQVNIR0VUXWh0dHA6Ly94", "missing [FLASHGET] wrapper"},           // one side only
        {"flashget://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", "missing [FLASHGET] wrapper"},
        {"fs2you://ZXhhbXBsZS5jb20vYS56aXA=", "missing \"|\" after the fs2you address"},
        {"thunder://QUFodHRwOi8v/1pa", "not valid UTF-8 or GBK"},  // "AAhttp://\xFFZZ"
        {"thunder://QUFaWg==", "empty address"},
        {"thunder://QUEgICBaWg==", "blank address"},                         // "AA   ZZ"
        {"thunder://QUHjgIAgwqBaWg==", "blank address"},                     // ideographic and no-break space
        {"http://x/\xC3", "address is not valid UTF-8"},
        {"qqdl://", "no Base64 payload"},
        {"thunder://QUFodHRwOi8vYQpiWlo=", "address contains control characters"},  // "http://a\nb"
        {"http://a\x01"
         "b",
         "address contains control characters"},
        {"example.com/a.zip", "not a link or address"},
        {"thunder:QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==", "not a link or address"},
        {"mailto:x@example.com", "not a link or address"},
    };
    for (const Case& c : cases) {
        const auto& r = Decode(c.line);
        EXPECT_EQ(r.status, Status::Failed) << c.line;
        EXPECT_EQ(r.error, c.error) << c.line;
        EXPECT_TRUE(r.address.empty()) << c.line;
    }
}

TEST_F(ConverterTest, UnwrapsNestedLinks) {
    // thunder(qqdl(address)) and flashget(thunder(Chinese address in GBK)).
    const auto& two = Decode("thunder://QUFxcWRsOi8vYUhSMGNEb3ZMMlY0WVcxd2JHVXVZMjl0TDJFdWVtbHdaWg==");
    ASSERT_EQ(two.status, Status::Converted) << two.error;
    EXPECT_EQ(two.address, kAscii);
    EXPECT_EQ(two.depth, 2);
    EXPECT_EQ(two.scheme, Scheme::Kind::Thunder);

    const auto& gbk = Decode(
        "flashget://"
        "W0ZMQVNIR0VUXXRodW5kZXI6Ly9RVUZvZEhSd09pOHZ6OExVMkM1bGVHRnRjR3hsTG1OdmJTL094THorSURFdWVtbHdXbG89W0ZMQVNIR0VUXQ"
        "==");
    ASSERT_EQ(gbk.status, Status::Converted) << gbk.error;
    EXPECT_EQ(gbk.address, kChinese);
    EXPECT_EQ(gbk.depth, 2);
    EXPECT_EQ(gbk.charset, Set::Gbk);  // the inner layer's set
}

TEST_F(ConverterTest, StopsUnwrappingAfterEightLevels) {
    // Built with the main program's codec: each level wraps the previous link.
    auto wrap = [](const std::string& link, int level) {
        static const char* const kinds[] = {"thunder", "flashget", "qqdl"};
        std::string payload = link;
        if (level % 3 == 0) payload = "AA" + link + "ZZ";
        if (level % 3 == 1) payload = "[FLASHGET]" + link + "[FLASHGET]";
        return std::string(kinds[level % 3]) + "://" +
               Module1::Base64EncodeBytesNarrow(
                   {reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()});
    };
    std::string link = kChinese;
    for (int level = 0; level < LinkConverter::kMaxDepth; ++level) link = wrap(link, level);
    const auto& eight = Decode(link);
    ASSERT_EQ(eight.status, Status::Converted) << eight.error;
    EXPECT_EQ(eight.address, kChinese);
    EXPECT_EQ(eight.depth, 8);

    const auto& nine = Decode(wrap(link, 8));
    EXPECT_EQ(nine.status, Status::Failed);
    EXPECT_EQ(nine.error, "nesting too deep (more than 8 levels)");

    // An inner layer that fails says which level it was.
    EXPECT_EQ(Address("thunder://" + Module1::Base64EncodeBytesNarrow(
                                         Module1::Bytes{'A', 'A', 'q', 'q', 'd', 'l', ':', '/', '/', '*', 'Z', 'Z'})),
              "error: level 2 (qqdl): not valid Base64");
}

TEST_F(ConverterTest, DetectsOrForcesTheCharacterSet) {
    const char* gbkLink = "qqdl://aHR0cDovL8/C1NguZXhhbXBsZS5jb20vzsS8/iAxLnppcA==";
    const char* utf8Link = "qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA=";
    EXPECT_EQ(Address(gbkLink), kChinese);
    EXPECT_EQ(Address(utf8Link), kChinese);
    EXPECT_EQ(Address(gbkLink, Choice::Gbk), kChinese);
    EXPECT_EQ(Address(utf8Link, Choice::Utf8), kChinese);
    EXPECT_EQ(Address(gbkLink, Choice::Utf8), "error: not valid UTF-8");
    // UTF-8 bytes of 下载 read as GBK: printf '下载' | iconv -f GBK -t UTF-8
    EXPECT_EQ(Address("qqdl://aHR0cDovL+S4i+i9vQ==", Choice::Gbk), "http://涓嬭浇");
    EXPECT_EQ(Address("qqdl://aHR0cDovL/8=", Choice::Gbk), "error: not valid GBK");  // 0xFF
    // ASCII is reported as such whatever the choice.
    EXPECT_EQ(Decode("qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", Choice::Gbk).charset, Set::Ascii);
}

TEST_F(ConverterTest, EncodingFailsForCharactersTheSetCannotHold) {
    // By default an address GBK cannot hold is written in UTF-8.
    EXPECT_EQ(Link("http://example.com/한.zip", Target::Thunder), "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20v7ZWcLnppcFpa");
    EXPECT_EQ(Link("http://example.com/한.zip", Target::Thunder, Choice::Gbk),
              "error: character U+D55C cannot be represented in GBK");
    // The user-defined areas are no part of GBK here.
    EXPECT_EQ(Link("http://x/\uE000", Target::Qqdl, Choice::Gbk), "error: character U+E000 cannot be represented in GBK");
    EXPECT_EQ(Link("http://example.com/😀", Target::Qqdl, Choice::Gbk),
              "error: character U+1F600 cannot be represented in GBK");
    EXPECT_EQ(Link("http://example.com/한😀", Target::Thunder, Choice::Utf8),
              "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20v7ZWc8J+YgFpa");
    EXPECT_EQ(Link("http://example.com/\xFF", Target::Thunder), "error: address is not valid UTF-8");
    EXPECT_EQ(Link("https://example.com/", Target::Fs2you), "error: fs2you links hold only http:// addresses");
    EXPECT_EQ(Link("http://example.com/a|b", Target::Fs2you), "error: fs2you links cannot hold an address with \"|\"");
    // Any other text is encoded as it is, white space included.
    EXPECT_EQ(Link(" x ", Target::Thunder), "thunder://QUEgeCBaWg==");
    // For --to all, one failing scheme fails the line.
    EXPECT_EQ(Encode("https://example.com/한", Target::All, Choice::Gbk).status, Status::Failed);
}

TEST_F(ConverterTest, ReencodesLinksIntoTheTarget) {
    // A GBK thunder link into a UTF-8 qqdl link: the link read has its set detected.
    EXPECT_EQ(Link("thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=", Target::Qqdl, Choice::Utf8),
              "qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA=");
    EXPECT_EQ(Link("qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", Target::Thunder),
              "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
}

TEST_F(ConverterTest, ThunderTargetMatchesTheMainProgramByteForByte) {
    const std::vector<std::string> addresses = {kAscii,
                                                kChinese,
                                                "ftp://x/",
                                                "http://例子.测试/路径/文件名.mp4?x=1&y=2",
                                                "http://a/€·é%20 ~!@#$^*()_+{}",
                                                "HTTP://" + std::string(3000, 'x'),
                                                "http://中" + std::string(1, 'a'),
                                                "http://中文",
                                                "http://x/한국어 \xC2\xA0😀"};
    for (const std::string& address : addresses) {
        const std::u16string units = Utf8::ToUtf16(address);
        const std::wstring link = ConversionCommands::AddressToLink(std::wstring(units.begin(), units.end())).copy;
        const std::string expected = Utf8::FromUtf16(std::u16string(link.begin(), link.end()));
        ASSERT_EQ(expected.rfind("thunder://", 0), 0u);
        EXPECT_EQ(Link(address, Target::Thunder), expected) << address;
    }
}
