#include "dialogs/TaskGeneralPage.h"

#include "dialogs/BrowseField.h"
#include "dialogs/ComposeUrlDlg.h"
#include "foundation/files/PathUtils.h"
#include "platform/core/Text.h"
#include "res/Resources.h"

#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

CTaskGeneralPage::CTaskGeneralPage(const CTaskSettings& task)
    : CSettingsPage(IDD_TASK_GENERAL_PAGE, &m_task, &m_task, "General", "General"), m_task(task)
{
    CSettingBinding& depth = AddBinding(IDC_TASKGEN_RECURSION, TASK_RECURSION, CSettingBinding::kInt);
    depth.m_min = 1;
    depth.m_max = 1000;
    OnChange(IDC_TASKGEN_URI, [this] { OnSettingChanged(); });
    OnCommand(IDC_TASKGEN_BROWSE, [this] { OnBrowse(); });
    OnCommand(IDC_TASKGEN_COMPOSE, [this] { OnCompose(); });
}

bool CTaskGeneralPage::OnInitDialog()
{
    CSettingsPage::OnInitDialog();
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_TASKGEN_URI)))
        edit->setText(QString::fromStdString(m_task.GetUrl()));
    AttachSpin(*this, IDC_TASKGEN_RECURSION_SPIN, IDC_TASKGEN_RECURSION, 1, 1000);
    if (auto* browse = qobject_cast<QPushButton*>(GetDlgItem(IDC_TASKGEN_BROWSE)))
    {
        const QImage icon = LoadIconResource(IDI_ACTION4);
        if (!icon.isNull())
            browse->setIcon(QIcon(QPixmap::fromImage(icon)));
    }
    return true;
}

bool CTaskGeneralPage::ApplyBindings()
{
    if (!UpdateData(true))
        return false;
    if (const auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_TASKGEN_URI)))
        m_task.SetString(TASK_URI, Trim(edit->text().toStdString()).c_str());
    return CSettingsPage::ApplyBindings();
}

void CTaskGeneralPage::OnBrowse()
{
    if (BrowseIntoField(qobject_cast<QLineEdit*>(GetDlgItem(IDC_TASKGEN_URI)), false, this))
        SetModified(true);
}

void CTaskGeneralPage::OnCompose()
{
    auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_TASKGEN_URI));
    if (!edit)
        return;
    std::string url = Trim(edit->text().toStdString());
    if (IsLocalPath(url) || !ComposeUrlFromText(url, this))
        return;
    edit->setText(QString::fromStdString(url));
    edit->selectAll();
    SetModified(true);
}
