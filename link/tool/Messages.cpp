#include "Messages.h"

#include <array>
#include <utility>
#include <vector>

namespace Messages {

namespace {

// The two help texts, side by side: an option added to one goes into the other.
constexpr std::string_view kHelpEnglish = R"help(Usage: torvane-link [OPTION]... [LINK-OR-ADDRESS]...
Convert download links to ordinary addresses and addresses to links.

Reads the links or addresses given as arguments, the lines of the files given
with -i, and, when there are neither, the lines of standard input ("-" names
it among the files), and writes one result line for each, in order.

By default links are decoded: thunder://, flashget://, qqdl:// and fs2you://
links give the address they hold, and a link that holds another link is
unwrapped down to the address (at most 8 levels). http://, https://, ftp://,
ed2k:// and magnet: addresses pass through unchanged. Schemes may be written
in any letter case.

Options:
  -t, --to SCHEME    encode into SCHEME: thunder, flashget, qqdl, fs2you
                     (http:// addresses only), or all (the thunder, flashget
                     and qqdl links on one line, separated by tabs). A link
                     given with --to is decoded first and its address encoded;
                     any other text is encoded exactly as given, white space
                     at its ends included.
  -c, --charset SET  auto, gbk or utf-8 (also utf8, cp936): the character set
                     of the addresses inside links. Decoding: auto reads an
                     address in the set its bytes are valid in, and when they
                     are valid in both, in the one that spells the likelier
                     address (a short payload that is equally likely either
                     way is read as GBK); gbk or utf-8 forces one.
                     Encoding: auto writes GBK, or UTF-8 when the address has
                     a character GBK cannot hold; gbk refuses such an address;
                     utf-8 always writes UTF-8 (links read with --to always
                     have their set detected).
  -i, --input FILE   also read the lines of FILE ("-": standard input); may
                     be given more than once
      --input-charset SET
                     how files and standard input are written: auto (UTF-8,
                     with or without a byte order mark; UTF-16 with one; a
                     line that is not valid UTF-8 is read in the system's
                     ANSI code page on Windows, GBK on Linux), utf-8, gbk or
                     utf-16 (little-endian unless a byte order mark says
                     otherwise)
      --output-charset SET
                     utf-8 (the default) or gbk: the bytes written to
                     standard output when it is a file or a pipe; a console
                     always shows the text itself
  -x, --extract      find every link in the whole input (a saved web page, a
                     forum post) and write one result line for each, in
                     order; "line N" is the line the link starts on
  -j, --json         one JSON object per line with the fields line, input,
                     scheme, depth, charset, address and the links by scheme
                     name, or error (always in English); kind "id" for a
                     thunder task id; with --extract also begin and end, the
                     link's byte offsets in the input as read (UTF-8)
  -v, --verbose      also report each line's scheme, nesting and character
                     set on standard error
  -h, --help         show this help and exit
  -V, --version      show the version and exit

Links are read tolerantly: white space around a link and inside its Base64,
URL-safe Base64 ("-", "_"), missing or surplus "=" padding, "&" (or "&amp;")
and whatever follows it after the Base64 (a flashget "&tag", "&key=value"
parameters), and up to three trailing "/", ")" or "." are accepted. The
payload must then be valid Base64, carry its scheme's wrapper ("AA"/"ZZ",
"[FLASHGET]" on both sides, "|" after an fs2you address), be valid in its
character set and hold an address that is not blank; otherwise the line
fails. GBK here has no user-defined areas. The character set reported is
"ascii" when the address has only ASCII characters.

A line that fails gives an empty result line and "line N: reason" on standard
error (N counts arguments, then the lines read, in order). Blank lines give
blank result lines. Messages are in Chinese when the user's language is
Chinese, in English otherwise.

Output written to a file is UTF-8: to read it in cmd, run "chcp 65001" first
(or write it with --output-charset gbk); in PowerShell, use
"Get-Content -Encoding UTF8 FILE".

Exit status: 0 if every line converted, 1 if some did not or an input could
not be read or the output written, 2 for bad options.

Examples:
)help";

constexpr std::string_view kHelpChinese = R"help(用法：torvane-link [选项]... [链接或地址]...
把下载链接转换为普通地址，或把地址转换为链接。

读取作为参数给出的链接或地址、用 -i 给出的文件中的各行；两者都没有时，读取
标准输入的各行（在文件中用“-”表示标准输入）。每读入一项，按顺序写出一行结果。

默认解码链接：thunder://、flashget://、qqdl:// 和 fs2you:// 链接给出其中的
地址；链接里包着的另一个链接会逐层解开，直到得到地址（最多 8 层）。http://、
https://、ftp://、ed2k:// 和 magnet: 地址原样通过。方案名不分大小写。

