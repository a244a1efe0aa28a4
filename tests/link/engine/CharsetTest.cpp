// The strict code page 936 conversions, the GBK tables built from them, and
// UTF-8 validation: what decides which character set a payload is in.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/core/AnsiCodePage.h"
#include "link/engine/Charset.h"
#include "link/engine/Gbk.h"
#include "link/engine/Utf8.h"

namespace {

std::string Utf8Of(const std::wstring& text) { return Utf8::FromUtf16(std::u16string(text.begin(), text.end())); }

// The 6,763 hanzi of GB2312 (GBK codes B0A1-F7FE), first level first.
std::vector<char16_t> Gb2312Hanzi() {
    std::vector<char16_t> hanzi;
    for (unsigned lead = 0xB0; lead <= 0xF7; ++lead)
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail)
            if (const char16_t c = Gbk::CharOf(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
                hanzi.push_back(c);
    return hanzi;
}

// How many of `addresses` (UTF-8) read back right from their payload in
// `charset`; the ones that do not are listed.
struct Share {
    int right = 0, total = 0;
    std::vector<std::string> wrong;
};

Share Measure(const std::vector<std::string>& addresses, Charset::Kind charset) {
    Share share;
    for (const std::string& address : addresses) {
        std::string bytes;
        char32_t unmappable = 0;
        if (charset == Charset::Kind::Gbk && !Gbk::FromUtf8(address, bytes, unmappable)) continue;
        if (charset == Charset::Kind::Utf8) bytes = address;
        ++share.total;
        if (Charset::Detect(bytes) == charset)
            ++share.right;
        else
            share.wrong.push_back(address);
    }
    return share;
}

void Print(const char* name, const Share& share) {
    std::printf("%-34s %6d / %6d  %7.3f%%\n", name, share.right, share.total, 100.0 * share.right / share.total);
    for (const std::string& address : share.wrong) std::printf("    read wrong: %s\n", address.c_str());
}

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

// The table is compiled into both builds; here it is held against the
// system's own code page 936 (MultiByteToWideChar and WideCharToMultiByte on
// Windows, iconv on Linux) for every byte pair and every BMP character. They
// agree everywhere but the user-defined areas, which Windows maps to
// private-use characters and the table leaves out.
TEST(GbkTables, AgreeWithTheSystemConversionOnEveryPair) {
    int assigned = 0, userDefined = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const auto system = AnsiCodePage::ToTextStrict(std::string_view(pair, 2));
            const bool single = system && system->size() == 1 && (*system)[0] >= 0x80;
            const bool privateUse = single && (*system)[0] >= 0xE000 && (*system)[0] <= 0xF8FF;
            userDefined += privateUse;
            const char16_t expected = single && !privateUse ? static_cast<char16_t>((*system)[0]) : 0;
            ASSERT_EQ(Gbk::CharOf(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)), expected)
                << std::hex << lead << " " << trail;
            assigned += expected != 0;
        }
    }
    EXPECT_EQ(assigned, 21791);
    std::printf("GBK table: %d pairs, system maps %d more to private use\n", assigned, userDefined);
}

