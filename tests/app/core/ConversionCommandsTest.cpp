#include "app/core/ConversionCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/FakeControls.h"

namespace {

class CommandsTest : public testing::Test {
protected:
    void Given(const std::wstring& clipboardText, const std::wstring& box1 = L"one",
               const std::wstring& box2 = L"two") {
        clipboard.text = clipboardText;
        clipboard.writes = 0;
        text1.text = box1;
        text2.text = box2;
    }
    void ExpectUnchanged(const std::wstring& clipboardText) {
        EXPECT_EQ(clipboard.text, clipboardText);
        EXPECT_EQ(clipboard.writes, 0);
        EXPECT_EQ(text1.text, L"one");
        EXPECT_EQ(text2.text, L"two");
    }

    // A button's command carried out on the fakes as the window's runner
    // does: the boxes, then the copy and what the result box says of it.
    void Press(const ConversionCommands::Outcome& outcome) {
        commands.ShowInBoxes(outcome);
        if (outcome.kind == ConversionCommands::Outcome::Kind::Converted)
            commands.ShowCopied(outcome, clipboard.ReplaceText(outcome.copy));
    }
    void PressCommand2() { Press(ConversionCommands::AddressToLink(clipboard.text)); }
    void PressCommand3() { Press(ConversionCommands::LinkToAddress(clipboard.text)); }

    FakeTextBox text1, text2;
    FakeClipboard clipboard;
    ConversionCommands commands{text1, text2};
};

const std::wstring kAddress = L"http://example.com/a.zip";
const std::wstring kLink = L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==";

}  // namespace

TEST_F(CommandsTest, AddressBecomesLink) {
    Given(kAddress);
    PressCommand2();
    EXPECT_EQ(text1.text, kAddress);
    EXPECT_EQ(text2.text, kLink);
    EXPECT_EQ(clipboard.text, kLink);
    EXPECT_EQ(clipboard.writes, 1);

    // Only the first character is tested, after lower-casing it.
    for (const std::wstring source : {L"HTTP://X/", L"ftp://x/", L"Fhello", L"h"}) {
        Given(source);
        PressCommand2();
        EXPECT_EQ(text1.text, source);
        EXPECT_EQ(text2.text.rfind(L"thunder://", 0), 0u);
        EXPECT_EQ(clipboard.text, text2.text);
    }
    Given(L"ftp://x/");
    PressCommand2();
    EXPECT_EQ(text2.text, L"thunder://QUFmdHA6Ly94L1pa");
}

TEST_F(CommandsTest, AddressCommandIgnoresOtherText) {
    for (const std::wstring source : {L"", L" http://x/", L"\"http://x/\"", L"thunder://x", L"中文"}) {
        Given(source);
        PressCommand2();
        ExpectUnchanged(source);
    }
}

