#include "dialogs/CacheDlg.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "platform/core/Text.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"
#include "widgets/ListColumns.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace
{
constexpr const char* kProtocols[] = {"http", "https", "ftp"};
constexpr int kColumnWidth = 200;

// The sub-folders of one folder, in the order the walk reports them; links
// are reported as files and so left out.
class CFolderCollector : public IFileEntryVisitor
{
public:
    bool OnEntry(const std::string& name, int64_t, uint32_t, const COleDateTime&, int kind,
                 const std::string&) override
    {
        if (kind == kPathDirectory)
            m_folders.push_back(name);
        return true;
    }

    std::vector<std::string> m_folders;
};

std::string ProtocolFolderOf(const std::string& sitePath)
{
    const size_t slash = sitePath.find_last_of('/');
    return slash == std::string::npos ? std::string() : sitePath.substr(0, slash);
}
} // namespace

CCacheDlg::CCacheDlg(std::string cacheFolder, QWidget* parent)
    : CDialog(IDD_CACHE, parent), m_cacheFolder(std::move(cacheFolder))
{
    BuildControls();
    OnCommand(IDC_CACHE_CLEAN, [this] { OnClean(); });
    OnCommand(IDC_CACHE_CLEAN_ALL, [this] { OnCleanAll(); });
    OnCommand(IDC_CACHE_REFRESH, [this] { FillList(); });
}

CCacheDlg::~CCacheDlg() = default;

void CCacheDlg::BuildControls()
{
    const DialogDesc* description = FindDialog(IDD_CACHE);
    if (!description)
        return;
    setWindowTitle(QString::fromUtf8(description->m_caption));
    // The list is the owner-drawn one, which the builder does not make; the
    // other controls come from the description.
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    QLabel* label = nullptr;
    for (const ControlDesc& control : description->m_controls)
    {
        if (control.m_id == static_cast<int>(IDC_CACHE_LIST))
        {
            m_list = new COwnerDrawListCtrl;
            layout->addWidget(m_list, 1);
            SetDlgItem(control.m_id, m_list);
            if (label)
                label->setBuddy(m_list);
            continue;
        }
        QWidget* widget = CreateControl(control);
        if (control.m_kind == ControlKind::Static)
        {
            label = qobject_cast<QLabel*>(widget);
            layout->addWidget(widget);
        }
        else
        {
            if (control.m_id == IDCANCEL)
                buttons->addStretch(1);
            buttons->addWidget(widget);
        }
        SetDlgItem(control.m_id, widget);
    }
    layout->addLayout(buttons);
}

bool CCacheDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list)
    {
        m_list->InsertColumn(0, LoadResourceString(IDS_COLUMN_SITES), LVCFMT_LEFT, kColumnWidth);
        connect(m_list, &CListCtrl::itemChanged, this, [this] { UpdateButtons(); });
    }
    FillList();
    return true;
}

void CCacheDlg::FillList()
{
    m_paths.clear();
    if (m_list)
        m_list->DeleteAllItems();
    if (!m_cacheFolder.empty())
    {
        for (const char* protocol : kProtocols)
        {
            const std::string protocolFolder = CombinePath(m_cacheFolder, protocol);
            if (!IsRealDirectory(protocolFolder))
                continue;
            CFolderCollector collector;
            (void)EnumerateFilesRecursive(protocolFolder, collector, 0, nullptr, false, nullptr);
            for (const std::string& name : collector.m_folders)
            {
                m_paths.push_back(CombinePath(protocolFolder, name));
                if (m_list)
                    m_list->InsertItem(m_list->GetItemCount(), std::string(protocol) + "://" + name);
            }
        }
    }
    if (m_list)
        AutoSizeListColumn(m_list->ReportView()->header(), 0, kColumnWidth);
    UpdateButtons();
}

void CCacheDlg::UpdateButtons()
{
    const int selected = m_list ? m_list->GetSelectedCount() : 0;
    if (QWidget* clean = GetDlgItem(IDC_CACHE_CLEAN))
        clean->setEnabled(selected > 0);
    if (QWidget* cleanAll = GetDlgItem(IDC_CACHE_CLEAN_ALL))
        cleanAll->setEnabled(!m_paths.empty());
}

bool CCacheDlg::DeleteSiteFolder(const std::string& path) const
{
    // The protocol folder may have been replaced by a link since the fill;
    // a path through it would then lead out of the cache.
    if (!IsRealDirectory(ProtocolFolderOf(path)))
        return false;
    return RemoveDirectoryTree(path, "*");
}

void CCacheDlg::DeleteRows(const std::vector<int>& rows)
{
    for (size_t index = 0; index < rows.size(); ++index)
    {
        const int row = rows[index];
        if (row < 0 || row >= static_cast<int>(m_paths.size()))
            continue;
        const std::string& path = m_paths[static_cast<size_t>(row)];
        if (DeleteSiteFolder(path))
            continue;
        if (index + 1 == rows.size())
        {
            AfxMessageBox(Format(LoadResourceString(IDS_CANNOT_DELETE), path.c_str()), MB_OK | MB_ICONERROR);
            break;
        }
        if (AfxMessageBox(Format(LoadResourceString(IDS_CANNOT_DELETE_CONTINUE), path.c_str()),
                          MB_YESNO | MB_ICONQUESTION) != IDYES)
            break;
    }
    FillList();
}

void CCacheDlg::OnClean()
{
    std::vector<int> rows;
    for (int row = m_list ? m_list->GetNextItem(-1, LVNI_SELECTED) : -1; row >= 0;
         row = m_list->GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    if (!rows.empty())
        DeleteRows(rows);
}

void CCacheDlg::OnCleanAll()
{
    if (m_paths.empty())
        return;
    if (AfxMessageBox(LoadResourceString(IDS_ASK_CLEAN_CACHE), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::vector<int> rows;
    for (int row = 0; row < static_cast<int>(m_paths.size()); ++row)
        rows.push_back(row);
    DeleteRows(rows);
}

void ShowCacheDialog(const std::string& cacheFolder)
{
    CCacheDlg dialog(cacheFolder);
    dialog.DoModal();
}
