// The Passwords dialog (edits on a working copy, Save replaces the store and
// writes its file, Cancel leaves both) and the Cookies dialog (rows as the
// store reports them, removal by domain, path and name at once, the file
// written after each change).

#include "dialogs/ComposeUrlDlg.h"
#include "dialogs/CookiesDlg.h"
#include "dialogs/PasswordsDlg.h"

#include "foundation/links/UrlParts.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/stores/PasswordStore.h"
#include "platform/core/OleDateTime.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace
{
void Click(CDialog& dialog, int id)
{
    QWidget* button = dialog.GetDlgItem(id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

bool IsEnabled(CDialog& dialog, int id)
{
    QWidget* control = dialog.GetDlgItem(id);
    return control && control->isEnabled();
}

void Type(CDialog& dialog, int id, const std::string& text)
{
    auto* edit = qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
}

std::string Text(CDialog& dialog, int id)
{
    auto* edit = qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
    return edit ? edit->text().toStdString() : std::string("<no edit>");
}

void SelectRows(CListCtrl& list, const std::vector<int>& rows)
{
    for (int row = 0; row < list.GetItemCount(); ++row)
        list.SetItemState(row, 0, LVIS_SELECTED);
    for (int row : rows)
        list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}

// Every entry of a password store, resource to password.
std::map<std::string, std::string> Entries(CPasswordStore& store)
{
    class CCollector : public CPasswordStore
    {
    public:
        bool Set(std::string_view resource, std::string_view password) override
        {
            m_entries[std::string(resource)] = password;
            return true;
        }
        std::map<std::string, std::string> m_entries;
    } collector;
    store.Enumerate(collector);
    return collector.m_entries;
}

// Runs a dialog; passwords is the script for the Passwords (or Cookies)
// dialog, compose the one for each Compose URL dialog it opens.
class StoreDialogTest : public ::testing::Test
{
protected:
    void SetScripts(std::function<void(CDialog&)> main, std::function<void(CComposeUrlDlg&)> compose = {})
    {
        m_driver.SetDialogScript([main, compose](QDialog& dialog) {
            if (auto* url = dynamic_cast<CComposeUrlDlg*>(&dialog))
            {
                ASSERT_TRUE(compose) << "unexpected Compose URL dialog";
                compose(*url);
                return;
            }
            main(static_cast<CDialog&>(dialog));
        });
    }

    QApplication& m_application = TestApplication();
    CRecordingModalDriver m_driver;
    CTempFolder m_temp;
};

class PasswordsDialogTest : public StoreDialogTest
{
protected:
    void SetUp() override
    {
        for (const auto& [resource, password] : kInitial)
            ASSERT_TRUE(m_store.Set(resource, password));
    }

    // Runs the dialog over m_store, saving to m_path; its result.
    int Run(const std::function<void(CPasswordsDlg&)>& script, std::function<void(CComposeUrlDlg&)> compose = {})
    {
        CPasswordsDlg dialog(m_store, [this] {
            ++m_saves;
            return m_store.Save(m_path, "");
        });
        SetScripts([&](CDialog&) { script(dialog); }, std::move(compose));
        return dialog.DoModal();
    }

    const std::map<std::string, std::string> kInitial = {
        {"ftp://bob@b.example:2121", "pb"},
        {"http://alice@a.example", "pa"},
        {"https://carol@c.example", "pc"},
    };
    CPasswordStore m_store;
    std::string m_path = m_temp / "Passwords.bf";
    int m_saves = 0;
};

TEST_F(PasswordsDialogTest, RemovingThreeCountsThreeAndCancelLeavesStoreAndFile)
{
    const int result = Run([](CPasswordsDlg& dialog) {
        EXPECT_EQ(dialog.GetRows(), (std::vector<std::string>{"ftp://bob@b.example:2121", "http://alice@a.example",
                                                                "https://carol@c.example"}));
        EXPECT_FALSE(IsEnabled(dialog, IDOK)); // Save needs an edit first
        EXPECT_TRUE(IsEnabled(dialog, IDC_PASSWORDS_CHANGE)); // the first row is selected
        SelectRows(*dialog.GetList(), {0, 1, 2});
        EXPECT_FALSE(IsEnabled(dialog, IDC_PASSWORDS_CHANGE));
        Click(dialog, IDC_PASSWORDS_REMOVE);
        EXPECT_EQ(dialog.GetChangeCount(), 3);
        EXPECT_TRUE(dialog.GetRows().empty());
        EXPECT_TRUE(IsEnabled(dialog, IDOK));
        EXPECT_FALSE(IsEnabled(dialog, IDC_PASSWORDS_REMOVE_ALL));
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Entries(m_store), kInitial);
    EXPECT_EQ(m_saves, 0);
    CPasswordStore reread;
    EXPECT_FALSE(reread.Load(m_path, "")); // nothing was written
}

TEST_F(PasswordsDialogTest, AddChangeRemoveAndSaveReachTheFile)
{
    int composeRuns = 0;
    const int result = Run(
        [](CPasswordsDlg& dialog) {
            Click(dialog, IDC_PASSWORDS_ADD);
            // The new resource has no port (80 is HTTP's) and is selected.
            EXPECT_EQ(dialog.GetRows(), (std::vector<std::string>{"ftp://bob@b.example:2121", "http://alice@a.example",
                                                                    "http://u@h.example", "https://carol@c.example"}));
            EXPECT_EQ(dialog.GetList()->GetNextItem(-1, LVNI_SELECTED), 2);
            EXPECT_EQ(dialog.GetChangeCount(), 1);

            SelectRows(*dialog.GetList(), {0});
            Click(dialog, IDC_PASSWORDS_CHANGE);
            EXPECT_EQ(dialog.GetList()->GetItemText(dialog.GetList()->GetNextItem(-1, LVNI_SELECTED), 0),
                      "ftp://bob@b.example");

            SelectRows(*dialog.GetList(), {3}); // https://carol@c.example
            Click(dialog, IDC_PASSWORDS_REMOVE);
            EXPECT_EQ(dialog.GetChangeCount(), 3);
            Click(dialog, IDOK);
        },
        [&](CComposeUrlDlg& compose) {
            ++composeRuns;
            auto* protocols = qobject_cast<QComboBox*>(compose.GetDlgItem(IDC_COMPOSE_PROTOCOL));
            ASSERT_NE(protocols, nullptr);
            // SOCKS4 and SOCKS5 are offered beside HTTP, HTTPS and FTP.
            EXPECT_EQ(protocols->count(), 5);
            if (composeRuns == 1)
            {
                EXPECT_EQ(protocols->currentText().toStdString(), "HTTP");
                EXPECT_EQ(Text(compose, IDC_COMPOSE_PORT), "80");
                Type(compose, IDC_COMPOSE_HOST, "H.example");
                Type(compose, IDC_COMPOSE_USER, "u");
                Type(compose, IDC_COMPOSE_PASSWORD, "secret");
            }
            else
            {
                // The stored entry, taken apart for editing.
                EXPECT_EQ(protocols->currentText().toStdString(), "FTP");
                EXPECT_EQ(Text(compose, IDC_COMPOSE_HOST), "b.example");
                EXPECT_EQ(Text(compose, IDC_COMPOSE_PORT), "2121");
                EXPECT_EQ(Text(compose, IDC_COMPOSE_USER), "bob");
                EXPECT_EQ(Text(compose, IDC_COMPOSE_PASSWORD), "pb");
                Type(compose, IDC_COMPOSE_PORT, "21");
                Type(compose, IDC_COMPOSE_PASSWORD, "changed");
            }
            QTest::mouseClick(compose.GetDlgItem(IDOK), Qt::LeftButton);
        });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(composeRuns, 2);
    const std::map<std::string, std::string> expected = {
        {"ftp://bob@b.example", "changed"},
        {"http://alice@a.example", "pa"},
        {"http://u@h.example", "secret"},
    };
    EXPECT_EQ(Entries(m_store), expected);
    EXPECT_EQ(m_saves, 1);
    CPasswordStore reread;
    ASSERT_TRUE(reread.Load(m_path, ""));
    EXPECT_EQ(Entries(reread), expected);
}

TEST_F(PasswordsDialogTest, CancelledEditsChangeNothingAndRemoveAllEmptiesTheFile)
{
    const int result = Run(
        [](CPasswordsDlg& dialog) {
            Click(dialog, IDC_PASSWORDS_ADD);
            Click(dialog, IDC_PASSWORDS_CHANGE);
            EXPECT_EQ(dialog.GetChangeCount(), 0);
            EXPECT_FALSE(IsEnabled(dialog, IDOK));
            Click(dialog, IDC_PASSWORDS_REMOVE_ALL);
            EXPECT_EQ(dialog.GetChangeCount(), 1);
            EXPECT_TRUE(dialog.GetRows().empty());
            Click(dialog, IDOK);
        },
        [](CComposeUrlDlg& compose) { QTest::mouseClick(compose.GetDlgItem(IDCANCEL), Qt::LeftButton); });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(Entries(m_store).empty());
    CPasswordStore reread;
    EXPECT_TRUE(reread.Load(m_path, "")); // an empty store is written as such
    EXPECT_TRUE(Entries(reread).empty());
}

TEST_F(PasswordsDialogTest, HelpAndAFailedSave)
{
    CPasswordsDlg dialog(m_store, [] { return false; });
    SetScripts([&](CDialog&) {
        Click(dialog, IDC_PASSWORDS_HELP);
        Click(dialog, IDC_PASSWORDS_REMOVE);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(m_driver.HelpRequests(), std::vector<UINT>{IDD_PASSWORDS});
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, LoadResourceString(IDS_CANNOT_SAVE_PASSWORDS));
}

class CookiesDialogTest : public StoreDialogTest
{
protected:
    void SetUp() override
    {
        const COleDateTime added(2024, 6, 1, 12, 30, 5);
        const char* expires = "Fri, 01 Jan 2100 00:00:00 GMT";
        ASSERT_TRUE(m_store.AddCookie("www.example.com", "/", false, "a=1", expires, added));
        ASSERT_TRUE(m_store.AddCookie("www.example.com", "/", true, "b=2", expires, added));
        ASSERT_TRUE(m_store.AddCookie("other.example", "/docs", false, "c=3", expires, added));
    }

    int Run(const std::function<void(CCookiesDlg&)>& script)
    {
        CCookiesDlg dialog(m_store, [this] { return m_store.Save(m_path); });
        SetScripts([&](CDialog&) { script(dialog); });
        return dialog.DoModal();
    }

    // The keys of the cookies a store (or the file reread) holds, sorted.
    static std::vector<std::string> Keys(CCookieStore& store)
    {
        class CKeys : public CCookieStore
        {
        public:
            bool AddCookie(std::string_view, std::string_view, bool, std::string_view cookie, std::string_view,
                           const COleDateTime&) override
            {
                m_keys.emplace_back(cookie);
                return true;
            }
            std::vector<std::string> m_keys;
        } keys;
        store.Enumerate(keys);
        std::sort(keys.m_keys.begin(), keys.m_keys.end());
        return keys.m_keys;
    }

    std::vector<std::string> FileKeys()
    {
        CCookieStore reread;
        if (!reread.Load(m_path))
            return {"<no file>"};
        return Keys(reread);
    }

    static int RowOf(CCookiesDlg& dialog, const std::string& key)
    {
        for (int row = 0; row < dialog.GetList()->GetItemCount(); ++row)
        {
            if (dialog.GetList()->GetItemText(row, 4) == key)
                return row;
        }
        return -1;
    }

    CCookieStore m_store;
    std::string m_path = m_temp / "Cookies.txt";
};

TEST_F(CookiesDialogTest, RowsShowWhatTheStoreReports)
{
    Run([](CCookiesDlg& dialog) {
        CListCtrl& list = *dialog.GetList();
        ASSERT_EQ(list.GetColumnCount(), 6);
        const char* headings[] = {"Domain", "Path", "Expires", "Secure", "Key", "Added"};
        for (int column = 0; column < 6; ++column)
        {
            ListColumn info;
            ASSERT_TRUE(list.GetColumn(column, info));
            EXPECT_EQ(info.m_text, headings[column]);
        }
        ASSERT_EQ(list.GetItemCount(), 3);
        struct
        {
            const char* key;
            const char* domain;
            const char* path;
            const char* secure;
        } const rows[] = {
            {"a=1", "www.example.com", "/", ""},
            {"b=2", "www.example.com", "/", "S"},
            {"c=3", "other.example", "/docs", ""},
        };
        for (const auto& expected : rows)
        {
            const int row = RowOf(dialog, expected.key);
            ASSERT_GE(row, 0) << expected.key;
            EXPECT_EQ(list.GetItemText(row, 0), expected.domain);
            EXPECT_EQ(list.GetItemText(row, 1), expected.path);
            EXPECT_EQ(list.GetItemText(row, 2), "01/01/2100 00:00:00 GMT");
            EXPECT_EQ(list.GetItemText(row, 3), expected.secure);
            EXPECT_EQ(list.GetItemText(row, 5), "06/01/2024 12:30:05");
        }
        Click(dialog, 2);
    });
}

TEST_F(CookiesDialogTest, RemoveTakesOnlyTheRowsCookiesAndRemoveAllTheRest)
{
    Run([this](CCookiesDlg& dialog) {
        // Two cookies on one path: removing the row of b keeps a.
        SelectRows(*dialog.GetList(), {RowOf(dialog, "b=2")});
        Click(dialog, IDC_COOKIES_REMOVE);
        EXPECT_EQ(dialog.GetList()->GetItemCount(), 2);
        EXPECT_EQ(RowOf(dialog, "b=2"), -1);
        EXPECT_EQ(Keys(m_store), (std::vector<std::string>{"a=1", "c=3"}));
        EXPECT_EQ(FileKeys(), (std::vector<std::string>{"a=1", "c=3"}));

        SelectRows(*dialog.GetList(), {RowOf(dialog, "a=1"), RowOf(dialog, "c=3")});
        Click(dialog, IDC_COOKIES_REMOVE);
        EXPECT_EQ(dialog.GetList()->GetItemCount(), 0);
        EXPECT_EQ(FileKeys(), std::vector<std::string>{});
        Click(dialog, 2);
    });
    EXPECT_TRUE(Keys(m_store).empty());
}

TEST_F(CookiesDialogTest, RemoveAllClearsStoreAndFileAtOnce)
{
    const int result = Run([this](CCookiesDlg& dialog) {
        Click(dialog, IDC_COOKIES_MODIFY); // does nothing
        EXPECT_EQ(dialog.GetList()->GetItemCount(), 3);
        Click(dialog, IDC_COOKIES_REMOVE_ALL);
        EXPECT_EQ(dialog.GetList()->GetItemCount(), 0);
        EXPECT_EQ(FileKeys(), std::vector<std::string>{});
        Click(dialog, 2);
    });
    // Closing has no cancel: the store stays empty.
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(Keys(m_store).empty());
}
} // namespace
