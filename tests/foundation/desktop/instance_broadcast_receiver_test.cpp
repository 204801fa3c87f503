// OnInstanceBroadcast in one process: which announcements reload what.

#include "foundation/desktop/InitInstanceBroadcast.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/core/RecordingWindow.h"
#include "platform/core/Registry.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace
{
int g_passwordLoads = 0;
int g_cookieLoads = 0;

void CountPasswordLoad()
{
    ++g_passwordLoads;
}

void CountCookieLoad()
{
    ++g_cookieLoads;
}

class InstanceBroadcastReceiverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        m_env.Set("HOME", m_temp / "home");
        m_env.Set("XDG_RUNTIME_DIR", m_temp / "run");
        m_env.Set("XDG_CONFIG_HOME", m_temp / "config");
        m_env.Set("XDG_DATA_HOME", m_temp / "data");
        GetRegistry().SetBackend(nullptr);
        CAppIdentity& identity = GetAppIdentity();
        identity.SetString(CAppIdentity::kCompany, "Quorvat Software");
        identity.SetString(CAppIdentity::kProduct, "Tanglewarden");
        RegisterSettings();
        GetSettings().Clear();
        LoadSettings(); // the defaults: the history keeps up to 50 entries
        ClearHistory();

        m_broadcast = std::make_unique<InitInstanceBroadcast>();
        m_tree.Add(m_main.Handle(), nullptr);
        m_tree.Add(m_child.Handle(), m_main.Handle());
        m_tree.Add(m_grandchild.Handle(), m_child.Handle());
        g_passwordLoads = 0;
        g_cookieLoads = 0;
        SetLoadPasswordsHook(CountPasswordLoad);
        SetLoadCookiesHook(CountCookieLoad);
    }

    void TearDown() override
    {
        SetLoadPasswordsHook(nullptr);
        SetLoadCookiesHook(nullptr);
        m_broadcast.reset();
        ClearHistory();
        GetRegistry().SetBackend(std::make_unique<CMemoryRegistryBackend>());
        GetAppIdentity().SetString(CAppIdentity::kCompany, "Quorvat Software");
        GetSettings().Clear();
    }

    bool Deliver(unsigned code, int64_t argument)
    {
        return OnInstanceBroadcast(
            {m_main.Handle(), GetInstanceBroadcastMessage(), code, static_cast<LPARAM>(argument)},
            m_main.Handle());
    }

    size_t PostedCount() const { return m_main.Count() + m_child.Count() + m_grandchild.Count(); }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    std::unique_ptr<InitInstanceBroadcast> m_broadcast;
    CRecordingWindow m_main;
    CRecordingWindow m_child;
    CRecordingWindow m_grandchild;
    CFakeWindowTree m_tree;
};

TEST_F(InstanceBroadcastReceiverTest, TheLifetimeObjectRegistersTheMessageAndJoinsTheChannel)
{
    EXPECT_GE(GetInstanceBroadcastMessage(), kFirstRegisteredMessage);
    EXPECT_EQ(GetInstanceBroadcastMessage(), RegisterWindowMessage("_MSG_XVEBB_BROADCAST_"));
    EXPECT_TRUE(m_broadcast->IsConnected());
    EXPECT_EQ(GetInstanceCount(), 1);
}

TEST_F(InstanceBroadcastReceiverTest, SettingsReloadOnlyForAnotherProcessAndEveryWindowBelowTheMainOneIsTold)
{
    GetSettings().SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 77); // changed here, never saved

    EXPECT_FALSE(Deliver(kBroadcastSettingsSaved, ::getpid()));
    EXPECT_EQ(GetSettings().GetStringValue(SETTING_CONNECTIONS_MAX_CONNECTS), "77");
    EXPECT_EQ(PostedCount(), 0u);

    EXPECT_FALSE(Deliver(kBroadcastSettingsSaved, ::getpid() + 1));
    EXPECT_EQ(GetSettings().GetStringValue(SETTING_CONNECTIONS_MAX_CONNECTS), "10");
    EXPECT_EQ(m_main.Count(), 0u);
    ASSERT_EQ(m_child.Count(), 1u);
    ASSERT_EQ(m_grandchild.Count(), 1u);
    const RecordedMessage told = m_child.Messages()[0];
    EXPECT_EQ(told.m_message, kSettingsChangedMessage);
    EXPECT_EQ(told.m_wParam, 0u);
    EXPECT_EQ(told.m_lParam, 0);
}

