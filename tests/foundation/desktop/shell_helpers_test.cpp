#include "foundation/desktop/ShellHelpers.h"

#include "foundation/desktop/ColorGradient.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/core/RecordingWindow.h"

#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
class CRecordingLog : public IShellLog
{
public:
    void WriteLine(int level, const std::string& text) override { m_lines.emplace_back(level, text); }
    std::vector<std::pair<int, std::string>> m_lines;
};

TEST(ShellHelpersTest, VersionsUpToTheOneThisPlatformStandsForArePresent)
{
    const struct
    {
        int m_major;
        int m_minor;
        bool m_present;
    } cases[] = {{4, 0, true}, {5, 0, true}, {5, 1, true}, {5, 2, false}, {6, 0, false}, {10, 0, false}};
    for (const auto& test : cases)
        EXPECT_EQ(IsWindowsVersionAtLeast(test.m_major, test.m_minor), test.m_present)
            << test.m_major << "." << test.m_minor;
    EXPECT_TRUE(IsWindowsXPOrLater());
}

TEST(ShellHelpersTest, ClipboardText)
{
    std::string text = "old";
    EXPECT_FALSE(ClipboardHasText()) << "no clipboard installed";
    EXPECT_FALSE(GetClipboardText(text));
    EXPECT_FALSE(SetClipboardText("abc", 3));

    CRecordingClipboard clipboard; // holding something that is not text
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_FALSE(GetClipboardText(text));
    EXPECT_TRUE(text.empty());

    ASSERT_TRUE(SetClipboardText("abcdef", 3));
    EXPECT_TRUE(ClipboardHasText());
    ASSERT_TRUE(GetClipboardText(text));
    EXPECT_EQ(text, "abc");
    ASSERT_TRUE(SetClipboardText("short", 100));
    EXPECT_EQ(clipboard.m_text, "short");

    clipboard.m_refuseSet = true;
    EXPECT_FALSE(SetClipboardText("lost", 4));
    EXPECT_EQ(clipboard.m_text, "short");
}

TEST(ShellHelpersTest, PostingToAllWindows)
{
    EXPECT_EQ(PostMessageToAllWindows(nullptr, 0x0AA4, 0, 0), 0) << "no window tree installed";

    CRecordingWindow first;
    CRecordingWindow second;
    CRecordingWindow child;
    CRecordingWindow grandchild;
    CRecordingWindow closed;
    CFakeWindowTree tree;
    tree.Add(first.Handle(), nullptr);
    tree.Add(second.Handle(), nullptr);
    tree.Add(child.Handle(), first.Handle());
    tree.Add(grandchild.Handle(), child.Handle());
    tree.Add(closed.Handle(), child.Handle());
    closed.Close();

    // No parent: the thread's top-level windows.
    EXPECT_EQ(PostMessageToAllWindows(nullptr, 0x0AA4, 1, 2), 2);
    EXPECT_EQ(first.Count(), 1u);
    EXPECT_EQ(second.Count(), 1u);
    EXPECT_EQ(child.Count(), 0u);

    // A parent: everything below it that is still open, not the parent.
    EXPECT_EQ(PostMessageToAllWindows(first.Handle(), 0x0AA5, 3, 4), 2);
    EXPECT_EQ(first.Count(), 1u);
    ASSERT_EQ(child.Count(), 1u);
    ASSERT_EQ(grandchild.Count(), 1u);
    const RecordedMessage message = grandchild.Messages()[0];
    EXPECT_EQ(message.m_message, 0x0AA5u);
    EXPECT_EQ(message.m_wParam, 3u);
    EXPECT_EQ(message.m_lParam, 4);
}

TEST(ShellHelpersTest, ShellOpenLogsWhatHappened)
{
    CRecordingLauncher launcher;
    CRecordingLog log;
    EXPECT_TRUE(ShellOpen("https://example.com/", &log));
    EXPECT_EQ(launcher.m_opened, std::vector<std::string>{"https://example.com/"});
    EXPECT_EQ(log.m_lines, (std::vector<std::pair<int, std::string>>{
                               {0, "ShellExecute opening: \"https://example.com/\".\r\n"},
                               {0, "ShellExecute open: \"https://example.com/\" OK.\r\n"}}));

    log.m_lines.clear();
    EXPECT_FALSE(ShellOpen("", &log));
    EXPECT_EQ(log.m_lines, (std::vector<std::pair<int, std::string>>{
                               {1, "Empty parameter(s) for shell execute command.\r\n"}}));
    EXPECT_EQ(launcher.m_opened.size(), 1u);
    EXPECT_FALSE(ShellOpen("")) << "without a log";
}

