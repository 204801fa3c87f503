#include "foundation/stores/DataFolderFile.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/stores/PasswordStore.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace
{
std::vector<std::pair<unsigned, int64_t>> g_broadcasts;

void RecordBroadcast(unsigned code, int64_t argument)
{
    g_broadcasts.emplace_back(code, argument);
}

class DataFolderStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        m_oldCompany = GetAppIdentity().GetString(CAppIdentity::kCompany);
        m_oldProduct = GetAppIdentity().GetString(CAppIdentity::kProduct);
        UseTemporaryDataFolder(m_env, m_temp, GetAppIdentity());
        g_broadcasts.clear();
        SetInstanceBroadcastHook(RecordBroadcast);
        GetCookieStore().Clear();
        GetPasswordStore().RemoveAll();
    }

    void TearDown() override
    {
        SetInstanceBroadcastHook(nullptr);
        GetCookieStore().Clear();
        GetPasswordStore().RemoveAll();
        // Setting them again makes the identity derive its folder afresh.
        GetAppIdentity().SetString(CAppIdentity::kCompany, m_oldCompany);
        GetAppIdentity().SetString(CAppIdentity::kProduct, m_oldProduct);
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    std::string m_oldCompany;
    std::string m_oldProduct;
};
} // namespace

TEST_F(DataFolderStoreTest, CookiesSaveToTheDataFolderTellOtherCopiesAndLoadBack)
{
    const std::string path = GetCookieFilePath();
    EXPECT_EQ(path, m_temp / "data/Quorvat Software/Tanglewarden/Cookies.txt");

    CCookieStore& store = GetCookieStore();
    ASSERT_TRUE(store.ParseSetCookie("id=42; expires=Tue, 31 Dec 2999 23:59:59 GMT", "www.example.com",
                                     COleDateTime::GetCurrentTime()));
    ASSERT_TRUE(SaveCookieStore());
    EXPECT_EQ(g_broadcasts, (std::vector<std::pair<unsigned, int64_t>>{
                                {kBroadcastCookiesSaved, static_cast<int64_t>(store.GetStamp())}}));
    EXPECT_NE(ReadWhole(path).find("id=42"), std::string::npos);

    store.Clear();
    ASSERT_TRUE(LoadCookieStore());
    std::string header;
    EXPECT_TRUE(store.GetCookieHeader("www.example.com", "/", false, header));
    EXPECT_EQ(header, "id=42");
}

TEST_F(DataFolderStoreTest, PasswordsSaveToTheDataFolderTellOtherCopiesAndLoadBack)
{
    CPasswordStore& store = GetPasswordStore();
    ASSERT_TRUE(store.Set("ftp://anna@ftp.example.org", "secret"));
    ASSERT_TRUE(SavePasswordStore());
    EXPECT_EQ(g_broadcasts, (std::vector<std::pair<unsigned, int64_t>>{
                                {kBroadcastPasswordsSaved, static_cast<int64_t>(store.GetStamp())}}));
    EXPECT_FALSE(store.IsModified());
    const std::string path = GetDataFolderFilePath(kPasswordFileName);
    EXPECT_EQ(path, m_temp / "data/Quorvat Software/Tanglewarden/Passwords.bf");
    EXPECT_EQ(ReadWhole(path).size() % 8, 0u);

    store.RemoveAll();
    ASSERT_TRUE(LoadPasswordStore());
    std::string password;
    EXPECT_TRUE(store.Get("ftp://anna@ftp.example.org", password));
    EXPECT_EQ(password, "secret");
}

TEST_F(DataFolderStoreTest, NothingIsAnnouncedWhenTheSaveFails)
{
    int calls = 0;
    EXPECT_FALSE(SaveAndAnnounce(
        "x.txt", kBroadcastPasswordsSaved, [](const std::string&) { return false; },
        [&calls]
        {
            ++calls;
            return int64_t{1};
        }));
    EXPECT_TRUE(g_broadcasts.empty());
    EXPECT_EQ(calls, 0);
}
