#include "foundation/stores/CookieFile.h"
#include "foundation/stores/CookieStore.h"

#include "foundation/text/AttributeFormat.h"
#include "foundation/text/AttributeList.h"
#include "foundation/text/StringVisitors.h"
#include "platform/core/DirectoryScan.h"
#include "platform/core/Text.h"
#include "tests/support/ClockedCookieStore.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
struct CookieEntry
{
    std::string domain;
    std::string path;
    bool secure;
    std::string cookie;
    std::string expires;
    std::string added;

    auto Tie() const { return std::tie(domain, path, secure, cookie, expires, added); }
    bool operator==(const CookieEntry& other) const { return Tie() == other.Tie(); }
    bool operator<(const CookieEntry& other) const { return Tie() < other.Tie(); }
};

std::ostream& operator<<(std::ostream& out, const CookieEntry& e)
{
    return out << "{" << e.domain << " " << e.path << " " << e.secure << " " << e.cookie << " " << e.expires
               << " " << e.added << "}";
}

// Records what an enumeration hands over.
class CRecordingStore : public CCookieStore
{
public:
    bool AddCookie(std::string_view domain, std::string_view path, bool secure, std::string_view cookie,
                   std::string_view expires, const COleDateTime& added) override
    {
        m_entries.push_back({std::string(domain), std::string(path), secure, std::string(cookie),
                             std::string(expires), added.Format("%m/%d/%Y %H:%M:%S")});
        return true;
    }

    std::vector<CookieEntry> m_entries;
};

std::vector<CookieEntry> Contents(CCookieStore& store)
{
    CRecordingStore recorder;
    store.Enumerate(recorder);
    std::sort(recorder.m_entries.begin(), recorder.m_entries.end());
    return recorder.m_entries;
}

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    CDirectoryScan scan;
    DirectoryEntry entry;
    if (scan.Open(folder))
        while (scan.Next(entry))
            names.push_back(entry.m_name);
    return names;
}

const COleDateTime kAdded(2024, 5, 31, 18, 30, 15);
constexpr const char* kExpires = "Tue, 31 Dec 2030 23:59:59 GMT";
constexpr const char* kExpiresInFile = "12/31/2030 23:59:59 GMT";

class CookieFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(m_temp.Path().empty()); }

    CTempFolder m_temp;
    std::string m_path = m_temp / "Cookies.txt";
};
} // namespace

TEST(AttributeFormatTest, EveryWrittenValueReadsBackUnchanged)
{
    const struct
    {
        const char* value;
        const char* written; // null: cannot be written
    } cases[] = {
        {"plain", "n=\"plain\""},
        {"a b", "n=\"a b\""},
        {"", "n=\"\""},
        {"it's", "n=\"it's\""},
        {"say \"hi\"", "n='say \"hi\"'"},
        {"\"quoted\"", "n='\"quoted\"'"},
        {"x=\"it's\"", "n=x=\"it's\""},
        {"\"it's\"", nullptr},
        {"a \"b' c", nullptr},
        {"line\nbreak", nullptr},
        {"cr\rhere", nullptr},
    };
    for (const auto& c : cases)
    {
        std::string line;
        const bool written = AppendAttributeText(line, "n", c.value);
        ASSERT_EQ(written, c.written != nullptr) << c.value;
        if (!written)
        {
            EXPECT_EQ(line, "") << c.value;
            continue;
        }
        EXPECT_EQ(line, c.written);
        // Behind another attribute, and read back by the attribute reader.
        std::string full = "first=1";
        ASSERT_TRUE(AppendAttributeText(full, "n", c.value));
        std::vector<std::string> texts;
        CStringArrayVisitor visitor(texts);
        EXPECT_EQ(ParseAttributeList(full, visitor), 2) << full;
        EXPECT_EQ(texts, (std::vector<std::string>{"first", "1", "n", c.value})) << full;
    }
}

