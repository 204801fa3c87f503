#include "platform/core/LocalPath.h"

#include "platform/core/DesktopServices.h"

#include "tests/support/FileContents.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
TEST(LocalPathTest, LocalPathTextBecomesAFileSystemPath)
{
    ScopedEnvironment env;
    env.Set("HOME", "/home/tester");
    const std::pair<const char*, const char*> cases[] = {
        {"/srv/site/index.html", "/srv/site/index.html"},
        {"~/Reports", "/home/tester/Reports"},
        {"~", "/home/tester"},
        {"file:///srv/My%20Site/a%2Bb.html", "/srv/My Site/a+b.html"},
        {"file://localhost/srv/x", "/srv/x"},
        {"file://LOCALHOST/srv/x", "/srv/x"},
        {"file:/srv/x", "/srv/x"},
        {"file:///srv/100%", "/srv/100%"},
        {"file:///srv/%zz", "/srv/%zz"},
        // Not local, or not here.
        {"file://server/share/x", nullptr},
        {"file://localhost", nullptr},
        {"file:relative", nullptr},
        {"file:///srv/a%00b", nullptr},
        {"http://example.com/", nullptr},
        {"~user/x", nullptr},
        {"relative/path", nullptr},
        {"", nullptr},
    };
    for (const auto& [text, expected] : cases)
    {
        std::string path = "old";
        EXPECT_EQ(ToFileSystemPath(text, path), expected != nullptr) << text;
        EXPECT_EQ(path, expected ? expected : "") << text;
    }
}

TEST(LocalPathTest, LocalDocumentsAreCheckedBeforeTheyAreOpened)
{
    CTempFolder temp;
    WriteWhole(temp / "page.html", "x");
    EXPECT_EQ(CheckLocalDocument(temp / "page.html"), 0);
    EXPECT_EQ(CheckLocalDocument(temp.Path()), 0);
    EXPECT_EQ(CheckLocalDocument(temp / "missing.html"), kOpenFileNotFound);
    EXPECT_EQ(CheckLocalDocument(temp / "missing/page.html"), kOpenPathNotFound);
    EXPECT_EQ(CheckLocalDocument(temp / "page.html/inner"), kOpenPathNotFound);
    if (::geteuid() != 0) // root reads everything
    {
        WriteWhole(temp / "secret.html", "x");
        ::chmod((temp / "secret.html").c_str(), 0);
        EXPECT_EQ(CheckLocalDocument(temp / "secret.html"), kOpenAccessDenied);
    }
}
} // namespace
