// Links found in the texts people copy them in: forum posts, sentences,
// web pages, mails and code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/engine/Base64Payload.h"
#include "link/engine/LinkFinder.h"

namespace {

std::string Wrap(std::string_view prefix, std::string_view head, std::string_view address, std::string_view tail) {
    std::string link(prefix);
    Base64Payload::Encode(std::string(head).append(address).append(tail), link);
    return link;
}
std::string Thunder(std::string_view address) { return Wrap("thunder://", "AA", address, "ZZ"); }
std::string Flashget(std::string_view address) { return Wrap("flashget://", "[FLASHGET]", address, "[FLASHGET]"); }

// What was found, as "address" or "!error", with the text each link spans.
struct Seen {
    std::vector<std::string> outcomes;
    std::vector<std::string> spans;
};

Seen Find(std::string_view text) {
    Seen seen;
    for (const LinkFinder::Link& link : LinkFinder::FindAll(text)) {
        seen.outcomes.push_back(link.decoded ? link.address : "!" + link.error);
        seen.spans.emplace_back(text.substr(link.begin, link.end - link.begin));
    }
    return seen;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(LinkFinder, ReadsANumberedListOfEpisodes) {
    std::string post = "【更新至10集】复制下面的链接到下载工具：\n";
    Strings addresses, links;
    for (int i = 1; i <= 10; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        addresses.push_back("http://dl.example.com/剧集/第" + n + "集.mp4");
        links.push_back(Thunder(addresses.back()));
        post += "第" + n + "集 " + links.back() + (i % 2 ? "\r\n" : "\n");
    }
    const Seen seen = Find(post);
    EXPECT_EQ(seen.outcomes, addresses);
    EXPECT_EQ(seen.spans, links);
}

TEST(LinkFinder, EndsALinkAtPunctuationQuotesAndEntities) {
    const std::string a = Thunder("http://example.com/a.zip"), b = Thunder("http://example.com/文件.rar");
    const std::string f = Flashget("http://example.com/b.zip");
    const std::string texts[] = {
        "下载地址：" + a + "，密码：1234。备用：" + b + "。",
        "<a href=\"" + a + "\" thunder_url=\"" + b + "\">下载</a>",
        "<a thunderHref='" + a + "' onclick=\"return OnDownloadClick_Simple(this,2,4,'" + b + "')\">",
        "<a onclick=\"dl(&#39;" + a + "&#39;)\" data-x=\"&quot;" + b + "&quot;\">",
        "<!-- " + a + " -->" + b + "<br>",
        "[第1集](" + a + "/) `" + b + "`",
        "var links = ['" + a + "', \"" + b + "\"];",
        "1  " + a + "\n2  " + b + "\n",
        "THUNDER://" + a.substr(10) + "; Thunder://" + b.substr(10) + ",",
        "（" + a + "）【" + b + "】",
    };
    for (const std::string& text : texts) {
        const Seen seen = Find(text);
        EXPECT_EQ(seen.outcomes, (Strings{"http://example.com/a.zip", "http://example.com/文件.rar"})) << text;
    }
    // A flashget tag, or parameters a page appends, belong to the link; the
    // text after the space does not.
    const Seen tagged = Find(f + "&abc123 请用下载工具下载 " + f + "&amp;from=forum");
    EXPECT_EQ(tagged.outcomes, (Strings{"http://example.com/b.zip", "http://example.com/b.zip"}));
    EXPECT_EQ(tagged.spans, (Strings{f + "&abc123", f + "&amp;from=forum"}));
}

TEST(LinkFinder, JoinsALinkSplitOverLinesButNotTheWordsAfterIt) {
    const std::string address = "http://mirror.example.com/pub/软件/setup-2024.10.1-x64.exe";
    const std::string link = Thunder(address);
    const std::string split = link.substr(0, 40) + "\r\n" + link.substr(40);
    Seen seen = Find("Hi,\r\n\r\n" + split + "\r\n\r\nThanks");
    EXPECT_EQ(seen.outcomes, Strings{address});
    EXPECT_EQ(seen.spans, Strings{split});
    // Words that could be more Base64 are left out when the link decodes
    // without them; a blank line ends a link.
    seen = Find(link + " and more\n" + link + "\n\nZm9v");
    EXPECT_EQ(seen.outcomes, (Strings{address, address}));
    EXPECT_EQ(seen.spans, (Strings{link, link}));
    // A qqdl payload has no wrapper to tell its end: it goes on only where a
    // long line was wrapped.
    const std::string qqdl = Wrap("qqdl://", "", address, "");
    seen = Find("qqdl://aHR0cDovL2EvYmM more\n" + qqdl.substr(0, 64) + "\n" + qqdl.substr(64) + "\nsee");
    EXPECT_EQ(seen.outcomes, (Strings{"http://a/bc", address}));
}

TEST(LinkFinder, ReportsBrokenLinksInPlaceAndSkipsBareSchemeNames) {
    const std::string good = Thunder("http://example.com/a.zip");
    const Seen seen = Find(
        "格式是 thunder:// 加 Base64，例如 THUNDER://，或 qqdl://。坏的：thunder://QUFodHRwOi8v*，" + good +
        "。断的：flashget://" + good.substr(10, 20) + "\n");
    EXPECT_EQ(seen.outcomes, (Strings{"!missing AA...ZZ wrapper", "http://example.com/a.zip",
                                      "!missing [FLASHGET] wrapper"}));
    EXPECT_EQ(seen.spans[0], "thunder://QUFodHRwOi8v");
    EXPECT_TRUE(LinkFinder::FindAll("thunder://thunder://").empty());
}