TEST_F(CookieFileTest, SaveAndLoadKeepDatedCookiesWithQuotesExactly)
{
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie("www.example.com", "/", true, "q=\"a b\"", kExpires, kAdded));
    ASSERT_TRUE(store.AddCookie(".example.com", "/p\"q", false, "s='single'", kExpires, kAdded));
    ASSERT_TRUE(store.AddCookie("shop.example.com", "/both", false, "both=\"it's\"", kExpires, kAdded));
    ASSERT_TRUE(
        store.AddCookie("example.org", "/Docs", false, "plain=1", "Sat, 01 Jun 2024 10:00:01 GMT", kAdded));
    ASSERT_TRUE(store.AddCookie("example.org", "/session", false, "sess=1", "", kAdded));
    // Both quotes and a blank: no form of the line carries it.
    ASSERT_TRUE(store.AddCookie("example.net", "/", false, "odd=\"it's x\"", kExpires, kAdded));
    ASSERT_TRUE(store.IsModified());

    ASSERT_TRUE(store.Save(m_path));
    EXPECT_FALSE(store.IsModified());

    const std::string text = ReadWhole(m_path);
    EXPECT_NE(
        text.find(" Domain=\"www.example.com\" Path=\"/\" Secure=\"1\" Expires=\"12/31/2030 23:59:59 GMT\" "
                  "Cookie='q=\"a b\"' Added=\"05/31/2024 18:30:15\"\r\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("sess=1"), std::string::npos) << "session cookies are never saved";
    EXPECT_EQ(text.find("odd="), std::string::npos);
    size_t lines = 0;
    for (size_t start = 0; start < text.size(); ++lines)
    {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << text;
        EXPECT_EQ(text[start], ' ') << text.substr(start, end - start);
        start = end + 2;
    }
    EXPECT_EQ(lines, 4u);

    struct stat info
    {
    };
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    CClockedStore loaded;
    ASSERT_TRUE(loaded.Load(m_path));
    EXPECT_TRUE(loaded.IsModified());
    const std::string added = kAdded.Format("%m/%d/%Y %H:%M:%S");
    const std::vector<CookieEntry> expected = {
        {".example.com", "/p\"q", false, "s='single'", kExpiresInFile, added},
        {"example.org", "/Docs", false, "plain=1", "06/01/2024 10:00:01 GMT", added},
        {"shop.example.com", "/both", false, "both=\"it's\"", kExpiresInFile, added},
        {"www.example.com", "/", true, "q=\"a b\"", kExpiresInFile, added},
    };
    EXPECT_EQ(Contents(loaded), expected);

    std::string header;
    EXPECT_TRUE(loaded.GetCookieHeader("www.example.com", "/", true, header));
    EXPECT_NE(header.find("q=\"a b\""), std::string::npos) << header;

    // One second later the short-lived cookie has expired and is not saved again.
    loaded.m_now += 1;
    ASSERT_TRUE(loaded.Save(m_path));
    EXPECT_EQ(ReadWhole(m_path).find("plain=1"), std::string::npos);
}

TEST_F(CookieFileTest, TwoNamesOnOneDomainAndPathGiveTwoLines)
{
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie("example.com", "/", false, "session=1", kExpires, kAdded));
    ASSERT_TRUE(store.AddCookie("example.com", "/", false, "login=2", kExpires, kAdded));
    ASSERT_TRUE(store.Save(m_path));

    const std::string text = ReadWhole(m_path);
    EXPECT_NE(text.find(" Domain=\"example.com\" Path=\"/\" Secure=\"0\" Expires=\"12/31/2030 23:59:59 GMT\" "
                        "Cookie=\"login=2\" Added="),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Cookie=\"session=1\""), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;

    CClockedStore loaded;
    ASSERT_TRUE(loaded.Load(m_path));
    std::string header;
    ASSERT_TRUE(loaded.GetCookieHeader("example.com", "/", false, header));
    EXPECT_TRUE(header == "login=2; session=1" || header == "session=1; login=2") << header;
}

TEST_F(CookieFileTest, LoadReadsNamesWithoutCaseAndSkipsBadLines)
{
    const std::string longCookie = "k=" + std::string(kMaxCookieLength, 'v');
    WriteWhole(
        m_path,
        " DOMAIN=example.com path=/a SECURE=\"1\" Expires=\"12/31/2030 23:59:59 GMT\" "
        "cookie=a=1 added=\"05/31/2024 18:30:15\" Extra=\"ignored\"\r\n"
        " Domain=\"example.com\" Path=\"/b\" Secure=\"yes\" Expires=\"12/31/2030 23:59:59 GMT\" "
        "Cookie=\"b=2\"\n"
        "garbage without attributes\r\n"
        "\r\n"
        " Domain=\"localhost\" Path=\"/\" Secure=\"0\" Expires=\"12/31/2030 23:59:59 GMT\" "
        "Cookie=\"one=label\"\r\n"
        " Domain=\"example.com\" Path=\"/c\" Secure=\"0\" Expires=\"someday\" Cookie=\"c=3\"\r\n"
        " Domain=\"example.com\" Path=\"/d\" Secure=\"0\" Expires=\"12/31/2030 23:59:59 GMT\" "
        "Cookie=\"" +
            longCookie +
            "\"\r\n"
            " Domain=\"example.com\" Path=\"/e\" Secure=\"0\" Expires=\"\" Cookie=\"session=5\"\r\n"
            " Domain=\"example.com\" Path=\"/f\" Secure=\"0\" Expires=\"01/01/2020 00:00:00 GMT\" "
            "Cookie=\"expired=6\"\r\n"
            " Domain=\"example.com\" Path=\"/g\" Cookie=\"last=7\" Expires=\"12/31/2030 23:59:59 GMT\"");
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie("example.net", "/", false, "before=0", "", kAdded));
    ASSERT_TRUE(store.Load(m_path));

    const std::vector<CookieEntry> expected = {
        {"example.com", "/a", true, "a=1", kExpiresInFile, "05/31/2024 18:30:15"},
        {"example.com", "/b", false, "b=2", kExpiresInFile, ""},
        {"example.com", "/e", false, "session=5", "", ""},
        {"example.com", "/g", false, "last=7", kExpiresInFile, ""},
    };
    EXPECT_EQ(Contents(store), expected);
}

TEST_F(CookieFileTest, FailedLoadLeavesTheStoreAlone)
{
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie("example.com", "/", false, "a=1", kExpires, kAdded));
    const uint32_t stamp = store.GetStamp();
    EXPECT_FALSE(store.Load(m_temp / "missing.txt"));
    EXPECT_EQ(store.GetStamp(), stamp);
    EXPECT_EQ(Contents(store).size(), 1u);
}

TEST_F(CookieFileTest, FailedSaveKeepsTheOldFileAndReportsFailure)
{
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie("example.com", "/", false, "old=1", kExpires, kAdded));
    ASSERT_TRUE(store.Save(m_path));
    const std::string before = ReadWhole(m_path);

    ASSERT_TRUE(
        store.AddCookie("example.com", "/big", false, "big=" + std::string(4000, 'x'), kExpires, kAdded));
    {
        CFileSizeLimit limit(before.size() + 100);
        EXPECT_FALSE(store.Save(m_path));
    }
    EXPECT_TRUE(store.IsModified());
    EXPECT_EQ(ReadWhole(m_path), before);
    EXPECT_EQ(Listing(m_temp.Path()), std::vector<std::string>{"Cookies.txt"});

    EXPECT_FALSE(store.Save(m_temp / "no-such-folder/Cookies.txt"));
    EXPECT_TRUE(store.IsModified());
}
