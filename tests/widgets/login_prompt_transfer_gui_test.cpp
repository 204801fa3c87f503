// The login prompt answering a real transfer: nginx asks for Basic
// credentials, the HTTP client's question reaches the dialog through the
// prompt queue, the user's answer gets the page; the password, saved to a
// password file in a temporary folder and read back, serves the next
// transfer without asking again.

#include "widgets/LoginPromptDlg.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/ByteBuffer.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/client/TransferServices.h"
#include "transfer/http/HttpClient.h"
#include "transfer/http/MemorySink.h"

#include "tests/servers/NginxServer.h"
#include "tests/support/FileContents.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

namespace
{
using namespace std::chrono_literals;

// The queue's owner: counts the announcements of waiting requests and says
// whether anybody is there to answer.
struct Owner
{
    static int Announce(int)
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        ++s_count;
        s_changed.notify_all();
        return s_answering ? 1 : 0;
    }
    static bool WaitFor(int count)
    {
        std::unique_lock<std::mutex> lock(s_mutex);
        return s_changed.wait_for(lock, 20s, [count] { return s_count >= count; });
    }
    static int Count()
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        return s_count;
    }
    static void SetAnswering(bool answering)
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_answering = answering;
    }
    static inline std::mutex s_mutex;
    static inline std::condition_variable s_changed;
    static inline int s_count = 0;
    static inline bool s_answering = true;
};

int Get(CHttpClient& client, CLinkItem& item, std::string& body)
{
    CByteBuffer buffer;
    CMemorySink sink(&buffer);
    const int result = client.Download(item, sink, 0, -1, nullptr, nullptr);
    body.assign(reinterpret_cast<const char*>(buffer.GetData()), size_t(buffer.GetLength()));
    return result;
}

TEST(LoginPromptTransferTest, AnswersABasicLogonThenTheSavedPasswordServesAlone)
{
    TestApplication();
    CTempFolder scratch;
    WriteWhole(scratch / "htpasswd", "alice:{PLAIN}secret\n");
    CNginxServer nginx;
    CNginxServer::Options options;
    options.m_serverConfig =
        "location /private/ { auth_basic \"Private\"; auth_basic_user_file " + scratch / "htpasswd" + "; }\n";
    ASSERT_TRUE(nginx.WriteDocument("private/secret.txt", "for alice\n"));
    ASSERT_TRUE(nginx.Start(options));
    const std::string site = "127.0.0.1:" + std::to_string(nginx.HttpPort());

    CPropertySet settings;
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 20);
    settings.SetInt(SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION, 1);
    CPasswordStore noPasswords;
    CPromptRequestQueue queue{60s, 60s};
    Owner::SetAnswering(true);
    queue.SetOwner(&Owner::Announce, 3);
    const int announced = Owner::Count();

    // First transfer: the client asks, the dialog answers.
    CHttpClient client(1);
    client.SetServices({.m_settings = &settings, .m_passwords = &noPasswords, .m_prompts = &queue});
    CLinkItem item;
    ASSERT_TRUE(item.SetUrl(("http://" + site + "/private/secret.txt").c_str(), true));
    std::string body;
    auto transfer = std::async(std::launch::async, [&] { return Get(client, item, body); });
    ASSERT_TRUE(Owner::WaitFor(announced + 1)) << "the client asked for no credentials";

    CRecordingModalDriver driver;
    CLoginPromptDlg dialog(queue);
    std::string caption;
    driver.SetDialogScript([&](QDialog&) {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        caption = dialog.windowTitle().toStdString();
        auto* user = qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_LOGIN_USER));
        auto* password = qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_LOGIN_PASSWORD));
        ASSERT_TRUE(user && password);
        QTest::keyClicks(user, "alice");
        QTest::keyClicks(password, "secret");
        QTest::keyClick(password, Qt::Key_Return);
    });
    const int answer = dialog.DoModalNext();
    if (transfer.wait_for(20s) != std::future_status::ready)
    {
        client.Abort();
        ADD_FAILURE() << "the transfer did not end";
    }
    ASSERT_EQ(answer, IDOK);
    EXPECT_EQ(transfer.get(), kResultOk);
    EXPECT_EQ(caption, "http://" + site);
    EXPECT_EQ(body, "for alice\n");

    // Saved to a password file and read back, as the next start would.
    CLinkItem again;
    ASSERT_TRUE(again.SetUrl(("http://" + dialog.m_user + "@" + site + "/private/secret.txt").c_str(), true));
    {
        CPasswordStore saving;
        ASSERT_TRUE(saving.Set(again.GetSiteUrlWithLogin(), dialog.m_password));
        ASSERT_TRUE(saving.Save(scratch / "Passwords.bf", ""));
    }
    CPasswordStore saved;
    ASSERT_TRUE(saved.Load(scratch / "Passwords.bf", ""));

    // Second transfer: nobody would answer now, and nobody is asked.
    Owner::SetAnswering(false);
    const int runs = driver.DialogRuns();
    const int before = Owner::Count();
    CHttpClient second(1);
    second.SetServices({.m_settings = &settings, .m_passwords = &saved, .m_prompts = &queue});
    body.clear();
    EXPECT_EQ(Get(second, again, body), kResultOk);
    EXPECT_EQ(body, "for alice\n");
    EXPECT_EQ(Owner::Count(), before) << "asked again";
    EXPECT_EQ(driver.DialogRuns(), runs);
}
} // namespace
