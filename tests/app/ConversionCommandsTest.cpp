#include "app/ConversionCommands.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/FakeControls.h"

namespace {

class CommandsTest : public testing::Test {
protected:
    void Given(const std::wstring& clipboardText, const std::wstring& box1 = L"one",
               const std::wstring& box2 = L"two") {
        clipboard.text = clipboardText;
        text1.text = box1;
        text2.text = box2;
    }
    void ExpectUnchanged(const std::wstring& clipboardText) {
        EXPECT_EQ(clipboard.text, clipboardText);
        EXPECT_EQ(clipboard.writes, 0);
        EXPECT_EQ(text1.text, L"one");
        EXPECT_EQ(text2.text, L"two");
    }

    FakeTextBox text1, text2;
    FakeClipboard clipboard;
    ConversionCommands commands{text1, text2, clipboard};
};

const std::wstring kAddress = L"http://example.com/a.zip";
const std::wstring kLink = L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==";

}  // namespace

TEST_F(CommandsTest, AddressBecomesLink) {
    Given(kAddress);
    commands.Command2_Click();
    EXPECT_EQ(text1.text, kAddress);
    EXPECT_EQ(text2.text, kLink);
    EXPECT_EQ(clipboard.text, kLink);
    EXPECT_EQ(clipboard.writes, 1);

    // Only the first character is tested, after lower-casing it.
    for (const std::wstring source : {L"HTTP://X/", L"ftp://x/", L"Fhello", L"h"}) {
        Given(source);
        commands.Command2_Click();
        EXPECT_EQ(text1.text, source);
        EXPECT_EQ(text2.text.rfind(L"thunder://", 0), 0u);
        EXPECT_EQ(clipboard.text, text2.text);
    }
    Given(L"ftp://x/");
    commands.Command2_Click();
    EXPECT_EQ(text2.text, L"thunder://QUFmdHA6Ly94L1pa");
}

TEST_F(CommandsTest, AddressCommandIgnoresOtherText) {
    for (const std::wstring source : {L"", L" http://x/", L"\"http://x/\"", L"thunder://x", L"中文"}) {
        Given(source);
        commands.Command2_Click();
        ExpectUnchanged(source);
    }
}

TEST_F(CommandsTest, LinkBecomesAddress) {
    Given(kLink);
    commands.Command3_Click();
    EXPECT_EQ(text2.text, kLink);
    EXPECT_EQ(text1.text, kAddress);
    EXPECT_EQ(clipboard.text, kAddress);
    EXPECT_EQ(clipboard.writes, 1);

    // The first ten characters are dropped unread.
    Given(L"tHUNDER:\\\\QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    commands.Command3_Click();
    EXPECT_EQ(text1.text, kAddress);
}

TEST_F(CommandsTest, RoundTripKeepsChineseAddress) {
    const std::wstring address = L"http://下载.example.com/文件 1.zip";
    Given(address);
    commands.Command2_Click();
    EXPECT_EQ(text2.text, L"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=");
    commands.Command3_Click();
    EXPECT_EQ(text1.text, address);
    EXPECT_EQ(clipboard.text, address);
}

TEST_F(CommandsTest, LinkCommandIgnoresOtherText) {
    for (const std::wstring source : {L"", L"Thunder://QUFodHRwOi8veFpa", L" thunder://QUFodHRwOi8veFpa", L"http://x/"}) {
        Given(source);
        commands.Command3_Click();
        ExpectUnchanged(source);
    }
}

TEST_F(CommandsTest, UnusableLinkShowsSourceOnly) {
    // Too short for the prefix, invalid Base64 (trailing "/", line break), a
    // payload shorter than the two markers or without them ("XXhttp://xYZ"),
    // an address with a NUL ("AAh\0ttp://xZZ") or valid in no character set
    // ("AAhttp://\xFFZZ"): Text2 shows the source, Text1 and the clipboard
    // stay as they were.
    for (const std::wstring source :
         {L"thunder:/", L"thunder://QUFodHRwOi8veFpa/", L"thunder://QUFodHRwOi8v\r\neFpa", L"thunder://QUFa",
          L"thunder://", L"thunder://WFhodHRwOi8veFla", L"thunder://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw",
          L"thunder://QUFoAHR0cDovL3haWg==", L"thunder://QUFodHRwOi8v/1pa"}) {
        Given(source);
        commands.Command3_Click();
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
    commands.Command2_Click();
    EXPECT_EQ(text1.text, fits);
    const std::wstring link = clipboard.text;
    EXPECT_TRUE(isCut(text2.text, link));
    EXPECT_NE(text2.text.find(L"剪贴板"), std::wstring::npos);

    // One character over, both ways.
    const std::wstring over = fits + L"b";
    Given(over);
    commands.Command2_Click();
    EXPECT_TRUE(isCut(text1.text, over));
    EXPECT_EQ(text1.text.find(L"剪贴板"), std::wstring::npos);  // the source is not what was copied
    const std::wstring overLink = clipboard.text;
    commands.Command3_Click();
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
        commands.Command3_Click();
        EXPECT_EQ(clipboard.text, address) << link;
    }
    // Korean, an emoji, a no-break space and a user-defined GBK character
    // have no GBK code here: the link carries UTF-8 instead of "?".
    for (const std::wstring source : {L"http://x/한국어.zip", L"http://x/\xD83D\xDE00", L"http://x/a\u00A0b", L"http://x/\uE000"}) {
        Given(source);
        commands.Command2_Click();
        EXPECT_EQ(text2.text.find(L"Pz8"), std::wstring::npos);  // no "??"
        commands.Command3_Click();
        EXPECT_EQ(clipboard.text, source);
    }
    Given(L"http://x/한");
    commands.Command2_Click();
    EXPECT_EQ(clipboard.text, L"thunder://QUFodHRwOi8veC/tlZxaWg==");
}
