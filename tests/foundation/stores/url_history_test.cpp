#include "foundation/stores/UrlHistory.h"

#include "foundation/text/AbstractVisitor.h"
#include "foundation/desktop/AppIdentity.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHooks.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"
#include "tests/support/XmlLint.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace
{
using Urls = std::vector<std::string>;
using Broadcasts = std::vector<std::pair<unsigned, int64_t>>;

Broadcasts g_broadcasts;

void RecordBroadcast(unsigned code, int64_t argument)
{
    g_broadcasts.emplace_back(code, argument);
}

// Collects what a producer hands out; refuses after limit texts.
class CCollector : public CAbstractVisitor
{
public:
    explicit CCollector(size_t limit = SIZE_MAX) : m_limit(limit) {}
    bool Add(std::string_view text) override
    {
        m_texts.emplace_back(text);
        return m_texts.size() < m_limit;
    }
    Urls m_texts;

private:
    size_t m_limit;
};

class UrlHistoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseTemporaryDataFolder(m_env, m_temp, GetAppIdentity());
        GetSettings().SetInt(SETTING_MISC_MAX_HISTORY_SIZE, 50);
        ClearHistory();
        g_broadcasts.clear();
        SetInstanceBroadcastHook(RecordBroadcast);
        ASSERT_TRUE(CreateDirectoryTree(DataFolder()));
    }

    void TearDown() override
    {
        SetInstanceBroadcastHook(nullptr);
        ClearHistory();
        GetSettings().Remove(SETTING_MISC_MAX_HISTORY_SIZE);
        // Forget the data folder derived below the temporary folder.
        GetAppIdentity().SetString(CAppIdentity::kCompany, "Quorvat Software");
    }

    std::string DataFolder() const { return m_temp / "data/Quorvat Software/Tanglewarden"; }
    std::string HistoryXml() const { return DataFolder() + "/History.xml"; }

    static void Add(const Urls& urls)
    {
        for (const std::string& url : urls)
            AddToHistory(url);
    }

    static Urls Enumerated()
    {
        CCollector collector;
        EnumHistory(collector);
        return collector.m_texts;
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
};

const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<History>\r\n  XVebb History\r\n";
} // namespace

TEST_F(UrlHistoryTest, AddKeepsTheMostRecentFirstWithoutRepeatsWithinTheLimit)
{
    struct Case
    {
        int limit;
        Urls added;
        Urls expected;
    };
    const Case cases[] = {
        {50, {"http://a/", "http://b/", "http://c/"}, {"http://c/", "http://b/", "http://a/"}},
        // An URL already there moves to the front, leaving no second copy.
        {50, {"http://a/", "http://b/", "http://a/"}, {"http://a/", "http://b/"}},
        {50, {"http://a/", "http://b/", "http://b/"}, {"http://b/", "http://a/"}},
        // Entries compare with case.
        {50, {"http://a/", "HTTP://A/"}, {"HTTP://A/", "http://a/"}},
        // The oldest drops out past the limit; a repeat does not push anything out.
        {3, {"http://a/", "http://b/", "http://c/", "http://d/"}, {"http://d/", "http://c/", "http://b/"}},
        {3, {"http://a/", "http://b/", "http://c/", "http://a/"}, {"http://a/", "http://c/", "http://b/"}},
        {1, {"http://a/", "http://b/"}, {"http://b/"}},
        // A limit of 0 keeps no history.
        {0, {"http://a/", "http://b/"}, {}},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.added) + " limit " + std::to_string(test.limit));
        ClearHistory();
        GetSettings().SetInt(SETTING_MISC_MAX_HISTORY_SIZE, test.limit);
        Add(test.added);
        EXPECT_EQ(GetHistoryList(), test.expected);
        EXPECT_EQ(Enumerated(), test.expected);
        EXPECT_EQ(GetHistoryCount(), static_cast<int>(test.expected.size()));
    }
}

