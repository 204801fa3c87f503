// The login prompt answering waiting worker threads through the prompt
// queue: one dialog per request, Enter answers, Esc cancels, a request
// settled elsewhere is replaced while the dialog is open, and the password
// is never shown.

#include "widgets/LoginPromptDlg.h"

#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

namespace
{
using namespace std::chrono_literals;

// Counts the queue's announcements ("a request waits"), so the test knows a
// worker's request is listed before it goes on.
struct Announcements
{
    static int Owner(int)
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        ++s_count;
        s_changed.notify_all();
        return 1;
    }
    static int Count()
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        return s_count;
    }
    static bool WaitFor(int count)
    {
        std::unique_lock<std::mutex> lock(s_mutex);
        return s_changed.wait_for(lock, 10s, [count] { return s_count >= count; });
    }
    static inline std::mutex s_mutex;
    static inline std::condition_variable s_changed;
    static inline int s_count = 0;
};

// A worker thread waiting in the queue for credentials.
struct Worker
{
    Worker(CPromptRequestQueue& queue, std::string user, std::string prompt) : m_user(std::move(user))
    {
        const int before = Announcements::Count();
        m_thread = std::thread([this, &queue, prompt] {
            m_result = queue.PostAndWait(m_id, m_user, m_password, prompt);
        });
        EXPECT_TRUE(Announcements::WaitFor(before + 1)) << prompt;
    }
    ~Worker()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    int Result()
    {
        m_thread.join();
        return m_result;
    }

    std::atomic<int> m_id{0};
    std::string m_user;
    std::string m_password;
    int m_result = -1;
    std::thread m_thread;
};

QLineEdit* Edit(const CDialog& dialog, int id)
{
    return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
}

class LoginPromptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        {
            std::lock_guard<std::mutex> lock(Announcements::s_mutex);
            Announcements::s_count = 0;
        }
        // One announcement per request: the slice outlasts every test.
        m_queue.SetOwner(&Announcements::Owner, 3);
    }

    static void Activate(QDialog& dialog)
    {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    CRecordingModalDriver m_driver;
    CPromptRequestQueue m_queue{60s, 60s};
};

