#include "dialogs/CookiesDlg.h"

#include "foundation/stores/CookieStore.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/ListCtrl.h"
#include "res/Resources.h"
#include "widgets/ListColumns.h"

#include <QTreeView>

namespace
{
// Collects what the store reports, one row a cookie, in its order.
class CRowCollector : public CCookieStore
{
public:
    explicit CRowCollector(std::vector<CCookiesDlg::Row>& rows) : m_rows(rows) {}

    bool AddCookie(std::string_view domain, std::string_view path, bool secure, std::string_view cookie,
                   std::string_view expires, const COleDateTime& added) override
    {
        m_rows.push_back({std::string(domain), std::string(path), secure, std::string(cookie), std::string(expires),
                          added.IsValid() ? added.Format("%m/%d/%Y %H:%M:%S") : std::string()});
        return true;
    }

private:
    std::vector<CCookiesDlg::Row>& m_rows;
};

struct Column
{
    UINT m_heading;
    int m_width;
};

constexpr Column kColumns[] = {
    {IDS_COLUMN_DOMAIN, 100}, {IDS_COLUMN_PATH, 40}, {IDS_COLUMN_EXPIRES, 144},
    {IDS_COLUMN_SECURE, 52},  {IDS_COLUMN_KEY, 200}, {IDS_COLUMN_ADDED, 120},
};
} // namespace

CCookiesDlg::CCookiesDlg(CCookieStore& store, std::function<bool()> saveStore, QWidget* parent)
    : CDialog(IDD_COOKIES, parent), m_store(store), m_saveStore(std::move(saveStore))
{
    if (const DialogDesc* description = FindDialog(IDD_COOKIES))
        BuildDialogFromDescription(*this, *description);
    m_list = qobject_cast<CListCtrl*>(GetDlgItem(IDC_COOKIES_LIST));
    OnCommand(IDC_COOKIES_REMOVE, [this] { OnRemove(); });
    OnCommand(IDC_COOKIES_REMOVE_ALL, [this] { OnRemoveAll(); });
    // Modify has nothing to do: cookies are the servers' to change.
    OnCommand(IDC_COOKIES_MODIFY, [] {});
}

CCookiesDlg::~CCookiesDlg() = default;

bool CCookiesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list)
    {
        int column = 0;
        for (const Column& entry : kColumns)
            m_list->InsertColumn(column++, LoadResourceString(entry.m_heading), LVCFMT_LEFT, entry.m_width);
    }
    FillList();
    return true;
}

void CCookiesDlg::FillList()
{
    m_rows.clear();
    CRowCollector collector(m_rows);
    m_store.Enumerate(collector);
    if (!m_list)
        return;
    m_list->DeleteAllItems();
    for (const Row& row : m_rows)
    {
        const int index = m_list->InsertItem(m_list->GetItemCount(), row.m_domain);
        m_list->SetItemText(index, 1, row.m_path);
        m_list->SetItemText(index, 2, row.m_expires);
        m_list->SetItemText(index, 3, row.m_secure ? "S" : "");
        m_list->SetItemText(index, 4, row.m_key);
        m_list->SetItemText(index, 5, row.m_added);
    }
    AutoSizeListColumn(m_list->ReportView()->header(), 0, kColumns[0].m_width);
}

void CCookiesDlg::OnRemove()
{
    if (!m_list || m_list->GetSelectedCount() == 0)
        return;
    bool removed = false;
    for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
    {
        if (row >= static_cast<int>(m_rows.size()))
            break;
        const Row& cookie = m_rows[static_cast<size_t>(row)];
        removed = m_store.RemoveCookie(cookie.m_domain, cookie.m_path, CookieName(cookie.m_key)) || removed;
    }
    FillList();
    if (removed)
        SaveStore();
}

void CCookiesDlg::OnRemoveAll()
{
    m_store.Clear();
    FillList();
    SaveStore();
}

void CCookiesDlg::SaveStore()
{
    if (m_saveStore && !m_saveStore())
        AfxMessageBox(LoadResourceString(IDS_CANNOT_SAVE_COOKIES), MB_OK | MB_ICONERROR);
}

void RunCookiesDialog(CCookieStore& store, std::function<bool()> saveStore)
{
    CCookiesDlg dialog(store, std::move(saveStore));
    dialog.DoModal();
}