TEST_F(UrlHistoryTest, EveryChangeRaisesTheStampAndNothingElseDoes)
{
    uint32_t stamp = GetHistoryStamp();
    AddToHistory("http://a/");
    EXPECT_GT(GetHistoryStamp(), stamp);
    stamp = GetHistoryStamp();

    AddToHistory("");
    EXPECT_EQ(GetHistoryStamp(), stamp);
    EXPECT_EQ(GetHistoryList(), Urls{"http://a/"});

    // The stamp goes up even when changes come faster than the clock ticks.
    AddToHistory("http://b/");
    const uint32_t afterAdd = GetHistoryStamp();
    EXPECT_GT(afterAdd, stamp);
    ClearHistory();
    EXPECT_GT(GetHistoryStamp(), afterAdd);
    EXPECT_EQ(GetHistoryCount(), 0);

    stamp = GetHistoryStamp();
    AddToHistory("http://c/");
    ASSERT_TRUE(SaveHistory());
    EXPECT_GT(GetHistoryStamp(), stamp);
    stamp = GetHistoryStamp();
    ASSERT_TRUE(SaveHistory());
    EXPECT_EQ(GetHistoryStamp(), stamp) << "saving is no change";
}

TEST_F(UrlHistoryTest, SavedFileHasItsLayoutAndReadsBack)
{
    const Urls urls = {"http://first/", "http://h/?a=1&b=\"2\"&c='3'<x>",
                       "ftp://Caf\xC3\xA9.example/\xE2\x98\x95"};
    for (auto it = urls.rbegin(); it != urls.rend(); ++it)
        AddToHistory(*it);
    ASSERT_EQ(GetHistoryList(), urls);
    const uint32_t stamp = GetHistoryStamp();

    ASSERT_TRUE(SaveHistory());
    EXPECT_EQ(ReadWhole(HistoryXml()),
              std::string(kXmlHead) +
                  "  <Item URI=\"http://first/\">Item 1</Item>\r\n"
                  "  <Item URI=\"http://h/?a=1&amp;b=&quot;2&quot;&amp;c=&apos;3&apos;&lt;x&gt;\">"
                  "Item 2</Item>\r\n"
                  "  <Item URI=\"ftp://Caf\xC3\xA9.example/\xE2\x98\x95\">Item 3</Item>\r\n"
                  "</History>\r\n");
    EXPECT_TRUE(IsWellFormedXml(HistoryXml()));
    EXPECT_EQ(g_broadcasts, (Broadcasts{{kBroadcastHistorySaved, static_cast<int64_t>(stamp)}}));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(HistoryXml().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "URLs may carry passwords";

    ClearHistory();
    const uint32_t cleared = GetHistoryStamp();
    LoadHistory();
    EXPECT_EQ(GetHistoryList(), urls);
    EXPECT_GT(GetHistoryStamp(), cleared);

    // An empty history saves as the bare document; an element whose only
    // child is a text is written on one line.
    ClearHistory();
    ASSERT_TRUE(SaveHistory());
    EXPECT_EQ(ReadWhole(HistoryXml()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<History>XVebb History</History>\r\n");
    EXPECT_TRUE(IsWellFormedXml(HistoryXml()));
}

TEST_F(UrlHistoryTest, SaveCreatesTheDataFolder)
{
    m_env.Set("XDG_DATA_HOME", m_temp / "fresh");
    GetAppIdentity().SetString(CAppIdentity::kCompany, "Quorvat Software");
    AddToHistory("http://a/");
    ASSERT_TRUE(SaveHistory());
    EXPECT_TRUE(FileExists(m_temp / "fresh/Quorvat Software/Tanglewarden/History.xml"));
}

TEST_F(UrlHistoryTest, LoadingTakesEveryUsableUriInDocumentOrder)
{
    WriteWhole(HistoryXml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<History>\n"
                             "  XVebb History\n"
                             "  <Item URI=\"http://one/\">Item 1</Item>\n"
                             "  <Item>no attribute</Item>\n"
                             "  <Item URI=\"   \">blanks only</Item>\n"
                             "  <Item URI=\"\"/>\n"
                             "  <Item uri=\"http://lower-case-name/\"/>\n"
                             "  <item URI=\"http://lower-case-element/\"/>\n"
                             "  <Item Name=\"x\" URI=\"  http://two/ \"/>\n"
                             "  <Group>\n"
                             "    <Item URI='http://three/?a=1&amp;b=2'>nested</Item>\n"
                             "  </Group>\n"
                             "  <Item URI=\"http://one/\">a repeat</Item>\n"
                             "</History>\n");
    AddToHistory("http://before/");
    const uint32_t stamp = GetHistoryStamp();

    CCollector all;
    ASSERT_TRUE(LoadHistoryFromFile(all));
    EXPECT_EQ(all.m_texts, (Urls{"http://one/", "http://two/", "http://three/?a=1&b=2", "http://one/"}));
    EXPECT_GT(GetHistoryStamp(), stamp);

    // A refusing visitor ends the loading.
    CCollector two(2);
    ASSERT_TRUE(LoadHistoryFromFile(two));
    EXPECT_EQ(two.m_texts, (Urls{"http://one/", "http://two/"}));

    LoadHistory();
    EXPECT_EQ(GetHistoryList(), (Urls{"http://one/", "http://two/", "http://three/?a=1&b=2"}));
}

TEST_F(UrlHistoryTest, ABrokenFileGivesTheUrlsBeforeTheBreak)
{
    WriteWhole(HistoryXml(), std::string(kXmlHead) + "  <Item URI=\"http://one/\">Item 1</Item>\r\n"
                                                     "  <Item URI=\"http://two/\">Item 2</Item>\r\n"
                                                     "  <Item URI=\"http://thr");
    LoadHistory();
    EXPECT_EQ(GetHistoryList(), (Urls{"http://one/", "http://two/"}));
}

TEST_F(UrlHistoryTest, AMissingFileChangesNothing)
{
    AddToHistory("http://a/");
    const uint32_t stamp = GetHistoryStamp();
    CCollector collector;
    EXPECT_FALSE(LoadHistoryFromFile(collector));
    LoadHistory();
    EXPECT_TRUE(collector.m_texts.empty());
    EXPECT_EQ(GetHistoryList(), Urls{"http://a/"});
    EXPECT_EQ(GetHistoryStamp(), stamp);

    // A folder by the file's name is no file either.
    ASSERT_EQ(::mkdir(HistoryXml().c_str(), 0700), 0);
    LoadHistory();
    EXPECT_EQ(GetHistoryList(), Urls{"http://a/"});
    EXPECT_EQ(GetHistoryStamp(), stamp);
}

TEST_F(UrlHistoryTest, ReloadingAnotherCopysSaveReplacesTheList)
{
    GetSettings().SetInt(SETTING_MISC_MAX_HISTORY_SIZE, 3);
    // What the other copy saved: its list, most recent first.
    Add({"http://b/", "http://a/", "http://d/"});
    ASSERT_TRUE(SaveHistory());
    const std::string saved = ReadWhole(HistoryXml());

    // This copy's own list, partly the same URLs.
    ClearHistory();
    Add({"http://c/", "http://b/", "http://a/"});
    LoadHistory();
    EXPECT_EQ(GetHistoryList(), (Urls{"http://d/", "http://a/", "http://b/"}));

    // Reloading the same save again changes nothing and piles nothing up.
    LoadHistory();
    LoadHistory();
    EXPECT_EQ(GetHistoryList(), (Urls{"http://d/", "http://a/", "http://b/"}));
    ASSERT_TRUE(SaveHistory());
    EXPECT_EQ(ReadWhole(HistoryXml()), saved);
}

TEST_F(UrlHistoryTest, FailedSaveKeepsTheOldFileAndBroadcastsNothing)
{
    AddToHistory("http://old/");
    ASSERT_TRUE(SaveHistory());
    const std::string old = ReadWhole(HistoryXml());
    g_broadcasts.clear();

    for (int i = 0; i < 40; ++i)
        AddToHistory("http://new.example/a/rather/long/path/" + std::to_string(i));
    {
        CFileSizeLimit limit(old.size() + 16);
        EXPECT_FALSE(SaveHistory());
    }
    EXPECT_EQ(ReadWhole(HistoryXml()), old);
    std::vector<std::string> files;
    std::vector<std::string> folders;
    ListDirectory(DataFolder(), files, folders, "*");
    EXPECT_EQ(files, std::vector<std::string>{"History.xml"}) << "no temporary file is left behind";

    // A folder in the way: the rename fails and the folder stays.
    ASSERT_EQ(::remove(HistoryXml().c_str()), 0);
    ASSERT_EQ(::mkdir(HistoryXml().c_str(), 0700), 0);
    EXPECT_FALSE(SaveHistory());
    EXPECT_TRUE(DirectoryExists(HistoryXml()));
    EXPECT_TRUE(g_broadcasts.empty());
}