TEST_F(LoginPromptTest, EachWaitingRequestGetsItsOwnRun)
{
    std::list<Worker> workers;
    Worker& first = workers.emplace_back(m_queue, "", "http://one.example:8080");
    Worker& second = workers.emplace_back(m_queue, "bob", "ftp://two.example");
    // The main frame makes a dialog per run; one used twice must show its
    // second request all the same.
    CLoginPromptDlg dialog(m_queue);
    {
        m_driver.SetDialogScript([&](QDialog&) {
            Activate(dialog);
            EXPECT_EQ(dialog.windowTitle(), "http://one.example:8080");
            EXPECT_EQ(QApplication::focusWidget(), Edit(dialog, IDC_LOGIN_USER)) << "no user name given";
            QTest::keyClicks(Edit(dialog, IDC_LOGIN_USER), "ann");
            QTest::keyClick(Edit(dialog, IDC_LOGIN_USER), Qt::Key_Tab);
            QTest::keyClicks(QApplication::focusWidget(), "pw one");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(dialog.DoModalNext(), IDOK);
    }
    EXPECT_EQ(first.Result(), 1);
    EXPECT_EQ(first.m_user, "ann");
    EXPECT_EQ(first.m_password, "pw one");

    {
        m_driver.SetDialogScript([&](QDialog&) {
            Activate(dialog);
            EXPECT_EQ(dialog.windowTitle(), "ftp://two.example");
            EXPECT_EQ(Edit(dialog, IDC_LOGIN_USER)->text(), "bob");
            EXPECT_EQ(QApplication::focusWidget(), Edit(dialog, IDC_LOGIN_PASSWORD)) << "user name given";
            QTest::keyClicks(QApplication::focusWidget(), "typed");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            EXPECT_FALSE(dialog.isVisible());
        });
        EXPECT_EQ(dialog.DoModalNext(), IDCANCEL);
        EXPECT_EQ(dialog.Request().m_cancelled, 1);
    }
    CPromptRequest left;
    EXPECT_EQ(m_queue.GetPending(left), 0) << "the dismissal reached the queue";
    EXPECT_EQ(second.Result(), 0) << "dismissed";

    // Nothing waits: no dialog at all.
    const int runs = m_driver.DialogRuns();
    CLoginPromptDlg idle(m_queue);
    EXPECT_EQ(idle.DoModalNext(), IDCANCEL);
    EXPECT_EQ(m_driver.DialogRuns(), runs);
}

TEST_F(LoginPromptTest, ARequestSettledElsewhereIsReplacedWhileOpen)
{
    std::list<Worker> workers;
    Worker& gone = workers.emplace_back(m_queue, "carl", "http://gone.example");
    CLoginPromptDlg dialog(m_queue);
    Worker* next = nullptr;
    bool openAfterSameId = false;
    m_driver.SetDialogScript([&](QDialog&) {
        Activate(dialog);
        EXPECT_EQ(dialog.windowTitle(), "http://gone.example");
        next = &workers.emplace_back(m_queue, "", "http://next.example");
        // Another announcement while the shown request still waits: nothing
        // changes, not even what the user typed.
        QTest::keyClicks(Edit(dialog, IDC_LOGIN_PASSWORD), "half");
        dialog.OnWorkerNotify();
        openAfterSameId = dialog.isVisible();
        EXPECT_EQ(Edit(dialog, IDC_LOGIN_PASSWORD)->text(), "half");

        // The first worker stops waiting: the dialog moves on to the next.
        m_queue.Cancel(gone.m_id.load());
        dialog.OnWorkerNotify();
        EXPECT_EQ(dialog.windowTitle(), "http://next.example");
        EXPECT_EQ(Edit(dialog, IDC_LOGIN_USER)->text(), "");
        EXPECT_EQ(Edit(dialog, IDC_LOGIN_PASSWORD)->text(), "");
        QTest::keyClicks(Edit(dialog, IDC_LOGIN_USER), "dora");
        QTest::keyClicks(Edit(dialog, IDC_LOGIN_PASSWORD), "pw");
        QTest::keyClick(Edit(dialog, IDC_LOGIN_PASSWORD), Qt::Key_Enter);
    });
    EXPECT_EQ(dialog.DoModalNext(), IDOK);
    EXPECT_TRUE(openAfterSameId);
    EXPECT_EQ(gone.Result(), 0);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->Result(), 1);
    EXPECT_EQ(next->m_user, "dora");
    EXPECT_EQ(next->m_password, "pw");
}

TEST_F(LoginPromptTest, EndsWhenNothingIsLeftToAnswer)
{
    std::list<Worker> workers;
    Worker& only = workers.emplace_back(m_queue, "", "http://only.example");
    CLoginPromptDlg dialog(m_queue);
    m_driver.SetDialogScript([&](QDialog&) {
        m_queue.Cancel(only.m_id.load());
        dialog.OnWorkerNotify();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(dialog.DoModalNext(), IDCANCEL);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(only.Result(), 0);
}

// The password field shows the same marks for any text of one length; the
// user field, grabbed the same way, shows the difference.
TEST_F(LoginPromptTest, PasswordIsMaskedOnScreen)
{
    CLoginPromptDlg dialog(m_queue);
    dialog.resize(400, 120);
    dialog.show();
    auto grabWith = [&](int id, const char* text) {
        QLineEdit* edit = Edit(dialog, id);
        edit->setText(text);
        return edit->grab().toImage();
    };
    EXPECT_EQ(Edit(dialog, IDC_LOGIN_PASSWORD)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(grabWith(IDC_LOGIN_PASSWORD, "secret"), grabWith(IDC_LOGIN_PASSWORD, "public"));
    EXPECT_NE(grabWith(IDC_LOGIN_USER, "secret"), grabWith(IDC_LOGIN_USER, "public"));
    EXPECT_NE(grabWith(IDC_LOGIN_PASSWORD, "secret"), grabWith(IDC_LOGIN_PASSWORD, "secrets"));
}
} // namespace
