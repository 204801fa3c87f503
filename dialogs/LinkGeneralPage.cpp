#include "dialogs/LinkGeneralPage.h"

#include "checker/TaskSettings.h"
#include "dialogs/BrowseField.h"
#include "res/Resources.h"

#include <QCheckBox>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace
{
bool IsChecked(const CDialog& page, int id)
{
    const auto* box = qobject_cast<QCheckBox*>(page.GetDlgItem(id));
    return box && box->isChecked();
}
} // namespace

CLinkGeneralPage::CLinkGeneralPage(CTaskSettings& task)
    : CSettingsPage(IDD_LINK_GENERAL_PAGE, &task, &task, "General", "General")
{
    CSettingBinding& recursion = AddBinding(IDC_LINKGEN_RECURSION, TASK_RECURSION, CSettingBinding::kInt);
    recursion.m_min = 1;
    recursion.m_max = 1000;
    AddBinding(IDC_LINKGEN_FINISH_ON_MAX, TASK_FINISH_ON_MAX_REC, CSettingBinding::kCheck);
    AddBinding(IDC_LINKGEN_POST, TASK_ENABLE_POST, CSettingBinding::kCheck);
    AddBinding(IDC_LINKGEN_POST_DATA, TASK_POST_DATA, CSettingBinding::kText);
    AddBinding(IDC_LINKGEN_USE_FILE, TASK_USE_POST_FILE, CSettingBinding::kCheck);
    AddBinding(IDC_LINKGEN_POST_FILE, TASK_POST_FILE_PATH, CSettingBinding::kText);
    OnCommand(IDC_LINKGEN_BROWSE, [this] { OnBrowse(); });
}

bool CLinkGeneralPage::OnInitDialog()
{
    CSettingsPage::OnInitDialog();
    AttachSpin(*this, IDC_LINKGEN_RECURSION_SPIN, IDC_LINKGEN_RECURSION, 1, 1000);
    if (auto* browse = qobject_cast<QPushButton*>(GetDlgItem(IDC_LINKGEN_BROWSE)))
    {
        const QImage icon = LoadIconResource(IDI_ACTION4);
        if (!icon.isNull())
            browse->setIcon(QIcon(QPixmap::fromImage(icon)));
    }
    UpdateControls();
    return true;
}

bool CLinkGeneralPage::UpdateData(bool save)
{
    const bool done = CSettingsPage::UpdateData(save);
    if (!save)
        UpdateControls();
    return done;
}

void CLinkGeneralPage::OnBoundControlChanged(int controlId)
{
    if (controlId == IDC_LINKGEN_POST || controlId == IDC_LINKGEN_USE_FILE)
        UpdateControls();
    CSettingsPage::OnBoundControlChanged(controlId);
}

void CLinkGeneralPage::UpdateControls()
{
    // Read from the boxes themselves: a click must not first raise the
    // depth's range message.
    const bool post = IsChecked(*this, IDC_LINKGEN_POST);
    const bool useFile = IsChecked(*this, IDC_LINKGEN_USE_FILE);
    const auto enable = [this](int id, bool on) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(on);
    };
    enable(IDC_LINKGEN_POST_DATA_LABEL, post && !useFile);
    enable(IDC_LINKGEN_POST_DATA, post && !useFile);
    enable(IDC_LINKGEN_USE_FILE, post);
    enable(IDC_LINKGEN_POST_FILE, post && useFile);
    enable(IDC_LINKGEN_BROWSE, post && useFile);
}

void CLinkGeneralPage::OnBrowse()
{
    if (BrowseIntoField(qobject_cast<QLineEdit*>(GetDlgItem(IDC_LINKGEN_POST_FILE)), false, this))
        SetModified(true);
}
