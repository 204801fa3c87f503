#include "dialogs/SettingsDlg.h"

#include "dialogs/SettingsBanner.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/TreeCtrl.h"
#include "res/Resources.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>

namespace
{
std::string WithoutLeadingBackslashes(std::string path)
{
    const size_t first = path.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : path.substr(first);
}

CSettingsTreeItem* RecordOf(const CTreeCtrl* tree, QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<CSettingsTreeItem*>(tree->GetItemData(item)) : nullptr;
}
} // namespace

CSettingsDlg::CSettingsDlg(std::string startPath, QWidget* parent)
    : CDialog(IDD_SETTINGS, parent), m_startPath(std::move(startPath))
{
    BuildControls();
}

CSettingsDlg::~CSettingsDlg()
{
    // The tree frees its records as it deletes its items.
    if (m_tree)
        m_tree->DeleteAllItems();
}

void CSettingsDlg::BuildControls()
{
    const DialogDesc* description = FindDialog(IDD_SETTINGS);
    if (!description)
        return;
    setWindowTitle(QString::fromUtf8(description->m_caption));
    // The tree beside the banner and the page, so the rows of the builder do
    // not fit; the controls come from the description all the same.
    auto* grid = new QGridLayout(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const ControlDesc& control : description->m_controls)
    {
        if (control.m_id == static_cast<int>(IDC_SETTINGS_PAGE_AREA))
        {
            // The page area takes the placeholder's place.
            m_pageArea = new QWidget;
            m_pageStack = new QStackedLayout(m_pageArea);
            m_pageStack->setContentsMargins(0, 0, 0, 0);
            grid->addWidget(m_pageArea, 1, 1);
            continue;
        }
        QWidget* widget = nullptr;
        if (control.m_id == static_cast<int>(IDC_SETTINGS_BANNER))
        {
            m_banner = new CSettingsBanner(IDB_SETTINGS_BANNER);
            widget = m_banner;
            grid->addWidget(widget, 0, 1);
        }
        else
        {
            widget = CreateControl(control);
            switch (control.m_id)
            {
            case IDC_SETTINGS_CATEGORY: grid->addWidget(widget, 0, 0); break;
            case IDC_SETTINGS_TREE:
                m_tree = static_cast<CTreeCtrl*>(widget);
                m_tree->setHeaderHidden(true);
                grid->addWidget(widget, 1, 0);
                break;
            case IDC_SETTINGS_STATIC: grid->addWidget(widget, 2, 0, 1, 2); break;
            default: buttons->addWidget(widget); break;
            }
        }
        SetDlgItem(control.m_id, widget);
    }
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    // Apply and Help are the dialog's own buttons, not commands: a page's
    // button with the same id (the Proxy page's Add) must not reach them.
    if (auto* apply = qobject_cast<QPushButton*>(GetDlgItem(IDC_SETTINGS_APPLY)))
        connect(apply, &QPushButton::clicked, this, [this] { OnAccept(); });
    if (auto* help = qobject_cast<QPushButton*>(GetDlgItem(IDC_SETTINGS_HELP)))
        connect(help, &QPushButton::clicked, this, [this] { OnHelp(); });
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_SETTINGS_CATEGORY)); label && m_tree)
        label->setBuddy(m_tree);
    if (m_tree)
    {
        connect(m_tree, &CTreeCtrl::selectionChanged, this, [this] { OnTreeSelChanged(); });
        connect(m_tree, &CTreeCtrl::itemDeleting, this,
                [](HTREEITEM, DWORD_PTR data) { delete reinterpret_cast<CSettingsTreeItem*>(data); });
    }
}

void CSettingsDlg::AddPage(std::unique_ptr<CSettingsPage> page)
{
    if (!page)
        return;
    page->SetPath(WithoutLeadingBackslashes(page->GetPath()));
    if (page->GetOrder() == -1)
        page->SetOrder(++m_pageCounter);
    for (auto& existing : m_pages)
    {
        if (existing->GetPath() == page->GetPath())
        {
            existing = std::move(page);
            return;
        }
    }
    m_pages.push_back(std::move(page));
}

CSettingsPage* CSettingsDlg::FindPage(const std::string& path) const
{
    for (const auto& page : m_pages)
    {
        if (page->GetPath() == path)
            return page.get();
    }
    return nullptr;
}

bool CSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const auto& page : m_pages)
    {
        if (!page->CreateFromTemplate(m_pageArea))
            continue;
        m_pageStack->addWidget(page.get());
        page->hide();
        page->setEnabled(false);
        QTreeWidgetItem* item = AddTreePath(page->GetPath(), page->GetCaption(), page->GetOrder());
        page->AttachToOwner(this, WM_PAGE_MODIFIED, reinterpret_cast<std::uintptr_t>(item));
    }
    if (m_tree)
    {
        m_tree->SortChildren(TVI_ROOT, [](DWORD_PTR a, DWORD_PTR b) {
            const int first = reinterpret_cast<CSettingsTreeItem*>(a)->m_order;
            const int second = reinterpret_cast<CSettingsTreeItem*>(b)->m_order;
            return first < second ? -1 : first > second ? 1 : 0;
        });
    }
    EnableApply(false);
    SelectPageByPath(m_startPath);
    return true;
}

