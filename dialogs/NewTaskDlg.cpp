#include "dialogs/NewTaskDlg.h"

#include "dialogs/BrowseField.h"
#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/SettingsPage.h"
#include "dialogs/StartUrl.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/Text.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/ModalDriver.h"
#include "res/Resources.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

namespace
{
constexpr int kUriLimit = 1024;
constexpr int kActionCount = 5; // check, browse, offline, download, edit
constexpr int kActionDownload = 3;
constexpr int kActionEdit = 4;
constexpr UINT kActionIcons[kActionCount] = {IDI_ACTION0, IDI_ACTION1, IDI_ACTION2, IDI_ACTION3, IDI_ACTION4};

// The depth the last dialog's task held when it closed; 0 until the first
// dialog of the run.
int g_rememberedDepth = 0;

QIcon IconOf(UINT id)
{
    const QImage image = LoadIconResource(id);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}
} // namespace

void CNewTaskDlg::ForgetRememberedDepth()
{
    g_rememberedDepth = 0;
}

CNewTaskDlg::CNewTaskDlg(CTaskDialogContext context, QWidget* parent)
    : CDialog(IDD_NEW_TASK, parent), m_task({}, context.m_settings), m_context(std::move(context))
{
    if (const DialogDesc* description = FindDialog(IDD_NEW_TASK))
        BuildDialogFromDescription(*this, *description);
    int action = m_context.m_settings ? GetIntOr(*m_context.m_settings, SETTING_LINKS_DEFAULT_TASK, 0) : 0;
    // The setting also holds the Select New Action dialog's "new page" (5),
    // which has no button here.
    if (action < 0 || action >= kActionCount)
        action = 0;
    m_task.SetInt(TASK_ACTION, action);
    if (g_rememberedDepth <= 0)
        g_rememberedDepth = m_context.m_settings ? GetIntOr(*m_context.m_settings, SETTING_MISC_MAX_RECURSION, 1) : 1;
    m_task.SetInt(TASK_RECURSION, g_rememberedDepth);
    m_rememberedDepth = g_rememberedDepth;

    OnChange(IDC_NEWTASK_URI, [this] { OnUrlChanged(); });
    // Edit goes the same way: it changes no depth, but leaving "Check links
    // recursively" for it must keep that action's depth too.
    for (int id : {IDC_NEWTASK_CHECK, IDC_NEWTASK_BROWSE, IDC_NEWTASK_OFFLINE, IDC_NEWTASK_DOWNLOAD, IDC_NEWTASK_EDIT})
        OnChange(id, [this] { OnActionChanged(); });
    OnCommand(IDC_NEWTASK_BROWSE_FILE, [this] { OnBrowseFile(); });
    OnCommand(IDC_NEWTASK_BROWSE_FOLDER, [this] { OnBrowseFolder(); });
    OnCommand(IDC_NEWTASK_PROPERTIES, [this] { OnProperties(); });
}

CNewTaskDlg::~CNewTaskDlg() = default;

bool CNewTaskDlg::OnInitDialog()
{
    const std::pair<int, QStyle::StandardPixmap> buttonIcons[] = {
        {IDC_NEWTASK_BROWSE_FILE, QStyle::SP_FileDialogStart},
        {IDC_NEWTASK_BROWSE_FOLDER, QStyle::SP_DirOpenIcon},
        {IDOK, QStyle::SP_DialogOkButton},
        {IDCANCEL, QStyle::SP_DialogCancelButton},
    };
    for (const auto& [id, icon] : buttonIcons)
    {
        if (auto* button = qobject_cast<QPushButton*>(GetDlgItem(id)))
            button->setIcon(style()->standardIcon(icon));
    }
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_NEWTASK_URI)))
    {
        combo->setInsertPolicy(QComboBox::NoInsert);
        if (QLineEdit* edit = combo->lineEdit())
            edit->setMaxLength(kUriLimit);
        combo->clear();
        for (const std::string& url : GetHistoryList())
            combo->addItem(QString::fromStdString(url));
    }
    UpdateData(false);
    // The most recent address is offered first, and is the task's until
    // the user changes it.
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_NEWTASK_URI)); combo && combo->count() > 0)
        combo->setCurrentIndex(0);
    UpdateData(true);
    UpdateState();
    if (QWidget* browse = GetDlgItem(IDC_NEWTASK_BROWSE_FILE))
        browse->setToolTip(QStringLiteral("Browse"));
    if (QWidget* uri = GetDlgItem(IDC_NEWTASK_URI))
        uri->setToolTip(QStringLiteral("Enter full local file name, directory or remote URL"));
    return true;
}

void CNewTaskDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_PropertyText(dx, IDC_NEWTASK_URI, m_task, TASK_URI, kUriLimit);
    int action = GetIntOr(m_task, TASK_ACTION);
    DDX_Radio(dx, IDC_NEWTASK_CHECK, action);
    if (dx.m_bSaveAndValidate && !dx.Failed())
        m_task.SetInt(TASK_ACTION, action);
    DDX_PropertyText(dx, IDC_NEWTASK_FOLDER, m_task, TASK_DOWNLOAD_FOLDER, -1);
}

void CNewTaskDlg::UpdateState()
{
    const int action = GetIntOr(m_task, TASK_ACTION);
    const std::string uri = m_task.GetUrl();
    if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(IDC_NEWTASK_ICON)); icon && action >= 0 && action < kActionCount)
        icon->setPixmap(IconOf(kActionIcons[action]).pixmap(32, 32));
    setWindowTitle(QString::fromStdString(NewTaskTitle(uri)));
    const auto enable = [this](int id, bool on) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(on);
    };
    enable(IDOK, NewTaskCanAccept(uri, action));
    enable(IDC_NEWTASK_PROPERTIES, action != kActionEdit);
    enable(IDC_NEWTASK_FOLDER, action == kActionDownload);
    enable(IDC_NEWTASK_BROWSE_FOLDER, action == kActionDownload);
}

void CNewTaskDlg::OnUrlChanged()
{
    UpdateData(true);
    UpdateState();
}

void CNewTaskDlg::OnActionChanged()
{
    const int old = GetIntOr(m_task, TASK_ACTION);
    UpdateData(true);
    const int action = GetIntOr(m_task, TASK_ACTION);
    if (old == 0)
        m_rememberedDepth = GetIntOr(m_task, TASK_RECURSION, 1);
    if (action == kActionDownload)
        m_task.SetInt(TASK_RECURSION, 1000);
    else if (action == 1 || action == 2)
        m_task.SetInt(TASK_RECURSION, 1);
    else if (action == 0)
        m_task.SetInt(TASK_RECURSION, m_rememberedDepth);
    UpdateData(false);
    UpdateState();
}

void CNewTaskDlg::OnBrowseFile()
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_NEWTASK_URI));
    if (combo && BrowseIntoField(combo->lineEdit(), false, this))
        OnUrlChanged();
}

void CNewTaskDlg::OnBrowseFolder()
{
    if (BrowseIntoField(qobject_cast<QLineEdit*>(GetDlgItem(IDC_NEWTASK_FOLDER)), true, this))
        UpdateData(true);
}

void CNewTaskDlg::OnProperties()
{
    if (!UpdateData(true))
        return;
    if (EditLinkProperties(m_task, m_context, this))
    {
        UpdateData(false);
        UpdateState();
    }
}

void CNewTaskDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    const std::string uri = Trim(m_task.GetUrl());
    m_task.SetString(TASK_URI, uri.c_str());
    UpdateData(false);
    UpdateState();
    if (uri.empty())
    {
        AfxMessageBox(InvalidUrlMessage(uri), MB_OK | MB_ICONERROR);
        return;
    }
    // Enter reaches here even while OK is disabled.
    if (!NewTaskCanAccept(uri, GetIntOr(m_task, TASK_ACTION)))
        return;
    EndDialog(IDOK);
}

void CNewTaskDlg::done(int code)
{
    const int action = GetIntOr(m_task, TASK_ACTION);
    if (m_context.m_settings && action != GetIntOr(*m_context.m_settings, SETTING_LINKS_DEFAULT_TASK, 0))
    {
        m_context.m_settings->SetInt(SETTING_LINKS_DEFAULT_TASK, action);
        if (m_context.m_saveSettings)
            (void)m_context.m_saveSettings();
    }
    g_rememberedDepth = GetIntOr(m_task, TASK_RECURSION, 1);
    CDialog::done(code);
}
