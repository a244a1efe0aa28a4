// The strict code page 936 conversions, the GBK tables built from them, and
// UTF-8 validation: what decides which character set a payload is in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AnsiCodePage.h"
#include "link/Gbk.h"
#include "link/Utf8.h"

namespace {

std::string Utf8Of(const std::wstring& text) { return Utf8::FromUtf16(std::u16string(text.begin(), text.end())); }

}  // namespace

TEST(AnsiCodePageStrict, ConvertsWhatTheCodePageHolds) {
    EXPECT_EQ(AnsiCodePage::ToBytesStrict(L"中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(AnsiCodePage::ToBytesStrict(L"a€?"), "a\x80?");
    EXPECT_EQ(AnsiCodePage::ToBytesStrict(L""), "");
    EXPECT_EQ(AnsiCodePage::ToTextStrict("\xD6\xD0\xCE\xC4"), L"中文");
    EXPECT_EQ(AnsiCodePage::ToTextStrict("a\x80?"), L"a€?");
    EXPECT_EQ(AnsiCodePage::ToTextStrict(""), L"");
}

TEST(AnsiCodePageStrict, RefusesWhatItCannotHold) {
    for (const std::wstring& text : {std::wstring(L"한"), std::wstring(L"a한b"), std::wstring(1, wchar_t(0xD800)),
                                     std::wstring{L'x', wchar_t(0xD83D), wchar_t(0xDE00)}})
        EXPECT_FALSE(AnsiCodePage::ToBytesStrict(text).has_value()) << Utf8Of(text);
    for (const std::string bytes : {"\xFF", "\xD6", "a\xD6", "\x81\x20", "\xD6\x7F", "\xD6\xD0\xCE"})
        EXPECT_FALSE(AnsiCodePage::ToTextStrict(bytes).has_value()) << testing::PrintToString(bytes);
    // The substituting conversion keeps its "?".
    EXPECT_EQ(AnsiCodePage::ToBytes(L"a한b"), "a?b");
}

TEST(GbkTables, AgreeWithTheSystemConversionOnEveryPair) {
    int assigned = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string_view bytes(pair, 2);
            const auto system = AnsiCodePage::ToTextStrict(bytes);
            std::string utf8;
            const bool decoded = Gbk::ToUtf8(bytes, utf8);
            const bool single = system && system->size() == 1 && (*system)[0] >= 0x80;
            ASSERT_EQ(decoded, single) << std::hex << lead << " " << trail;
            if (!decoded) continue;
            ++assigned;
            ASSERT_EQ(utf8, Utf8Of(*system)) << std::hex << lead << " " << trail;
            // And back: the code the system's encoder gives that character.
            std::string back;
            char32_t unmappable = 0;
            ASSERT_TRUE(Gbk::FromUtf8(utf8, back, unmappable));
            ASSERT_EQ(back, AnsiCodePage::ToBytesStrict(*system)) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(assigned, 21000);  // GBK's 21,886 characters, less what a system leaves unassigned
}

TEST(GbkTables, ConvertTextBothWays) {
    std::string utf8;
    ASSERT_TRUE(Gbk::ToUtf8("http://\xCF\xC2\xD4\xD8/\x80", utf8));
    EXPECT_EQ(utf8, "http://下载/€");
    std::string gbk;
    char32_t unmappable = 0;
    ASSERT_TRUE(Gbk::FromUtf8("http://下载/€", gbk, unmappable));
    EXPECT_EQ(gbk, "http://\xCF\xC2\xD4\xD8/\x80");

    for (const std::string bad : {"\xFF", "a\xCF", "\xCF\x7F", "\x81\x30"}) {
        utf8.clear();
        EXPECT_FALSE(Gbk::ToUtf8(bad, utf8)) << testing::PrintToString(bad);
    }
    gbk.clear();
    EXPECT_FALSE(Gbk::FromUtf8("下한", gbk, unmappable));
    EXPECT_EQ(unmappable, U'한');
    EXPECT_FALSE(Gbk::FromUtf8("x😀", gbk, unmappable));
    EXPECT_EQ(unmappable, U'😀');
}

TEST(Utf8, AcceptsOnlyWellFormedText) {
    for (const std::string& valid : std::vector<std::string>{"", "abc", "下载", "é", "\xF0\x9F\x98\x80", "\xEF\xBF\xBF",
                                                             "\xF4\x8F\xBF\xBF", std::string(100, 'a') + "中"})
        EXPECT_TRUE(Utf8::IsValid(valid)) << testing::PrintToString(valid);
    for (const std::string& invalid : std::vector<std::string>{
             "\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
             "\xE4\xB8", "\xE4\xB8x", "\xFF", std::string(100, 'a') + "\xCF\xC2"})
        EXPECT_FALSE(Utf8::IsValid(invalid)) << testing::PrintToString(invalid);
    EXPECT_TRUE(Utf8::IsAscii(std::string(100, 'a')));
    EXPECT_FALSE(Utf8::IsAscii(std::string(99, 'a') + "\x80"));
    EXPECT_EQ(Utf8::FromUtf16(u"a下\U0001F600"), "a下\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8::FromUtf16(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8::ToUtf16("a下\xF0\x9F\x98\x80"), u"a下\U0001F600");
}