TEST_F(InstanceBroadcastReceiverTest, OtherMessagesAndOtherCodesChangeNothing)
{
    GetSettings().SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 77);
    const uint32_t historyStamp = GetHistoryStamp();
    // The settings code under another message number.
    EXPECT_FALSE(OnInstanceBroadcast({m_main.Handle(), 0x0AA4, kBroadcastSettingsSaved, ::getpid() + 1},
                                     m_main.Handle()));
    for (unsigned code : {1u, 2u, 7u, 99u})
        EXPECT_FALSE(Deliver(code, 0xFFFFFFFFll));
    EXPECT_EQ(GetSettings().GetStringValue(SETTING_CONNECTIONS_MAX_CONNECTS), "77");
    EXPECT_EQ(GetHistoryStamp(), historyStamp);
    EXPECT_EQ(PostedCount(), 0u);
    EXPECT_EQ(g_passwordLoads + g_cookieLoads, 0);
}

TEST_F(InstanceBroadcastReceiverTest, HistoryReloadsOnlyForANewerStamp)
{
    AddToHistory("http://saved.example/");
    ASSERT_TRUE(SaveHistory());
    ClearHistory();
    const uint32_t own = GetHistoryStamp();

    EXPECT_FALSE(Deliver(kBroadcastHistorySaved, own));
    EXPECT_TRUE(GetHistoryList().empty());
    EXPECT_FALSE(Deliver(kBroadcastHistorySaved, own - 1));
    EXPECT_TRUE(GetHistoryList().empty());

    EXPECT_FALSE(Deliver(kBroadcastHistorySaved, static_cast<int64_t>(own) + 1));
    EXPECT_EQ(GetHistoryList(), std::vector<std::string>{"http://saved.example/"});
}

TEST_F(InstanceBroadcastReceiverTest, StampsCompareAsUnsigned32BitWords)
{
    // A stamp past 2^31 (a machine up for more than 24 days) is newer than a
    // small one, not negative.
    AddToHistory("http://saved.example/");
    ASSERT_TRUE(SaveHistory());
    ClearHistory();
    ASSERT_LT(GetHistoryStamp(), 0x90000000u);
    Deliver(kBroadcastHistorySaved, 0x90000000ll);
    EXPECT_EQ(GetHistoryList().size(), 1u);
}

TEST_F(InstanceBroadcastReceiverTest, PasswordsAndCookiesReloadOnlyForANewerStamp)
{
    GetPasswordStore().Set("ftp://site.example/", "secret");
    const uint32_t passwords = GetPasswordStore().GetStamp();
    Deliver(kBroadcastPasswordsSaved, passwords);
    EXPECT_EQ(g_passwordLoads, 0);
    Deliver(kBroadcastPasswordsSaved, static_cast<int64_t>(passwords) + 1);
    EXPECT_EQ(g_passwordLoads, 1);

    GetCookieStore().Clear();
    const uint32_t cookies = GetCookieStore().GetStamp();
    Deliver(kBroadcastCookiesSaved, cookies);
    EXPECT_EQ(g_cookieLoads, 0);
    Deliver(kBroadcastCookiesSaved, static_cast<int64_t>(cookies) + 1);
    EXPECT_EQ(g_cookieLoads, 1);
    EXPECT_EQ(g_passwordLoads, 1);
    GetPasswordStore().RemoveAll();
}
} // namespace
