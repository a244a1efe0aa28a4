#include "app/core/Module1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Module1::Base64DecodeBytes;
using Module1::Base64DecodeText;
using Module1::Base64EncodeBytes;
using Module1::Base64EncodeText;
using Module1::Bytes;
using Module1::IsBase64;

namespace {

Bytes BytesOf(std::string_view s) { return Bytes(s.begin(), s.end()); }
std::wstring Encode(std::string_view s) { return Base64EncodeBytes(BytesOf(s)); }

}  // namespace

TEST(Base64, EncodesRfc4648Vectors) {
    const std::pair<const char*, const wchar_t*> vectors[] = {
        {"", L""},           {"f", L"Zg=="},         {"fo", L"Zm8="},         {"foo", L"Zm9v"},
        {"foob", L"Zm9vYg=="}, {"fooba", L"Zm9vYmE="}, {"foobar", L"Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Encode(plain), encoded) << plain;
        EXPECT_EQ(Base64DecodeBytes(std::wstring_view(encoded)), BytesOf(plain)) << plain;
    }
    // Both halves of the alphabet's tail, and no line breaks in long output.
    EXPECT_EQ(Base64EncodeBytes(Bytes{0xFB, 0xFF}), L"+/8=");
    const std::wstring longOutput = Base64EncodeBytes(Bytes(1000, 0x41));
    EXPECT_EQ(longOutput.size(), 1336u);
    EXPECT_EQ(longOutput.find_first_of(L"\r\n"), std::wstring::npos);
}

TEST(Base64, CountsPaddingFromTheEnd) {
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Zg==")), BytesOf("f"));
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Zm8=")), BytesOf("fo"));
    // "===" counts as two pad characters: the third "=" is a zero-valued data character.
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Zm9vY===")), (Bytes{'f', 'o', 'o', 0x60}));
    // An "=" in the middle reads as six zero bits and does not shorten the output.
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Z=9v")), (Bytes{0x64, 0x0F, 0x6F}));
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Zm9v=m9v")), (Bytes{'f', 'o', 'o', 0x02, 0x6F, 0x6F}));
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"====")), Bytes{0});
}

TEST(Base64, RejectsAnythingOutsideTheNarrowForm) {
    const std::wstring rejected[] = {
        L"Zm9",        // length not a multiple of four
        L"Zm9vYg==/",  // a trailing "/" after a valid payload
        L"Zm9v ",      L" Zm9", L"Zm 9",   // spaces
        L"Zm9vYm\r\n", L"Zm9vYmF\n",    // line breaks
        L"Zm9\t",                          // tab
        L"Zm-v",       L"Zm_v",            // URL-safe alphabet
        L"Zm9\u00e9",  L"中文中文",        // non-ASCII
        std::wstring(L"Zm9\0", 4),         // NUL is not in the alphabet either
    };
    for (const std::wstring& text : rejected) {
        EXPECT_FALSE(IsBase64(text)) << testing::PrintToString(text);
        EXPECT_TRUE(Base64DecodeBytes(text).empty()) << testing::PrintToString(text);
        EXPECT_EQ(Base64DecodeText(text), L"");
    }
    EXPECT_TRUE(IsBase64(std::wstring_view(L"")));
    EXPECT_TRUE(IsBase64(std::wstring_view(L"AZaz09+/====")));
    EXPECT_TRUE(IsBase64(std::string_view("Zm9vYmFy")));
    EXPECT_FALSE(IsBase64(std::string_view("Zm9vYmF\xff")));
}

TEST(Base64, IgnoresUnusedLowBits) {
    // "Zh==" and "Zg==" differ only in bits that "f" leaves unused.
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Zh==")), BytesOf("f"));
    EXPECT_EQ(Base64DecodeBytes(std::wstring_view(L"Zm9=")), BytesOf("fo"));
    EXPECT_EQ(Base64EncodeBytes(Base64DecodeBytes(std::wstring_view(L"Zm9="))), L"Zm8=");
    EXPECT_EQ(Base64EncodeBytes(Base64DecodeBytes(std::wstring_view(L"Zh=="))), L"Zg==");
}

TEST(Base64, EncodesTextAsCodePage936Bytes) {
    EXPECT_EQ(Base64EncodeText(L"中文"), L"1tDOxA==");  // D6 D0 CE C4
    EXPECT_EQ(Base64DecodeText(L"1tDOxA=="), L"中文");
    const std::wstring address = L"AAhttp://下载.example.com/文件 1.zipZZ";
    const std::wstring link = L"QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=";
    EXPECT_EQ(Base64EncodeText(address), link);
    EXPECT_EQ(Base64DecodeText(link), address);
    EXPECT_EQ(Base64EncodeText(L"€"), L"gA==");  // 0x80 in code page 936
}

TEST(Base64, HandlesEmptyAndLargeInputs) {
    EXPECT_EQ(Base64EncodeBytes(Bytes{}), L"");
    EXPECT_EQ(Base64EncodeText(L""), L"");
    EXPECT_TRUE(Base64DecodeBytes(std::wstring_view(L"")).empty());
    EXPECT_EQ(Base64DecodeText(L""), L"");

    // Far beyond 32,766 bytes: converted in full, both ways.
    Bytes large(100001);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    const std::wstring encoded = Base64EncodeBytes(large);
    ASSERT_EQ(encoded.size(), 133336u);
    EXPECT_EQ(Base64DecodeBytes(encoded), large);
    const std::wstring text(40000, L'中');
    EXPECT_EQ(Base64DecodeText(Base64EncodeText(text)), text);
}
