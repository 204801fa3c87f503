// What the command line asks of a start: the first argument that is not an
// option names the document; a relative name is taken from the current
// folder, local path text and addresses stay as given.

#include "shell/CommandLineInfo.h"

#include <gtest/gtest.h>

#include <QDir>

TEST(CommandLineInfo, TheFirstNonOptionNamesTheDocument)
{
    const std::string cwd = QDir::currentPath().toStdString();
    struct Case
    {
        std::vector<std::string> m_args;
        CCommandLineInfo::ShellCommand m_command;
        std::string m_file;
    };
    const Case cases[] = {
        {{}, CCommandLineInfo::FileNew, ""},
        {{"--verbose", ""}, CCommandLineInfo::FileNew, ""},
        {{"site.vbb"}, CCommandLineInfo::FileOpen, cwd + "/site.vbb"},
        {{"-x", "sub/page.html", "other.vbb"}, CCommandLineInfo::FileOpen, cwd + "/sub/page.html"},
        {{"/abs/site.vbb"}, CCommandLineInfo::FileOpen, "/abs/site.vbb"},
        {{"~/site.vbb"}, CCommandLineInfo::FileOpen, "~/site.vbb"},
        {{"file:///tmp/a%20b.vbb"}, CCommandLineInfo::FileOpen, "file:///tmp/a%20b.vbb"},
        {{"https://example.test/a.txt"}, CCommandLineInfo::FileOpen, "https://example.test/a.txt"},
    };
    for (const Case& c : cases)
    {
        CCommandLineInfo info;
        info.Parse(c.m_args);
        EXPECT_EQ(info.m_nShellCommand, c.m_command) << testing::PrintToString(c.m_args);
        EXPECT_EQ(info.m_strFileName, c.m_file) << testing::PrintToString(c.m_args);
    }
}