QTreeWidgetItem* CSettingsDlg::AddTreePath(std::string path, const std::string& caption, int order)
{
    if (!m_tree)
        return nullptr;
    path = WithoutLeadingBackslashes(path);
    QTreeWidgetItem* parent = TVI_ROOT;
    QTreeWidgetItem* result = nullptr;
    std::string fullPath;
    while (!path.empty())
    {
        const size_t slash = path.find('\\');
        std::string part;
        if (slash == 0 || slash == std::string::npos)
        {
            part = path;
            path.clear();
        }
        else
        {
            part = path.substr(0, slash);
            path.erase(0, slash + 1);
        }
        fullPath += '\\' + part;
        const bool last = path.empty();

        QTreeWidgetItem* found = nullptr;
        for (QTreeWidgetItem* child = parent ? m_tree->GetChildItem(parent) : m_tree->GetRootItem(); child;
             child = m_tree->GetNextSiblingItem(child))
        {
            const CSettingsTreeItem* record = RecordOf(m_tree, child);
            if (record && record->m_name == part)
            {
                found = child;
                break;
            }
        }
        if (found)
        {
            if (last)
            {
                *RecordOf(m_tree, found) = {part, fullPath, order};
                m_tree->SetItemText(found, caption);
                result = found;
                break;
            }
            parent = found;
            continue;
        }
        QTreeWidgetItem* item = m_tree->InsertItem(last ? caption : part, -1, -1, parent, TVI_LAST);
        m_tree->SetItemData(item, reinterpret_cast<DWORD_PTR>(new CSettingsTreeItem{part, fullPath, order}));
        if (parent)
            m_tree->Expand(parent, TVE_EXPAND);
        result = item;
        parent = item;
    }
    return result;
}

void CSettingsDlg::OnTreeSelChanged()
{
    if (m_inSelChange)
        return;
    m_inSelChange = true;
    const CSettingsTreeItem* record = RecordOf(m_tree, m_tree->GetSelectedItem());
    SelectPageByPath(record ? record->m_fullPath : std::string());
    m_inSelChange = false;
}

void CSettingsDlg::SelectPageByPath(std::string path)
{
    ShowPage(FindPage(WithoutLeadingBackslashes(std::move(path))));
}

QTreeWidgetItem* CSettingsDlg::FindTreeItem(const CSettingsPage* page) const
{
    // The tree item is the page's notify parameter.
    return page ? reinterpret_cast<QTreeWidgetItem*>(page->GetNotifyParam()) : nullptr;
}

void CSettingsDlg::ShowPage(CSettingsPage* page)
{
    if (page == m_current)
        return;
    if (m_current && !m_current->UpdateData(true))
    {
        // The current page keeps the user until its values are valid.
        const bool wasInSelChange = m_inSelChange;
        m_inSelChange = true;
        m_tree->SelectItem(FindTreeItem(m_current));
        m_inSelChange = wasInSelChange;
        return;
    }
    CSettingsPage* old = m_current;
    if (page)
    {
        page->setEnabled(true);
        m_pageStack->setCurrentWidget(page);
        page->show();
        QWidget::setTabOrder(m_tree, page);
    }
    if (old)
    {
        old->hide();
        old->setEnabled(false);
    }
    m_current = page;
    if (!m_inSelChange && m_tree)
    {
        m_inSelChange = true;
        m_tree->SelectItem(page ? FindTreeItem(page) : nullptr);
        m_inSelChange = false;
    }
    m_currentPath = page ? page->GetPath() : std::string();
    if (m_banner)
        m_banner->SetCaption(page ? page->GetCaption() : std::string());
}

std::string CSettingsDlg::GetBannerCaption() const
{
    return m_banner ? m_banner->GetCaption() : std::string();
}

void CSettingsDlg::EnableApply(bool on)
{
    m_applyEnabled = on;
    if (QWidget* apply = GetDlgItem(IDC_SETTINGS_APPLY))
        apply->setEnabled(on);
}

void CSettingsDlg::OnPageNotify(UINT message, std::uintptr_t, const std::string&)
{
    if (message == WM_PAGE_MODIFIED)
        OnPageModified();
}

void CSettingsDlg::OnPageModified()
{
    int modified = 0;
    for (const auto& page : m_pages)
        modified += page->IsModified() ? 1 : 0;
    EnableApply(modified > 0);
}

bool CSettingsDlg::OnAccept()
{
    int applied = 0;
    CSettingsPage* failed = nullptr;
    for (const auto& page : m_pages)
    {
        if (!page->IsModified())
            continue;
        if (!page->UpdateData(true) || !page->ApplyBindings())
        {
            failed = page.get();
            break;
        }
        page->SetModified(false);
        ++applied;
    }
    // What was applied reaches the live settings either way, so it is saved
    // and announced even when a later page stopped the step.
    if (applied > 0)
    {
        if (m_saveSettings)
            m_saveSettings();
        OnPageModified();
        if (QWidget* first = nextInFocusChain())
            first->setFocus(Qt::OtherFocusReason);
        if (m_settingsChanged)
            m_settingsChanged();
    }
    if (failed)
    {
        // The failing page is shown with the focus on its control, even when
        // another page was current.
        if (failed != m_current)
        {
            CSettingsPage* keep = m_current;
            m_current = nullptr;
            if (keep)
            {
                keep->hide();
                keep->setEnabled(false);
            }
            ShowPage(failed);
        }
        if (QWidget* control = failed->GetFailedControl())
            control->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void CSettingsDlg::OnOK()
{
    if (OnAccept())
        EndDialog(IDOK);
}

void CSettingsDlg::OnHelp()
{
    GetModalDriver().ShowHelp(m_current ? m_current->GetTemplateId() : GetTemplateId());
}
