#include "foundation/desktop/ShortcutFile.h"

#include "tests/support/FileContents.h"
#include "tests/support/ShellLinkBytes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace
{
struct TextCase
{
    const char* m_text;
    const char* m_target; // null: no shortcut
};

TEST(ShortcutFileTest, InternetShortcuts)
{
    const TextCase cases[] = {
        {"[InternetShortcut]\r\nURL=http://www.example.com/a?b=c\r\n", "http://www.example.com/a?b=c"},
        {"[DEFAULT]\r\nBASEURL=http://base/\r\n[InternetShortcut]\r\nIconIndex=0\r\nurl = https://x.example/ "
         "\r\n",
         "https://x.example/"},
        {"[internetshortcut]\nURL=ftp://files.example/\n", "ftp://files.example/"},
        // The key belongs to its section only.
        {"[Other]\r\nURL=http://wrong/\r\n[InternetShortcut]\r\nURL=http://right/\r\n", "http://right/"},
        {"URL=http://no-section/\r\n", nullptr},
        {"[InternetShortcut]\r\nURL=\r\n", nullptr},
        {"", nullptr},
    };
    for (const TextCase& test : cases)
    {
        std::string url = "old";
        EXPECT_EQ(ParseInternetShortcut(test.m_text, url), test.m_target != nullptr) << test.m_text;
        EXPECT_EQ(url, test.m_target ? test.m_target : "") << test.m_text;
    }
}

TEST(ShortcutFileTest, DesktopLinks)
{
    const TextCase cases[] = {
        {"[Desktop Entry]\nType=Link\nName=Site\nURL=https://site.example/\n", "https://site.example/"},
        {"# made by hand\n[Desktop Entry]\nURL[de]=http://de/\nURL=file:///home/u/My\\sDocs\nType=Link\n",
         "file:///home/u/My Docs"},
        {"[Desktop Entry]\nType=Link\nURL=a\\\\b\n", "a\\b"},
        {"[Desktop Entry]\nType=Application\nExec=prog\nURL=http://not-a-link/\n", nullptr},
        {"[Desktop Action X]\nType=Link\nURL=http://wrong-group/\n", nullptr},
        {"[Desktop Entry]\nType=Link\n", nullptr},
    };
    for (const TextCase& test : cases)
    {
        std::string url = "old";
        EXPECT_EQ(ParseDesktopLink(test.m_text, url), test.m_target != nullptr) << test.m_text;
        EXPECT_EQ(url, test.m_target ? test.m_target : "") << test.m_text;
    }
}

TEST(ShortcutFileTest, ShellLinksNamingALocalPath)
{
    std::string target;
    ASSERT_TRUE(ParseShellLink(MakeShellLink({"C:\\Data\\", "Site", true, {}, {}}), target));
    EXPECT_EQ(target, "C:\\Data\\Site");

    // Without an item list; 8-bit text is read as Latin-1.
    ASSERT_TRUE(ParseShellLink(MakeShellLink({"D:\\Caf\xE9", "", false, {}, {}}), target));
    EXPECT_EQ(target, "D:\\Caf\xC3\xA9");

    // The UTF-16 forms win when present.
    ASSERT_TRUE(ParseShellLink(MakeShellLink({"C:\\??", "", true, u"C:\\\u65E5\u672C", u"\\x"}), target));
    EXPECT_EQ(target, "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\x");
}

TEST(ShortcutFileTest, DamagedShellLinksAreNoShortcuts)
{
    const std::string good = MakeShellLink({"C:\\Data", "", true, {}, {}});
    std::string target;
    ASSERT_TRUE(ParseShellLink(good, target));

    // Cut anywhere inside the link information.
    for (size_t length : {size_t(0), size_t(20), size_t(0x4C), size_t(0x4C + 10), good.size() - 12})
        EXPECT_FALSE(ParseShellLink(good.substr(0, length), target)) << length;

    std::string wrongClass = good;
    wrongClass[4] = 0x02;
    EXPECT_FALSE(ParseShellLink(wrongClass, target));

    // A base path offset beyond the link information.
    std::string wild = good;
    const size_t info = 0x4C + 2 + 8;
    PutU32(wild, info + 16, 0x7FFFFFF0);
    EXPECT_FALSE(ParseShellLink(wild, target));

    // A base path without its terminating zero inside the information.
    std::string unterminated = good;
    PutU32(unterminated, info, static_cast<uint32_t>(good.size() - 4 - info - 1));
    unterminated.erase(good.size() - 5, 1);
    EXPECT_FALSE(ParseShellLink(unterminated, target));

    // A link to a network share only (no local base path).
    std::string network = good;
    PutU32(network, info + 8, 0x02);
    EXPECT_FALSE(ParseShellLink(network, target));
    EXPECT_TRUE(target.empty());
}

TEST(ShortcutFileTest, FilesAreReadByTheirExtension)
{
    CTempFolder temp;
    const std::string link = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
    WriteWhole(temp / "page.URL", link);
    WriteWhole(temp / "page.txt", link);
    WriteWhole(temp / "site.desktop", "[Desktop Entry]\nType=Link\nURL=http://desk.example/\n");
    WriteWhole(temp / "target.lnk", MakeShellLink({"/srv/data", "", true, {}, {}}));

    std::string target;
    EXPECT_TRUE(ReadShortcutTarget(temp / "page.URL", target));
    EXPECT_EQ(target, "http://example.com/");
    EXPECT_TRUE(ReadShortcutTarget(temp / "site.desktop", target));
    EXPECT_EQ(target, "http://desk.example/");
    EXPECT_TRUE(ReadShortcutTarget(temp / "target.lnk", target));
    EXPECT_EQ(target, "/srv/data");
    EXPECT_FALSE(ReadShortcutTarget(temp / "page.txt", target));
    EXPECT_FALSE(ReadShortcutTarget(temp / "missing.url", target));
    EXPECT_FALSE(ReadShortcutTarget(temp.Path(), target));
    EXPECT_TRUE(target.empty());
}
} // namespace
