#include "dialogs/PasswordsDlg.h"

#include "dialogs/ComposeUrlDlg.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/ListCtrl.h"
#include "res/Resources.h"
#include "widgets/ListColumns.h"

#include <QIcon>
#include <QPixmap>
#include <QTreeView>

namespace
{
// Collects the resources a store hands out, in its order.
class CResourceCollector : public CPasswordStore
{
public:
    bool Set(std::string_view resource, std::string_view) override
    {
        m_resources.emplace_back(resource);
        return true;
    }

    std::vector<std::string> m_resources;
};

// Copies every entry into a store (Enumerate hands them to Set).
void CopyEntries(CPasswordStore& from, CPasswordStore& to)
{
    from.Enumerate(to);
}
} // namespace

CPasswordsDlg::CPasswordsDlg(CPasswordStore& store, std::function<bool()> saveStore, QWidget* parent)
    : CDialog(IDD_PASSWORDS, parent), m_store(store), m_saveStore(std::move(saveStore))
{
    if (const DialogDesc* description = FindDialog(IDD_PASSWORDS))
        BuildDialogFromDescription(*this, *description);
    m_list = qobject_cast<CListCtrl*>(GetDlgItem(IDC_PASSWORDS_LIST));
    OnCommand(IDC_PASSWORDS_ADD, [this] { OnAddPassword(); });
    OnCommand(IDC_PASSWORDS_CHANGE, [this] { OnChangePassword(); });
    OnCommand(IDC_PASSWORDS_REMOVE, [this] { OnRemove(); });
    OnCommand(IDC_PASSWORDS_REMOVE_ALL, [this] { OnRemoveAll(); });
    OnCommand(IDC_PASSWORDS_HELP, [this] { OnHelp(); });
}

CPasswordsDlg::~CPasswordsDlg() = default;

bool CPasswordsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const QImage icon = LoadIconResource(IDI_PASSWORDS);
    if (!icon.isNull())
        setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    if (m_list)
    {
        m_list->InsertColumn(0, "Resource", LVCFMT_LEFT, 200);
        connect(m_list, &CListCtrl::itemChanged, this, [this] { UpdateButtons(); });
        connect(m_list, &CListCtrl::itemActivated, this, [this] { OnChangePassword(); });
    }
    CopyEntries(m_store, m_workingCopy);
    FillList();
    // The dialog never gets smaller than it opened.
    setMinimumSize(sizeHint());
    return true;
}

std::vector<std::string> CPasswordsDlg::GetRows() const
{
    std::vector<std::string> rows;
    for (int row = 0; m_list && row < m_list->GetItemCount(); ++row)
        rows.push_back(m_list->GetItemText(row, 0));
    return rows;
}

void CPasswordsDlg::FillList(const std::string& select)
{
    if (!m_list)
        return;
    m_list->DeleteAllItems();
    CResourceCollector collector;
    m_workingCopy.Enumerate(collector);
    int selected = collector.m_resources.empty() ? -1 : 0;
    for (const std::string& resource : collector.m_resources)
    {
        const int row = m_list->InsertItem(m_list->GetItemCount(), resource);
        if (!select.empty() && EqualsNoCase(resource, select))
            selected = row;
    }
    if (selected >= 0)
    {
        m_list->SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list->EnsureVisible(selected);
    }
    AutoSizeListColumn(m_list->ReportView()->header(), 0, 200);
    UpdateButtons();
}

void CPasswordsDlg::UpdateButtons()
{
    const int selected = m_list ? m_list->GetSelectedCount() : 0;
    const int rows = m_list ? m_list->GetItemCount() : 0;
    const auto enable = [this](int id, bool on) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(on);
    };
    enable(IDC_PASSWORDS_REMOVE, selected > 0);
    enable(IDC_PASSWORDS_REMOVE_ALL, rows > 0);
    enable(IDC_PASSWORDS_CHANGE, selected == 1);
    enable(IDOK, m_changeCount > 0);
}

std::string CPasswordsDlg::EditEntry(int protocol, const std::string& host, int port, const std::string& user,
                                     const std::string& password)
{
    CComposeUrlDlg dialog(this);
    dialog.m_protocols.push_back(URL_SCHEME_SOCKS4);
    dialog.m_protocols.push_back(URL_SCHEME_SOCKS5);
    dialog.m_protocol = protocol;
    dialog.m_host = host;
    dialog.m_port = port;
    dialog.m_user = user;
    dialog.m_password = password;
    dialog.m_authentication = true;
    dialog.m_credentialsMode = true;
    if (dialog.DoModal() != IDOK)
        return {};
    const std::string resource = ComposeUrl(dialog.m_protocol, dialog.m_host, "", dialog.m_port, dialog.m_user, "");
    if (resource.empty() || !m_workingCopy.Set(resource, dialog.m_password))
        return {};
    return resource;
}

void CPasswordsDlg::OnAddPassword()
{
    const std::string resource = EditEntry(URL_SCHEME_HTTP, "", 80, "", "");
    if (resource.empty())
        return;
    ++m_changeCount;
    FillList(resource);
}

void CPasswordsDlg::OnChangePassword()
{
    if (!m_list || m_list->GetSelectedCount() != 1)
        return;
    const std::string old = m_list->GetItemText(m_list->GetNextItem(-1, LVNI_SELECTED), 0);
    CUrlParts parts;
    std::string path;
    if (!ParseUrlToParts(old.c_str(), parts, path, true))
    {
        // Nothing half-read is offered for editing.
        parts.Clear();
        parts.m_scheme = URL_SCHEME_HTTP;
        parts.m_port = 80;
    }
    std::string password;
    (void)m_workingCopy.Get(old, password);
    // The old entry stays until the new one is safely stored.
    const std::string resource = EditEntry(parts.m_scheme, parts.m_host, parts.m_port, parts.m_user, password);
    if (resource.empty())
        return;
    if (!EqualsNoCase(resource, old))
        (void)m_workingCopy.Remove(old);
    ++m_changeCount;
    FillList(resource);
}

void CPasswordsDlg::OnRemove()
{
    if (!m_list || m_list->GetSelectedCount() == 0)
        return;
    for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
    {
        (void)m_workingCopy.Remove(m_list->GetItemText(row, 0));
        ++m_changeCount;
    }
    FillList();
    m_list->setFocus();
}

void CPasswordsDlg::OnRemoveAll()
{
    m_workingCopy.RemoveAll();
    ++m_changeCount;
    FillList();
    if (m_list)
        m_list->setFocus();
}

void CPasswordsDlg::OnOK()
{
    if (m_changeCount <= 0 || !UpdateData(true))
        return;
    m_store.RemoveAll();
    CopyEntries(m_workingCopy, m_store);
    if (m_saveStore && !m_saveStore())
        AfxMessageBox(LoadResourceString(IDS_CANNOT_SAVE_PASSWORDS), MB_OK | MB_ICONERROR);
    EndDialog(IDOK);
}

void RunPasswordsDialog(CPasswordStore& store, std::function<bool()> saveStore)
{
    CPasswordsDlg dialog(store, std::move(saveStore));
    dialog.DoModal();
}
