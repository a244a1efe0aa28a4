#include "Charset.h"

#include <cstdint>
#include <iterator>

#include "Gbk.h"
#include "Utf8.h"

namespace Charset {

namespace {

// Written by scripts/link-tables: hanzi by how often they are written
// (Unihan), Hangul syllables by whether Korean's everyday set (KS X 1001)
// has them.
constexpr std::uint64_t kCommonHanzi[] = {
#include "CommonHanzi.inc"
};
constexpr std::uint64_t kCommonHangul[] = {
#include "CommonHangul.inc"
};
constexpr char32_t kFirstHanzi = 0x4E00, kLastHanzi = 0x9FFF;
constexpr size_t kHanziWords = (kLastHanzi - kFirstHanzi + 1 + 63) / 64;
static_assert(std::size(kCommonHanzi) == 3 * kHanziWords);

bool InSet(const std::uint64_t* words, char32_t k) { return words[k / 64] >> (k % 64) & 1; }

// A Hangul syllable by whether ordinary Korean text uses it.
long HangulCost(char32_t c) { return InSet(kCommonHangul, c - 0xAC00) ? 11 : 24; }

// Alphabets whose letters are scored as words: a run of letters of one
// script pays an entry cost once and a small cost per letter.
enum class Script {
    None,
    Latin,
    Greek,
    Cyrillic,
    Armenian,
    Hebrew,
    Arabic,
    Syriac,
    Thaana,
    Indic,
    Thai,
    Georgian,
    HalfwidthKana
};

constexpr long kPerLetter = 5;
// A lone accented letter is likely inside an ASCII word ("café", "Müller");
// any other run of letters must be long enough to outweigh the hanzi its
// bytes spell in the other reading. Scripts rarely seen in these addresses
// cost more to enter than Latin, Greek and Cyrillic.
constexpr long kLatinInWord = 3, kCommonScript = 14, kRareScript = 16;

Script ScriptOf(char32_t c) {
    if (c < 0xC0) return Script::None;
    if (c <= 0x17F) return c == 0xD7 || c == 0xF7 ? Script::None : Script::Latin;
    if (c >= 0x386 && c <= 0x3CE) return Script::Greek;
    if (c >= 0x400 && c <= 0x45F) return Script::Cyrillic;
    // Letters only: digits, points and signs of these scripts are rare alone.
    if ((c >= 0x531 && c <= 0x556) || (c >= 0x561 && c <= 0x587)) return Script::Armenian;
    if (c >= 0x5D0 && c <= 0x5EA) return Script::Hebrew;
    if ((c >= 0x620 && c <= 0x64A) || (c >= 0x66E && c <= 0x6D5)) return Script::Arabic;
    if (c >= 0x700 && c <= 0x74F) return Script::Syriac;
    if (c >= 0x780 && c <= 0x7FF) return Script::Thaana;  // and N'Ko
    if (c >= 0x900 && c <= 0xDFF) return Script::Indic;
    if (c >= 0xE00 && c <= 0xE7F) return Script::Thai;
    if (c >= 0x10A0 && c <= 0x10FF) return Script::Georgian;
    // Japanese file names are often written in half-width katakana.
    if (c >= 0xFF66 && c <= 0xFF9F) return Script::HalfwidthKana;
    return Script::None;
}

long EntryCost(Script script, bool nextToAsciiLetter) {
    switch (script) {
        case Script::Latin:
            return nextToAsciiLetter ? kLatinInWord : kCommonScript;
        case Script::Greek:
        case Script::Cyrillic:
        case Script::HalfwidthKana:
            return kCommonScript;
        default:
            return kRareScript;
    }
}

// A hanzi by how often it is written: a reading full of rare characters
// (the 掳, 虏 and 驴 that UTF-8 symbols spell in GBK) is seen for the garbage
// it is. Every hanzi of GB2312 and Big5 costs less than a lone letter of an
// alphabet, so that one alone still reads as the hanzi.
long HanCost(char32_t c) {
    if (c >= kFirstHanzi && c <= kLastHanzi) {
        if (InSet(kCommonHanzi, c - kFirstHanzi)) return 10;
        if (InSet(kCommonHanzi + kHanziWords, c - kFirstHanzi)) return 11;
        if (InSet(kCommonHanzi + 2 * kHanziWords, c - kFirstHanzi)) return 12;
    }
    return c < 0x10000 && Gbk::CodeOf(static_cast<char16_t>(c)) ? 16 : 18;
}

// A Latin-1 sign (°, ±, ², µ, £, ½, ¿ ...): written beside the digits or
// letters it goes with ("35°C", "x²", "¿qué"), alone rarely.
bool IsLatin1Sign(char32_t c) { return (c >= 0xA1 && c <= 0xBF) || c == 0xD7 || c == 0xF7; }
constexpr long kSignBesideAlnum = 6, kLoneSign = 14;

bool IsAsciiAlnum(char32_t c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

// Every non-ASCII character outside the alphabets above.
long CharCost(char32_t c) {
    if (c < 0xA0) return 30;   // C1 controls
    if (c == 0xA0) return 6;   // no-break space, common in pasted text
    if (c < 0x180) return 14;  // other Latin-1 signs
    if (c < 0x370) return 20;  // Latin Extended-B, IPA, combining marks
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF)) return HanCost(c);
    if (c >= 0x3000 && c <= 0x30FF) return 11;  // CJK punctuation, kana
    if (c >= 0xAC00 && c <= 0xD7A3) return HangulCost(c);
    if (c >= 0xFF01 && c <= 0xFF5E) return 11;    // full-width ASCII
    if (c >= 0x2010 && c <= 0x2027) return 11;    // dashes, quotes, bullet, ellipsis
    if (c == 0x20AC) return 16;                   // the euro sign, GBK's lone byte 0x80
    if (c >= 0x2000 && c <= 0x2BFF) return 14;    // other symbols
    if (c >= 0x1F000 && c <= 0x1FAFF) return 12;  // emoji
    if (c >= 0x20000 && c <= 0x3FFFF) return 24;  // rare hanzi beyond the BMP
    if (c >= 0x10000) return 30;                  // other planes: mostly unassigned
    if (c >= 0xE000 && c <= 0xF8FF) return 24;    // private use
    if (c >= 0xFFF0 && c <= 0xFFFF) return 30;    // specials
    return 20;
}

class Scorer {
   public:
    void Add(char32_t c) {
        const bool alnum = IsAsciiAlnum(c);
        if (m_pendingSign) {
            // One space may stand between a sign and its number or word ("½ cup").
            if (c == ' ' && !m_signBeforeSpace) {
                m_signBeforeSpace = true;
                return;
            }
            CostSign(alnum);
        }
        if (c < 0x80) {
            if (alnum) m_runNextToLetter = true;
            Close();
            m_afterAlnum = alnum;
            return;
        }
        if (IsLatin1Sign(c)) {
            // Costed when its right-hand neighbour is known.
            Close();
            m_pendingSign = true;
            m_signBeforeSpace = false;
            m_signAfterAlnum = m_afterAlnum;
            m_afterAlnum = false;
            return;
        }
        const Script script = ScriptOf(c);
        if (script == Script::None) {
            Close();
            m_cost += CharCost(c);
        } else if (script == m_run) {
            ++m_runLength;
        } else {
            Close();
            m_run = script;
            m_runLength = 1;
            m_runNextToLetter = m_afterAlnum;
        }
        m_afterAlnum = false;
    }