选项：
  -t, --to 方案      编码为该方案：thunder、flashget、qqdl、fs2you（仅限
                     http:// 地址），或 all（thunder、flashget 和 qqdl 三种
                     链接写在同一行，以制表符分隔）。与 --to 一起给出的链接
                     先解码，再把其地址编码；其他文字按原样编码，两端的空白
                     也保留。
  -c, --charset 字符集
                     auto、gbk 或 utf-8（也可写 utf8、cp936）：链接内地址的
                     字符集。解码时，auto 按字节有效的字符集读出地址；两者
                     都有效时，取读出的地址更合理的一种（两种读法同样合理的
                     短内容按 GBK 读）；gbk 或 utf-8 强制使用其中一种。
                     编码时，auto 写 GBK，地址含有 GBK 无法表示的字符时写
                     UTF-8；gbk 拒绝这样的地址；utf-8 总是写 UTF-8（与 --to
                     一起读入的链接总是自动识别字符集）。
  -i, --input 文件   另外读取该文件的各行（“-”表示标准输入）；可多次给出
      --input-charset 字符集
                     文件和标准输入的编码：auto（UTF-8，有无字节顺序标记均
                     可；带字节顺序标记的 UTF-16；不是有效 UTF-8 的行，在
                     Windows 上按系统的 ANSI 代码页读，在 Linux 上按 GBK
                     读）、utf-8、gbk 或 utf-16（没有字节顺序标记时按小端序）
      --output-charset 字符集
                     utf-8（默认）或 gbk：标准输出是文件或管道时写出的字节；
                     控制台总是直接显示文字
  -x, --extract      在整个输入（保存的网页、论坛帖子）中找出每个链接，按顺序
                     为每个链接写出一行结果；“第 N 行”是链接开始所在的行
  -j, --json         每行一个 JSON 对象，字段为 line、input、scheme、depth、
                     charset、address 和以方案名为键的链接，或 error（始终为
                     英文）；thunder 任务编号另有 kind 为 "id"；与 --extract 一起
                     时还有 begin 和 end：链接在读入文字（UTF-8）中的字节位置
  -v, --verbose      同时在标准错误上报告每行的方案、嵌套层数和字符集
  -h, --help         显示本帮助并退出
  -V, --version      显示版本并退出

读取链接时较为宽容：链接两端和 Base64 中间的空白、URL 安全的 Base64（“-”、
“_”）、缺少或多余的“=”填充、Base64 之后的“&”（或“&amp;”）及其后的内容
（flashget 的“&tag”、“&key=value”参数），以及末尾最多三个“/”、“)”或“.”
都可接受。之后内容必须是有效的 Base64，带有其方案的包装（“AA”/“ZZ”、两端的
“[FLASHGET]”、fs2you 地址后的“|”），在其字符集中有效，且地址不为空；否则该
行失败。这里的 GBK 不含用户自定义区。地址只含 ASCII 字符时，报告的字符集为
“ascii”。

失败的行写出空的结果行，并在标准错误上写“第 N 行：原因”（N 先数参数，再按
顺序数读入的行）。空行写出空的结果行。用户的语言为中文时，消息为中文，否则
为英文。

写入文件的输出为 UTF-8：在 cmd 中查看前先运行“chcp 65001”（或用
--output-charset gbk 写出）；在 PowerShell 中用
“Get-Content -Encoding UTF8 文件”。

退出状态：每行都转换成功为 0；有行未能转换、某个输入无法读取或输出无法写出
为 1；选项错误为 2。

示例：
)help";

// The examples that end both help texts.
constexpr std::string_view kHelpExamples = R"help(  torvane-link thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==
  torvane-link --to thunder http://example.com/a.zip
  torvane-link --to all --charset utf-8 < addresses.txt
  torvane-link -i links.txt --output-charset gbk > addresses.txt
  torvane-link --json < links.txt > addresses.jsonl
  torvane-link --extract -i page.html > addresses.txt
)help";