TEST(ShellHelpersTest, ShellOpenFailuresHaveTheirTexts)
{
    const std::pair<int, const char*> cases[] = {
        {0, "The operating system is out of memory or resources.\r\n"},
        {2, "The specified file was not found.\r\n"},
        {3, "The specified path was not found.\r\n"},
        {5, "The operating system denied access to the specified file.\r\n"},
        {8, "There was not enough memory to complete the operation.\r\n"},
        {11, "The .exe file is invalid (non-Win32\xC2\xAE .exe or error in .exe image).\r\n"},
        {26, "A sharing violation occurred.\r\n"},
        {27, "The file name association is incomplete or invalid.\r\n"},
        {31, "There is no application associated with the given file name extension.\r\n"},
        {32, "The specified dynamic-link library was not found.\r\n"},
        {28, "ShellExecute failed, error code: 28.\r\n"},
    };
    CRecordingLauncher launcher;
    for (const auto& [result, text] : cases)
    {
        launcher.m_result = result;
        CRecordingLog log;
        EXPECT_FALSE(ShellOpen("/docs/missing.html", &log)) << result;
        ASSERT_EQ(log.m_lines.size(), 2u) << result;
        EXPECT_EQ(log.m_lines[0],
                  std::make_pair(0, std::string("ShellExecute opening: \"/docs/missing.html\".\r\n")));
        EXPECT_EQ(log.m_lines[1], std::make_pair(1, std::string(text)));
    }
}

TEST(ShellHelpersTest, ShellOpenHandsOverFileSystemPaths)
{
    ScopedEnvironment env;
    env.Set("HOME", "/home/tester");
    CRecordingLauncher launcher;
    CRecordingLog log;
    EXPECT_TRUE(ShellOpen("~/Reports/default_report.html", &log));
    EXPECT_TRUE(ShellOpen("file:///srv/My%20Site/index.html"));
    EXPECT_TRUE(ShellOpen("mailto:someone@example.com"));
    EXPECT_EQ(launcher.m_opened,
              (std::vector<std::string>{"/home/tester/Reports/default_report.html", "/srv/My Site/index.html",
                                        "mailto:someone@example.com"}));
    // The log names what the user asked for.
    EXPECT_EQ(log.m_lines.at(0).second, "ShellExecute opening: \"~/Reports/default_report.html\".\r\n");
}

TEST(ShellHelpersTest, ShellOpenWithoutALauncherReportsNoAssociation)
{
    CRecordingLog log;
    EXPECT_FALSE(ShellOpen("https://example.com/", &log));
    ASSERT_EQ(log.m_lines.size(), 2u);
    EXPECT_EQ(log.m_lines[1].second,
              "There is no application associated with the given file name extension.\r\n");
}

TEST(ShellHelpersTest, AutoCompletionOffersTheHistoryWhenAddressesAreAskedFor)
{
    CRecordingWindow edit;
    EXPECT_FALSE(EnableAutoComplete(edit.Handle(), 14)) << "nothing installed";

    ClearHistory();
    GetHistoryList() = {"http://b.example/", "http://a.example/"};
    CRecordingAutoComplete autoComplete;
    EXPECT_TRUE(EnableAutoComplete(edit.Handle(), 14));
    EXPECT_TRUE(EnableAutoComplete(edit.Handle(), 0));
    EXPECT_TRUE(EnableAutoComplete(edit.Handle(), 0x11));
    ASSERT_EQ(autoComplete.m_requests.size(), 3u);
    EXPECT_EQ(autoComplete.m_requests[0].m_edit, edit.Handle());
    EXPECT_EQ(autoComplete.m_requests[0].m_flags, 14u);
    EXPECT_EQ(autoComplete.m_requests[0].m_addresses, GetHistoryList());
    EXPECT_EQ(autoComplete.m_requests[1].m_addresses, GetHistoryList());
    EXPECT_TRUE(autoComplete.m_requests[2].m_addresses.empty());

    autoComplete.m_result = false;
    EXPECT_FALSE(EnableAutoComplete(edit.Handle(), 1));
    ClearHistory();
}

TEST(ColorGradientTest, BlackToWhiteAcrossThreeColumns)
{
    CColorTable table;
    table.m_width = 3;
    table.m_height = 2;
    FillColorGradient(table, 0x000000, 0xFFFFFF, true);
    EXPECT_EQ(table.m_colors,
              (std::vector<uint32_t>{0x000000, 0x7F7F7F, 0xFFFFFF, 0x000000, 0x7F7F7F, 0xFFFFFF}));

    FillColorGradient(table, 0x0000FF, 0x00FF00, false);
    EXPECT_EQ(table.m_colors,
              (std::vector<uint32_t>{0x0000FF, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, 0x00FF00}));
}

TEST(ColorGradientTest, ASingleLineGetsHalfOfEachColour)
{
    CColorTable table;
    table.m_width = 1;
    table.m_height = 3;
    FillColorGradient(table, 0x204060, 0xFF0010, true);
    EXPECT_EQ(table.m_colors, (std::vector<uint32_t>(3, 0x8F2038)));

    CColorTable empty;
    empty.m_width = 4;
    FillColorGradient(empty, 0, 0xFFFFFF, true);
    EXPECT_TRUE(empty.m_colors.empty());
}

TEST(ColorGradientTest, ScalingTruncatesAndAddingGoesByteByByte)
{
    EXPECT_EQ(ScaleColor(0xFF8001, 0.5), 0x7F4000u);
    EXPECT_EQ(ScaleColor(0x12345678, 1.0), 0x345678u) << "the top byte is not a colour";
    EXPECT_EQ(AddColor(0x010203, 0x102030), 0x112233u);
}
} // namespace
