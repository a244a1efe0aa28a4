#include "app/core/Acknowledgement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

TEST(Acknowledgement, KeepsItsLineStructure) {
    const std::wstring text1 = Acknowledgement::Text1();
    const auto lines1 = Lines(text1);
    ASSERT_EQ(lines1.size(), 4u);
    EXPECT_EQ(lines1[0], L"特此感谢：" + std::wstring(53, L'.'));
    EXPECT_EQ(lines1[1].rfind(L"    1、", 0), 0u);
    EXPECT_NE(lines1[1].find(L"    2、"), std::wstring::npos);
    EXPECT_EQ(lines1[2].rfind(L"    3、", 0), 0u);
    EXPECT_NE(lines1[2].find(L"    4、"), std::wstring::npos);
    EXPECT_EQ(lines1[3].rfind(std::wstring(35, L'.'), 0), 0u);
    EXPECT_NE(lines1[3][35], L'.');
    EXPECT_EQ(lines1[3].substr(lines1[3].size() - 9), L"于20070401");

    const auto lines2 = Lines(Acknowledgement::Text2());
    ASSERT_EQ(lines2.size(), 4u);
    EXPECT_EQ(lines2[0], std::wstring(23, L' ') + L"====-- -欢迎光临- --====");
    // Help is in the README.txt that the zip puts beside the program.
    EXPECT_NE(lines2[1].find(L"README.txt"), std::wstring::npos);
    // No stray line breaks anywhere: every CR belongs to a CR LF.
    for (const std::wstring& line : lines1) EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos);
    for (const std::wstring& line : lines2) EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos);
}