TEST(GbkTables, AgreeWithTheSystemConversionOnEveryCharacter) {
    for (unsigned c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto system = AnsiCodePage::ToBytesStrict(std::wstring(1, static_cast<wchar_t>(c)));
        std::uint16_t expected = 0;
        if (system && system->size() == 1)
            expected = static_cast<unsigned char>((*system)[0]);
        else if (system && system->size() == 2)
            expected = static_cast<std::uint16_t>(static_cast<unsigned char>((*system)[0]) << 8 |
                                                  static_cast<unsigned char>((*system)[1]));
        if (c >= 0xE000 && c <= 0xF8FF) expected = 0;
        ASSERT_EQ(Gbk::CodeOf(static_cast<char16_t>(c)), expected) << std::hex << c;
    }
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

// The measure of detection on short payloads, where both readings are often
// valid: every hanzi of GB2312 alone, random pairs and triples, each as the
// GBK and the UTF-8 link these programs write, and UTF-8 addresses in other
// scripts. Prints the shares read back right.
TEST(CharsetDetection, ReadsShortAddressesBackInTheirOwnSet) {
    const std::vector<char16_t> hanzi = Gb2312Hanzi();
    ASSERT_EQ(hanzi.size(), 6763u);
    const auto address = [](std::initializer_list<char16_t> chars) {
        return "http://a/" + Utf8::FromUtf16(std::u16string(chars));
    };
    std::vector<std::string> singles, pairs, triples;
    for (const char16_t c : hanzi) singles.push_back(address({c}));
    std::mt19937 random(11);
    std::uniform_int_distribution<size_t> pick(0, hanzi.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        pairs.push_back(address({hanzi[pick(random)], hanzi[pick(random)]}));
        triples.push_back(address({hanzi[pick(random)], hanzi[pick(random)], hanzi[pick(random)]}));
    }
    const std::vector<std::string> words = {
        "café",     "Müller",   "Straße",   "résumé", "naïve",  "Señor", "Ångström", "Łódź",       "Čeština",
        "Ελλάδα",   "λόγος",    "αβγ",      "Москва", "привет", "файл",  "дом",      "документ",   "テスト",
        "ひらがな", "カタカナ", "ファイル", "한국어", "서울",   "파일",  "대한민국", "안녕하세요", "檔案",
        "電腦資料", "下載",     "😀",        "🎉🎉",     "naïve😀", "Maß"};
    std::vector<std::string> others;
    for (const std::string& word : words) {
        others.push_back("http://a/" + word);
        others.push_back("http://example.com/" + word + ".zip");
        others.push_back("http://example.com/files/" + word + "-2024.pdf");
    }
    const Share shares[] = {Measure(singles, Charset::Kind::Gbk), Measure(singles, Charset::Kind::Utf8),
                            Measure(pairs, Charset::Kind::Gbk),   Measure(pairs, Charset::Kind::Utf8),
                            Measure(triples, Charset::Kind::Gbk), Measure(triples, Charset::Kind::Utf8),
                            Measure(others, Charset::Kind::Utf8)};
    const char* names[] = {"GB2312 hanzi alone, GBK link",   "GB2312 hanzi alone, UTF-8 link",
                           "random hanzi pairs, GBK link",   "random hanzi pairs, UTF-8 link",
                           "random hanzi triples, GBK link", "random hanzi triples, UTF-8 link",
                           "other scripts, UTF-8 link"};
    // Every hanzi alone and every other-script address must read back; of
    // random triples a few in 100,000 are bytes that read as two likelier
    // hanzi in UTF-8 than as three in GBK, and stay so.
    for (size_t i = 0; i < std::size(shares); ++i) {
        Print(names[i], shares[i]);
        if (i < 2 || i == 6)
            EXPECT_EQ(shares[i].right, shares[i].total) << names[i];
        else
            EXPECT_GE(shares[i].right * 1000, shares[i].total * 999) << names[i];
    }
}

// The same for what short UTF-8 payloads hold besides hanzi: half-width
// katakana, common symbols and Latin-1 letters in words and numbers, Korean
// in ordinary syllables. Two trade-offs are printed, not aimed at: a lone
// symbol or letter after "http://a/", whose GBK reading is as likely, and a
// common hanzi between two ASCII letters, which reads as likely as an
// accented letter inside a Latin word.
TEST(CharsetDetection, ReadsSymbolsKanaAndKoreanBackInUtf8) {
    const auto in = [](std::string_view before, const std::vector<std::string>& words, std::string_view after) {
        std::vector<std::string> addresses;
        for (const std::string& word : words) addresses.push_back(std::string(before) + word + std::string(after));
        return addresses;
    };
    const std::vector<std::string> kana = {"ﾌｧｲﾙ", "ﾃｽﾄ", "ｶﾀｶﾅ", "ﾀﾞｳﾝﾛｰﾄﾞ", "ｱﾆﾒ", "ｹﾞｰﾑ", "ﾐｭｰｼﾞｯｸ",
                                           "ﾃﾞｰﾀ", "ｿﾌﾄ", "ﾊﾟｯﾁ", "ｲﾝｽﾄｰﾙ", "ﾄﾞﾗﾏ", "ｻﾝﾌﾟﾙ", "ﾋﾞﾃﾞｵ",
                                           "ｼｮｳｾﾂ", "ｵﾝｶﾞｸ", "ｶﾞｿﾞｳ", "ﾏﾝｶﾞ", "ﾆｭｰｽ", "ｺﾐｯｸ"};
    const std::vector<std::string> symbols = {
        "35°C",   "90°",     "±5V",     "x²",     "m³",      "10µm",    "¿qué",    "£10",     "½ cup",
        "¼",      "©2024",   "®",       "§3",     "¥100",    "¢50",     "a·b",     "«hola»",  "¡hola",
        "Straße", "Fuß",     "naïve",   "café",   "résumé",  "Müller",  "Señor",   "façade",  "Ørsted",
        "über",   "jalapeño", "crème",  "piñata", "déjà vu", "Zürich",  "Göteborg", "São Paulo", "cañón",
        "1ª",     "2º",      "x¹",      "½kg",    "3×4",     "6÷2",     "Ångström", "Æsir",   "Þór"};
    // Ordinary syllables, two to four to a word.
    const std::u16string common = u"가각간갈감갑강개거건걸검것게겨격견결경계고곡곤골공과관광교구국군굴궁권귀규균그극근글금급기긴길김"
                                  u"나난날남내너널네년노녹논놀농누눈느는늘니님다단달담답당대더덕던도독돈돌동두드들등디라란람랑래"
                                  u"러레려력련령로록론료루류률르를름리린림립마막만말망매머먹메면명모목몸무문물미민바박반발방배백버"
                                  u"번법변별병보복본부북분불비빛사산살삼상새생서석선설성세소속손송수숙순술스습승시식신실심십아안알"
                                  u"암앞애야약양어언얼업에여역연열영예오온올와완왕외요용우운울원월위유육은을음의이인일임입자작잔장"
                                  u"재저적전절점정제조족존종주죽준중지직진질집차참창채책처천철청체초촌총최추축출충치친칠타탄태터토"
                                  u"통투특파판팔편평포표품풍피필하학한할함합항해행향허현형호혼화확환활회효후훈휴흐흑희히";
    std::vector<std::string> hangul;
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> syllable(0, common.size() - 1);
    for (int i = 0; i < 3000; ++i) {
        std::u16string word;
        for (int n = 2 + i % 3; n > 0; --n) word.push_back(common[syllable(random)]);
        hangul.push_back("http://a/" + Utf8::FromUtf16(word));
    }
    std::vector<std::string> lone, between;
    for (char32_t c = 0xA1; c <= 0xFF; ++c) {
        lone.push_back("http://a/");
        Utf8::Append(c, lone.back());
    }
    const std::vector<char16_t> hanzi = Gb2312Hanzi();
    for (size_t i = 0; i < 3755; ++i)
        between.push_back("http://example.com/a" + Utf8::FromUtf16(std::u16string(1, hanzi[i])) + "a");

    std::vector<std::string> kanaAddresses = in("http://a/", kana, ""), symbolAddresses = in("http://a/", symbols, "");
    for (const std::string& address : in("http://example.com/", kana, ".zip")) kanaAddresses.push_back(address);
    for (const std::string& address : in("http://example.com/files/", symbols, ".pdf"))
        symbolAddresses.push_back(address);
    const Share kanaShare = Measure(kanaAddresses, Charset::Kind::Utf8);
    const Share symbolShare = Measure(symbolAddresses, Charset::Kind::Utf8);
    const Share hangulShare = Measure(hangul, Charset::Kind::Utf8);
    Print("half-width katakana, UTF-8 link", kanaShare);
    Print("symbols and Latin-1, UTF-8 link", symbolShare);
    Print("Korean syllables, UTF-8 link", hangulShare);
    EXPECT_EQ(kanaShare.right, kanaShare.total);
    EXPECT_GE(symbolShare.right * 100, symbolShare.total * 95);
    EXPECT_EQ(hangulShare.right, hangulShare.total);
    for (const auto& [name, share] : {std::pair{"trade-off: lone U+00A1-U+00FF, UTF-8", Measure(lone, Charset::Kind::Utf8)},
                                      std::pair{"trade-off: a<level-1 hanzi>a, GBK", Measure(between, Charset::Kind::Gbk)}})
        std::printf("%-34s %6d / %6d  %7.3f%%\n", name, share.right, share.total, 100.0 * share.right / share.total);
}

TEST(CharsetDetection, WeighsWhatEachReadingSpells) {
    // Valid in one set only, or in neither.
    EXPECT_EQ(Charset::Detect("http://a/b"), Charset::Kind::Ascii);
    EXPECT_EQ(Charset::Detect("\xE4\xB8\xAD"), Charset::Kind::Utf8);  // 中
    EXPECT_EQ(Charset::Detect("\xD6\xD0"), Charset::Kind::Gbk);       // 中
    EXPECT_EQ(Charset::Detect("\xFF"), std::nullopt);
    EXPECT_EQ(Charset::Detect("\xAA\xA1"), std::nullopt);  // a user-defined GBK code
    // 丿 in GBK is Arabic د in UTF-8; 茅 is é, which is likelier inside an
    // ASCII word than alone; 小 is Cyrillic С.
    EXPECT_EQ(Charset::Detect("/\xD8\xAF"), Charset::Kind::Gbk);
    EXPECT_EQ(Charset::Detect("/\xC3\xA9"), Charset::Kind::Gbk);
    EXPECT_EQ(Charset::Detect("caf\xC3\xA9"), Charset::Kind::Utf8);
    EXPECT_EQ(Charset::Detect("/\xD0\xA1"), Charset::Kind::Gbk);
    EXPECT_LT(Charset::Unlikeliness("下载"), Charset::Unlikeliness("涓嬭浇"));
}