TEST_F(CommandsTest, LinkBecomesAddress) {
    Given(kLink);
    PressCommand3();
    EXPECT_EQ(text2.text, kLink);
    EXPECT_EQ(text1.text, kAddress);
    EXPECT_EQ(clipboard.text, kAddress);
    EXPECT_EQ(clipboard.writes, 1);

    // The first ten characters are dropped unread.
    Given(L"tHUNDER:\\\\QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    PressCommand3();
    EXPECT_EQ(text1.text, kAddress);
}

TEST_F(CommandsTest, RoundTripKeepsChineseAddress) {
    const std::wstring address = L"http://下载.example.com/文件 1.zip";
    Given(address);
    PressCommand2();
    EXPECT_EQ(text2.text, L"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=");
    PressCommand3();
    EXPECT_EQ(text1.text, address);
    EXPECT_EQ(clipboard.text, address);
}

TEST_F(CommandsTest, LinkCommandIgnoresOtherText) {
    for (const std::wstring source : {L"", L"http://x/", L"Tonight: thunder://", L"中文"}) {
        Given(source);
        PressCommand3();
        ExpectUnchanged(source);
    }
}

TEST_F(CommandsTest, UnusableLinkShowsSourceOnly) {
    // Too short for the prefix, a payload shorter than the two markers or
    // without them ("XXhttp://xYZ"), an address with a NUL ("AAh\0ttp://xZZ"),
    // valid in no character set ("AAhttp://\xFFZZ") or empty ("AAZZ"), a
    // task id ("AA" + hex digits + "ZZ"), and a broken link among words: Text2
    // shows the source, Text1 and the clipboard stay as they were.
    for (const std::wstring source :
         {L"thunder:/", L"thunder://QUFa", L"thunder://", L"thunder://WFhodHRwOi8veFla",
          L"thunder://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", L"thunder://QUFoAHR0cDovL3haWg==",
          L"thunder://QUFodHRwOi8v/1pa", L"thunder://QUFaWg==", L"下载 thunder://QUFa 吧",
          L"thunder://QUEwMTIzNDU2Nzg5QUJDREVGMDEyM1pa"}) {
        Given(source);
        PressCommand3();
        EXPECT_EQ(text2.text, source);
        EXPECT_EQ(text1.text, L"one");
        EXPECT_EQ(clipboard.text, source);
        EXPECT_EQ(clipboard.writes, 0);
    }
}

TEST_F(CommandsTest, LongTextsAreCutInTheBoxesAndCopiedWhole) {
    constexpr size_t limit = ConversionCommands::kBoxLimit;
    auto isCut = [](const std::wstring& box, const std::wstring& whole) {
        return box.size() > limit && box.compare(0, limit, whole, 0, limit) == 0 &&
               box.find(L"已截断：全文共 " + std::to_wstring(whole.size()) + L" 个字符") != std::wstring::npos;
    };
    // Just under the limit the box holds the whole address; its longer link is cut.
    const std::wstring fits = L"http://x/" + std::wstring(limit - 9, L'a');
    Given(fits);
    PressCommand2();
    EXPECT_EQ(text1.text, fits);
    const std::wstring link = clipboard.text;
    EXPECT_TRUE(isCut(text2.text, link));
    EXPECT_NE(text2.text.find(L"剪贴板"), std::wstring::npos);

    // One character over, both ways.
    const std::wstring over = fits + L"b";
    Given(over);
    PressCommand2();
    EXPECT_TRUE(isCut(text1.text, over));
    EXPECT_EQ(text1.text.find(L"剪贴板"), std::wstring::npos);  // the source is not what was copied
    const std::wstring overLink = clipboard.text;
    PressCommand3();
    EXPECT_EQ(clipboard.text, over);
    EXPECT_TRUE(isCut(text1.text, over));
    EXPECT_TRUE(isCut(text2.text, overLink));

    // A cut never splits a surrogate pair.
    const std::wstring emoji = std::wstring(L"h") + std::wstring(limit - 2, L'a') + L"\xD83D\xDE00";  // a pair across the limit
    EXPECT_EQ(ConversionCommands::BoxText(emoji, false).substr(0, limit), emoji.substr(0, limit - 1) + L"\r");
}

TEST_F(CommandsTest, ReadsBothCharacterSetsAndWritesUtf8OnlyWhereGbkFallsShort) {
    // The same address as a GBK link (what Command2 writes) and a UTF-8 link.
    const std::wstring address = L"http://下载.example.com/文件 1.zip";
    for (const std::wstring link : {L"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=",
                                    L"thunder://QUFodHRwOi8v5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcFpa"}) {
        Given(link);
        PressCommand3();
        EXPECT_EQ(clipboard.text, address) << link;
    }
    // Korean, an emoji, a no-break space and a user-defined GBK character
    // have no GBK code here: the link carries UTF-8 instead of "?".
    for (const std::wstring source : {L"http://x/한국어.zip", L"http://x/\xD83D\xDE00", L"http://x/a\u00A0b", L"http://x/\uE000"}) {
        Given(source);
        PressCommand2();
        EXPECT_EQ(text2.text.find(L"Pz8"), std::wstring::npos);  // no "??"
        PressCommand3();
        EXPECT_EQ(clipboard.text, source);
    }
    Given(L"http://x/한");
    PressCommand2();
    EXPECT_EQ(clipboard.text, L"thunder://QUFodHRwOi8veC/tlZxaWg==");
}

TEST_F(CommandsTest, ConvertBackReadsEveryLinkTheEngineFinds) {
    // Other schemes, any case, and what pasting leaves around a link.
    for (const std::wstring source :
         {L"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=&abc",
          L"qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", L"THUNDER://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==",
          L"  \"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==/\"\r\n"}) {
        Given(source);
        PressCommand3();
        EXPECT_EQ(text1.text, kAddress) << source;
        EXPECT_EQ(text2.text, source);
        EXPECT_EQ(clipboard.text, kAddress);
    }

    // Links among Chinese text, one of them broken: an address or a reason
    // in each place, only the addresses on the clipboard.
    Given(L"第一集：thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vMS5ta3ZaWg==，第二集 thunder://QUFa。\r\n"
          L"第三集「qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw」");
    PressCommand3();
    const std::wstring first = L"http://example.com/1.mkv";
    EXPECT_EQ(clipboard.text, first + L"\r\n" + kAddress);
    EXPECT_EQ(text1.text.substr(0, first.size() + 2), first + L"\r\n");
    EXPECT_EQ(text1.text.find(L"【第 2 个链接无法转换：thunder://QUFa（"), first.size() + 2);
    EXPECT_EQ(text1.text.substr(text1.text.size() - kAddress.size()), kAddress);
}

TEST_F(CommandsTest, ListsConvertLineByLineBothWays) {
    std::wstring addresses, links;
    for (int i = 1; i <= 10; ++i) {
        const std::wstring address = L"http://example.com/" + std::to_wstring(i) + L".mkv";
        Given(address);
        PressCommand2();
        addresses += address + L"\r\n";
        links += clipboard.text + L"\n";
    }
    Given(addresses);
    PressCommand2();
    EXPECT_EQ(text1.text, addresses);
    EXPECT_EQ(text2.text, clipboard.text);
    std::wstring expected = links;
    for (size_t at = 0; (at = expected.find(L'\n', at)) != std::wstring::npos; at += 2) expected.replace(at, 1, L"\r\n");
    EXPECT_EQ(clipboard.text + L"\r\n", expected);

    Given(links);  // LF line ends, as some pages give them
    PressCommand3();
    EXPECT_EQ(clipboard.text + L"\r\n", addresses);
    EXPECT_EQ(text1.text, clipboard.text);

    // Blank lines stay; a line that is not an address is marked and left
    // off the clipboard; ed2k and magnet addresses convert too.
    Given(L"http://x/1\r\n\r\nnot an address\r\ned2k://|file|a|1|0|/\r\nMagnet:?xt=urn:btih:0");
    PressCommand2();
    EXPECT_EQ(text2.text.find(L"\r\n\r\n【第 3 行不是下载地址，未转换】\r\nthunder://"), text2.text.find(L"\r\n"));
    EXPECT_EQ(std::count(clipboard.text.begin(), clipboard.text.end(), L'\n'), 3);
    EXPECT_EQ(clipboard.text.find(L"\r\n\r\nthunder://"), clipboard.text.find(L"\r\n"));
    // A list without a single address changes nothing.
    Given(L"one\r\ntwo");
    PressCommand2();
    ExpectUnchanged(L"one\r\ntwo");
}