// English messages and their Chinese forms. "{=}" stands for a part carried
// over as it is (a number, a name, a file name), "{}" for a message that is
// itself translated.
constexpr std::pair<std::string_view, std::string_view> kCatalogue[] = {
    {"line {=}: {}", "第 {=} 行：{}"},
    {"level {=} ({=}): {}", "第 {=} 层（{=}）：{}"},
    {"torvane-link: {}", "torvane-link：{}"},
    // Why a line fails.
    {"not a link or address", "不是链接或地址"},
    {"address contains control characters", "地址含有控制字符"},
    {"address is not valid UTF-8", "地址不是有效的 UTF-8"},
    {"nesting too deep (more than {=} levels)", "嵌套太深（超过 {=} 层）"},
    {"blank address", "地址为空"},
    {"empty address", "地址为空"},
    {"not valid UTF-8 or GBK", "既不是有效的 UTF-8，也不是有效的 GBK"},
    {"not valid UTF-8", "不是有效的 UTF-8"},
    {"not valid GBK", "不是有效的 GBK"},
    {"no Base64 payload", "没有 Base64 内容"},
    {"not valid Base64", "不是有效的 Base64"},
    {"missing AA...ZZ wrapper", "缺少 AA...ZZ 包装"},
    {"missing [FLASHGET] wrapper", "缺少 [FLASHGET] 包装"},
    {"missing \"|\" after the fs2you address", "fs2you 地址后缺少“|”"},
    {"character {=} cannot be represented in GBK", "字符 {=} 无法用 GBK 表示"},
    {"fs2you links cannot hold an address with \"|\"", "fs2you 链接不能包含带“|”的地址"},
    {"not a wrapper scheme", "不是包装链接的方案"},
    {"fs2you links hold only http:// addresses", "fs2you 链接只能包含 http:// 地址"},
    {"warning: a thunder task id, not an address", "注意：这是 thunder 任务编号，不是地址"},
    // --verbose reports, one part at a time.
    {"{=} levels", "{=} 层"},
    {"{=} level", "{=} 层"},
    {"charset {=}", "字符集 {=}"},
    {"encoded as {=}", "编码为 {=}"},
    {"passed through", "原样通过"},
    // The program's own messages.
    {"cannot write to standard output", "无法写入标准输出"},
    {"cannot read standard input", "无法读取标准输入"},
    {"cannot write the results", "无法写出结果"},
    {"cannot read '{=}'", "无法读取“{=}”"},
    {"some characters have no GBK code and were written as \"?\" (--output-charset utf-8 keeps them)",
     "有些字符在 GBK 中没有编码，已写成“?”（用 --output-charset utf-8 可保留它们）"},
    {"Paste links or addresses, one per line; press Ctrl+Z and then Enter to end.",
     "请粘贴链接或地址，每行一个；结束时按 Ctrl+Z，再按 Enter。"},
    {"Paste links or addresses, one per line; press Ctrl+D to end.",
     "请粘贴链接或地址，每行一个；结束时按 Ctrl+D。"},
    // Options.
    {"Try 'torvane-link --help' for more information.", "请用“torvane-link --help”查看更多信息。"},
    {"option '{=}' needs a value", "选项“{=}”需要一个值"},
    {"option '{=}' takes no value", "选项“{=}”不接受值"},
    {"unknown option '{=}'", "未知选项“{=}”"},
    {"unknown scheme for --to: '{=}' ({=})", "--to 的方案未知：“{=}”（{=}）"},
    {"unknown character set: '{=}' ({=})", "未知字符集：“{=}”（{=}）"},
    {"unknown input character set: '{=}' ({=})", "未知输入字符集：“{=}”（{=}）"},
    {"unknown output character set: '{=}' ({=})", "未知输出字符集：“{=}”（{=}）"},
};

// The width of the hole at `at` in a pattern: "{}" or "{=}".
size_t HoleWidth(std::string_view pattern, size_t at) { return pattern[at + 1] == '=' ? 3 : 2; }

// The parts of `text` that the holes of `pattern` stand for, when `text` has
// the pattern's form.
bool Match(std::string_view pattern, std::string_view text, std::vector<std::string_view>& parts) {
    parts.clear();
    size_t hole = pattern.find('{');
    if (hole == std::string_view::npos) return text == pattern;
    if (text.substr(0, hole) != pattern.substr(0, hole)) return false;
    size_t at = hole;
    while (hole != std::string_view::npos) {
        const size_t from = hole + HoleWidth(pattern, hole);
        const size_t next = pattern.find('{', from);
        const std::string_view literal = pattern.substr(from, next == std::string_view::npos ? next : next - from);
        size_t end;
        if (next == std::string_view::npos) {
            // The last literal ends the text.
            if (text.size() < at + literal.size() || text.substr(text.size() - literal.size()) != literal) return false;
            end = text.size() - literal.size();
        } else {
            end = text.find(literal, at);
            if (end == std::string_view::npos) return false;
        }
        if (end == at) return false;  // a part is never empty
        parts.push_back(text.substr(at, end - at));
        at = end + literal.size();
        hole = next;
    }
    return true;
}

}  // namespace

Language OfLocale(std::string_view locale) {
    return locale.substr(0, 2) == "zh" ? Language::Chinese : Language::English;
}

std::string HelpText(Language language) {
    return std::string(language == Language::Chinese ? kHelpChinese : kHelpEnglish) + std::string(kHelpExamples);
}

std::string Translate(std::string_view english, Language language) {
    if (language == Language::English || english.empty()) return std::string(english);
    std::vector<std::string_view> parts;
    for (const auto& [pattern, chinese] : kCatalogue) {
        if (!Match(pattern, english, parts)) continue;
        std::string out;
        size_t part = 0;
        for (size_t i = 0; i < chinese.size();) {
            if (chinese[i] != '{') {
                out += chinese[i++];
                continue;
            }
            const size_t width = HoleWidth(chinese, i);
            out += width == 2 ? Translate(parts[part], language) : std::string(parts[part]);
            ++part;
            i += width;
        }
        return out;
    }
    // A list ("thunder, 2 levels, charset ascii"): each part on its own.
    if (const size_t comma = english.find(", "); comma != std::string_view::npos)
        return Translate(english.substr(0, comma), language) + "，" + Translate(english.substr(comma + 2), language);
    return std::string(english);
}

std::string TranslateLines(std::string_view text, Language language) {
    if (language == Language::English) return std::string(text);
    std::string out;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        out += Translate(text.substr(0, newline), language);
        if (newline == std::string_view::npos) break;
        out += '\n';
        text.remove_prefix(newline + 1);
    }
    return out;
}

}  // namespace Messages
