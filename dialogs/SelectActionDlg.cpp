#include "dialogs/SelectActionDlg.h"

#include "dialogs/TaskWizardDlg.h"
#include "foundation/desktop/FileBrowsing.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/MaskColor.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"

#include <QAbstractItemView>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTreeView>

#include <algorithm>

namespace
{
struct ActionDesc
{
    UINT m_name;
    UINT m_icon;
    const char* m_description;
};

// By action code (task property 116).
constexpr ActionDesc kActions[kSelectActionCount] = {
    {IDS_ACTION_CHECK, IDI_ACTION0, "Follow the links of a site or folder and find the broken ones"},
    {IDS_ACTION_BROWSE, IDI_ACTION1, "List the links of one page or folder"},
    {IDS_ACTION_OFFLINE, IDI_ACTION2, "List the links of a page kept in the site cache, without going online"},
    {IDS_ACTION_DOWNLOAD, IDI_ACTION3, "Copy a site or its links to a local folder"},
    {IDS_ACTION_EDIT, IDI_ACTION4, "Open an HTML or text file in the editor"},
    {IDS_ACTION_NEW_PAGE, IDI_ACTION5, "Start a new web page from the template"},
};

constexpr UINT kViewButtons[] = {IDC_ACTION_VIEW_ICONS, IDC_ACTION_VIEW_LIST, IDC_ACTION_VIEW_DETAILS};
constexpr UINT kViewBitmaps[] = {IDB_VIEW_ICONS, IDB_VIEW_LIST, IDB_VIEW_DETAILS};
constexpr int kMinFirstColumn = 100;

const char kEditFilter[] = "HTML Files (*.html;*.htm)|*.html;*.htm|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
} // namespace

CSelectActionDlg::CSelectActionDlg(CTaskDialogContext context, QWidget* parent)
    : CDialog(IDD_SELECT_ACTION, parent), m_task({}, context.m_settings), m_context(std::move(context))
{
    if (const DialogDesc* description = FindDialog(IDD_SELECT_ACTION))
        BuildDialogFromDescription(*this, *description);
    for (int view = 0; view < 3; ++view)
        OnCommand(kViewButtons[view], [this, view] { SetListView(view); });
}

CSelectActionDlg::~CSelectActionDlg() = default;

