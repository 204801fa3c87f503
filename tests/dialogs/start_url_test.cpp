// What the task dialogs say of a start address: the wizard's verdict and
// whether Next may go on, the New Task title, and when its OK is enabled.
// Local paths are plain paths, paths under the home folder and "file:"
// addresses alike.

#include "dialogs/StartUrl.h"

#include "tests/support/SampleHome.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const char kNext[] = "\r\n\r\nClick Next to continue.";

class StartUrlTest : public ::testing::Test
{
protected:
    void SetUp() override { MakeSampleHome(m_env, m_temp); }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
};

TEST_F(StartUrlTest, VerdictNamesWhatTheAddressIsAndWhetherNextMayGoOn)
{
    const std::string folder = m_temp / "site";
    const std::string file = m_temp / "site/index.html";
    struct Case
    {
        std::string m_text;
        std::string m_verdict;
        bool m_accepted;
    };
    const Case cases[] = {
        {"", "URL is empty!", false},
        {file, std::string("Existing local file") + kNext, true},
        {folder, std::string("Existing local folder") + kNext, true},
        {"~/site", std::string("Existing local folder") + kNext, true},
        {"~/site/index.html", std::string("Existing local file") + kNext, true},
        {"file://" + folder, std::string("Existing local folder") + kNext, true},
        {"file://" + file, std::string("Existing local file") + kNext, true},
        {folder + "/missing", std::string("Unknown local file or folder") + kNext, true},
        {"~/missing", std::string("Unknown local file or folder") + kNext, true},
        {"http://example.com", std::string("URL protocol: HTTP\r\nHost: example.com\r\nPort: 80\r\nPath: /") + kNext,
         true},
        {"https://Example.com:8443/a/b?c=1",
         std::string("URL protocol: HTTPS\r\nHost: example.com\r\nPort: 8443\r\nPath: /a/b?c=1") + kNext, true},
        {"ftp://files.example.org/pub/",
         std::string("URL protocol: FTP\r\nHost: files.example.org\r\nPort: 21\r\nPath: /pub/") + kNext, true},
        {"http://", "Invalid URL format!", false},
        {"http://example.com:99999/", "Invalid URL format!", false},
    };
    for (const Case& c : cases)
    {
        const CStartUrlVerdict verdict = CheckStartUrl(c.m_text);
        EXPECT_EQ(verdict.m_text, c.m_verdict) << c.m_text;
        EXPECT_EQ(verdict.m_accepted, c.m_accepted) << c.m_text;
    }
}

TEST_F(StartUrlTest, NewTaskTitleAndOkFollowTheAddressAndTheAction)
{
    struct Case
    {
        const char* m_uri;
        int m_action;
        const char* m_title;
        bool m_ok;
    };
    const Case cases[] = {
        {"", 0, "New task", false},
        {"", 4, "New task", false},
        {"   ", 0, "New task", true}, // refused by OK itself, with a message
        {"/home/x/site", 0, "New task (local)", true},
        {"/home/x/site", 4, "New task (local)", true},
        {"~/site", 3, "New task (local)", true},
        {"~/site/index.html", 4, "New task (local)", true},
        {"file:///home/x/a.html", 4, "New task (local)", true},
        {"http://example.com/", 0, "New task (HTTP)", true},
        {"http://example.com/", 4, "New task (HTTP)", false},
        {"https://example.com/", 1, "New task (HTTPS)", true},
        {"ftp://example.com/", 2, "New task (FTP)", true},
        {"ftp://example.com/a.txt", 4, "New task (FTP)", false},
        {"mailto:a@example.com", 0, "New task", true},
        {"example.com", 0, "New task", true},
        {"example.com", 4, "New task", false},
        {"site/index.html", 4, "New task", false}, // relative: not a local path
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(NewTaskTitle(c.m_uri), c.m_title) << c.m_uri;
        EXPECT_EQ(NewTaskCanAccept(c.m_uri, c.m_action), c.m_ok) << c.m_uri << " action " << c.m_action;
    }
}

TEST(InvalidUrlMessage, NamesTheAddressOrSaysItIsEmpty)
{
    EXPECT_EQ(InvalidUrlMessage(""), "Invalid url: <Empty>.");
    EXPECT_EQ(InvalidUrlMessage("http//x"), "Invalid url: http//x.");
    // The address is text, never a format.
    EXPECT_EQ(InvalidUrlMessage("a%sb%d"), "Invalid url: a%sb%d.");
}
} // namespace
