#include "Acknowledgement.h"

namespace Acknowledgement {

namespace {

// Items are numbered 1 to 9: one digit (std::to_wstring would bring in the
// runtime's whole wide printf).
std::wstring Item(int number, const std::wstring& text) {
    return L"    " + std::wstring(1, static_cast<wchar_t>(L'0' + number)) + L"、" + text;
}

}  // namespace

std::wstring Text1() {
    return L"特此感谢：" + std::wstring(53, L'.') + L"\r\n" +
           Item(1, L"RFC 4648 Base64 编码标准的作者") + Item(2, L"GB 2312 与 GBK 汉字编码标准的制定者") + L"\r\n" +
           Item(3, L"每一位测试本程序的朋友") + Item(4, L"每一位报告问题、提出建议的用户") + L"\r\n" +
           std::wstring(35, L'.') + L"Torvane 开发组于20070401";
}

std::wstring Text2() {
    return std::wstring(23, L' ') + L"====-- -欢迎光临- --====\r\n"
           L"使用说明、命令行与问题反馈：程序旁的 README.txt\r\n"
           L"新版本：请到您下载本程序压缩包的页面查看\r\n"
           L"Base64 标准：RFC 4648  https://www.rfc-editor.org/rfc/rfc4648";
}

}  // namespace Acknowledgement