bool CSelectActionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list = qobject_cast<CListCtrl*>(GetDlgItem(IDC_ACTION_LIST));
    if (!m_list)
        return true;
    // Action i shows image i + 1 of both lists.
    m_large = CImageList(32, 32);
    m_small = CImageList(16, 16);
    m_large.AddStrip(LoadBitmapResource(IDB_ACTIONS_LARGE));
    m_small.AddStrip(LoadBitmapResource(IDB_ACTIONS_SMALL));
    for (const ActionDesc& action : kActions)
    {
        const QImage icon = LoadIconResource(action.m_icon);
        m_large.Add(icon);
        m_small.Add(icon);
    }
    m_list->ModifyStyle(0, LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    m_list->SetImageList(&m_large, LVSIL_NORMAL);
    m_list->SetImageList(&m_small, LVSIL_SMALL);
    m_list->InsertColumn(0, LoadResourceString(IDS_COLUMN_TASK), LVCFMT_LEFT, 100);
    m_list->InsertColumn(1, LoadResourceString(IDS_COLUMN_DESCRIPTION), LVCFMT_LEFT, 180);
    for (int code = 0; code < kSelectActionCount; ++code)
    {
        const int row = m_list->InsertItem(code, LoadResourceString(kActions[code].m_name), code + 1);
        m_list->SetItemText(row, 1, kActions[code].m_description);
        m_list->SetItemData(row, static_cast<DWORD_PTR>(code));
    }
    int chosen = m_context.m_settings ? GetIntOr(*m_context.m_settings, SETTING_LINKS_DEFAULT_TASK, 0) : 0;
    if (chosen < 0 || chosen >= kSelectActionCount)
        chosen = 0;
    m_list->SetItemState(chosen, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list->EnsureVisible(chosen);
    for (int view = 0; view < 3; ++view)
    {
        if (auto* button = qobject_cast<QPushButton*>(GetDlgItem(kViewButtons[view])))
        {
            button->setCheckable(true);
            button->setAutoDefault(false);
            const QImage bitmap = LoadBitmapResource(kViewBitmaps[view]);
            if (!bitmap.isNull())
                button->setIcon(QIcon(QPixmap::fromImage(ReplaceMaskColor(bitmap, 0))));
        }
    }
    SetListView(m_context.m_settings ? GetIntOr(*m_context.m_settings, SETTING_LAYOUT_NEW_TASK_LIST_TYPE, 0) : 0);
    connect(m_list, &CListCtrl::itemChanged, this, [this] { UpdateOk(); });
    // A double click accepts; Enter on the list goes on to the OK button, so
    // here it would accept twice.
    for (QAbstractItemView* view : m_list->findChildren<QAbstractItemView*>())
        view->viewport()->installEventFilter(this);
    connect(m_list, &CListCtrl::itemActivated, this, [this] {
        if (!m_doubleClicked)
            return;
        m_doubleClicked = false;
        Accept();
    });
    UpdateOk();
    m_list->setFocus();
    return false;
}

void CSelectActionDlg::SetListView(int view)
{
    if (view != 1 && view != 2)
        view = 0;
    if (m_list)
        m_list->SetView(view == 1 ? LVS_LIST : view == 2 ? LVS_REPORT : LVS_ICON);
    if (m_context.m_settings)
        m_context.m_settings->SetInt(SETTING_LAYOUT_NEW_TASK_LIST_TYPE, view);
    for (int i = 0; i < 3; ++i)
    {
        if (auto* button = qobject_cast<QPushButton*>(GetDlgItem(kViewButtons[i])))
            button->setChecked(i == view);
    }
    if (view == 2)
        FitFirstColumn();
}

void CSelectActionDlg::FitFirstColumn()
{
    if (!m_list || m_list->GetView() != LVS_REPORT)
        return;
    int others = 0;
    for (int column = 1; column < m_list->GetColumnCount(); ++column)
        others += m_list->GetColumnWidth(column);
    const int room = m_list->ReportView()->viewport()->width() - others;
    m_list->SetColumnWidth(0, std::max(kMinFirstColumn, room));
}

void CSelectActionDlg::UpdateOk()
{
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setEnabled(m_list && m_list->GetSelectedCount() == 1);
}

void CSelectActionDlg::showEvent(QShowEvent* event)
{
    CDialog::showEvent(event);
    // The dialog may grow, never shrink below the size it opened with.
    if (!m_sizeTaken)
    {
        m_sizeTaken = true;
        setMinimumSize(size().expandedTo(sizeHint()));
    }
}

bool CSelectActionDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick)
        m_doubleClicked = true;
    return CDialog::eventFilter(watched, event);
}

void CSelectActionDlg::resizeEvent(QResizeEvent* event)
{
    CDialog::resizeEvent(event);
    FitFirstColumn();
}

void CSelectActionDlg::Accept()
{
    const int row = m_list ? m_list->GetNextItem(-1, LVNI_SELECTED) : -1;
    if (row < 0)
        return;
    const int action = static_cast<int>(m_list->GetItemData(row));
    if (m_context.m_settings)
        m_context.m_settings->SetInt(SETTING_LINKS_DEFAULT_TASK, row);
    if (action >= 0 && action <= 3)
    {
        CTaskWizardDlg wizard(m_context, this);
        wizard.m_task.SetInt(TASK_ACTION, action);
        if (wizard.DoModal() != IDOK)
            return;
        m_task = wizard.m_task;
        EndDialog(IDOK);
        return;
    }
    if (action == 4)
    {
        const std::string file =
            BrowseForFile(false, std::string(), false, CWidgetWindow::HandleOf(this), "", kEditFilter);
        if (file.empty())
            return;
        m_task.SetString(TASK_URI, file.c_str());
    }
    else
    {
        m_task.SetString(TASK_URI, "");
    }
    m_task.SetInt(TASK_ACTION, action);
    EndDialog(IDOK);
}
