#include "dialogs/GeneralSettingsPage.h"

#include "foundation/desktop/FileBrowsing.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/Text.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"

#include <QLineEdit>

namespace
{
constexpr int kDownloadFolderLimit = 400;
}

CGeneralSettingsPage::CGeneralSettingsPage(IPropertySet* source, IPropertySet* target, std::string path)
    : CSettingsPage(IDD_SETTINGS_GENERAL, source, target, std::move(path), LoadResourceString(IDS_SETTINGS_GENERAL))
{
    AddBinding(IDC_GENERAL_AUTO_EXPAND, SETTING_MISC_AUTO_EXPAND, CSettingBinding::kInt);
    AddBinding(IDC_GENERAL_DOWNLOAD_FOLDER, SETTING_MISC_DOWNLOAD_FOLDER, CSettingBinding::kText, kDownloadFolderLimit);
    AddBinding(IDC_GENERAL_PROMPT_SAVE, SETTING_PROMPTS_SAVE, CSettingBinding::kCheck);
    AddBinding(IDC_GENERAL_SINGLE_LOG, SETTING_MISC_SINGLE_LOG_WINDOW, CSettingBinding::kCheck);
    AddBinding(IDC_GENERAL_SINGLE_REPORT, SETTING_MISC_SINGLE_REPORT_WINDOW, CSettingBinding::kCheck);
    AddBinding(IDC_GENERAL_START_EVENT, SETTING_LAYOUT_PROGRAM_START_EVENT, CSettingBinding::kCombo);
    CSettingBinding& logLines = AddBinding(IDC_GENERAL_MAX_LOG_LINES, SETTING_LOGS_MAX_LOG_LINES, CSettingBinding::kInt);
    logLines.m_min = 0;
    logLines.m_max = 1000000;
    CSettingBinding& history = AddBinding(IDC_GENERAL_MAX_HISTORY, SETTING_MISC_MAX_HISTORY_SIZE, CSettingBinding::kInt);
    history.m_min = 0;
    history.m_max = 1000;
    OnCommand(IDC_GENERAL_BROWSE, [this] { OnBrowse(); });
}

bool CGeneralSettingsPage::OnInitDialog()
{
    CSettingsPage::OnInitDialog();
    // The tree's expansion has no range of its own; only its arrows do.
    AttachSpin(*this, IDC_GENERAL_AUTO_EXPAND_SPIN, IDC_GENERAL_AUTO_EXPAND, 0, 100);
    AttachSpin(*this, IDC_GENERAL_MAX_LOG_LINES_SPIN, IDC_GENERAL_MAX_LOG_LINES, 0, 1000000);
    AttachSpin(*this, IDC_GENERAL_MAX_HISTORY_SPIN, IDC_GENERAL_MAX_HISTORY, 0, 1000);
    return true;
}

void CGeneralSettingsPage::OnBrowse()
{
    auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_GENERAL_DOWNLOAD_FOLDER));
    if (!edit)
        return;
    const char* title = LoadResourceString(IDS_SELECT_DOWNLOAD_FOLDER);
    const std::string folder =
        BrowseForFolder(edit->text().toStdString(), title ? title : "", CWidgetWindow::HandleOf(this));
    if (folder.empty())
        return;
    edit->setText(QString::fromStdString(folder));
    OnSettingChanged();
}

bool CGeneralSettingsPage::ApplyBindings()
{
    IPropertySet* source = GetSource();
    if (!source || !GetTarget())
        return true;
    std::string folder;
    source->GetString(SETTING_MISC_DOWNLOAD_FOLDER, folder);
    if (DirectoryExists(folder))
        return CSettingsPage::ApplyBindings();
    const int answer = AfxMessageBox(Format(LoadResourceString(IDS_ASK_CREATE_DIRECTORY), folder.c_str()),
                                      MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES)
        return false;
    if (!CreateDirectoryTree(folder))
    {
        AfxMessageBox(Format(LoadResourceString(IDS_CANNOT_CREATE_DIRECTORY), folder.c_str()), MB_OK | MB_ICONERROR);
        return false;
    }
    return CSettingsPage::ApplyBindings();
}