    long Total() {
        if (m_pendingSign) CostSign(false);
        Close();
        return m_cost;
    }

   private:
    void CostSign(bool alnumAfter) {
        m_cost += alnumAfter || m_signAfterAlnum ? kSignBesideAlnum : kLoneSign;
        m_pendingSign = false;
    }

    void Close() {
        if (m_run != Script::None) m_cost += EntryCost(m_run, m_runNextToLetter) + kPerLetter * m_runLength;
        m_run = Script::None;
        m_runNextToLetter = false;
    }

    long m_cost = 0;
    Script m_run = Script::None;
    long m_runLength = 0;
    bool m_runNextToLetter = false;
    bool m_afterAlnum = false;
    bool m_pendingSign = false;
    bool m_signAfterAlnum = false;
    bool m_signBeforeSpace = false;
};

// Feeds the GBK reading of `bytes` to `scorer`; false when they are not GBK.
bool ScoreGbk(std::string_view bytes, Scorer* scorer) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char32_t c = b;
        if (b == 0x80) {
            c = 0x20AC;
        } else if (b > 0x80) {
            if (i + 1 == bytes.size()) return false;
            c = Gbk::CharOf(b, static_cast<unsigned char>(bytes[++i]));
            if (c == 0) return false;
        }
        if (scorer) scorer->Add(c);
    }
    return true;
}

}  // namespace

std::string_view Name(Kind kind) {
    switch (kind) {
        case Kind::Ascii:
            return "ascii";
        case Kind::Utf8:
            return "utf-8";
        case Kind::Gbk:
            return "gbk";
    }
    return "";
}

long Unlikeliness(std::string_view utf8) {
    Scorer scorer;
    for (size_t i = 0; i < utf8.size();) scorer.Add(Utf8::Next(utf8, i));
    return scorer.Total();
}

std::optional<Kind> Detect(std::string_view bytes) {
    if (Utf8::IsAscii(bytes)) return Kind::Ascii;
    const bool utf8 = Utf8::IsValid(bytes);
    if (!utf8) return ScoreGbk(bytes, nullptr) ? std::optional(Kind::Gbk) : std::nullopt;
    Scorer gbk;
    if (!ScoreGbk(bytes, &gbk)) return Kind::Utf8;
    return gbk.Total() <= Unlikeliness(bytes) ? Kind::Gbk : Kind::Utf8;
}

}  // namespace Charset
