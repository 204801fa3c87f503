#include "dialogs/PostDataDlg.h"

#include "foundation/desktop/FileBrowsing.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"

CPostDataDlg::CPostDataDlg(QWidget* parent) : CDialog(IDD_POST_DATA, parent)
{
    if (const DialogDesc* description = FindDialog(IDD_POST_DATA))
        BuildDialogFromDescription(*this, *description);
    OnChange(IDC_POST_USE_FILE, [this] { OnUseFile(); });
    OnCommand(IDC_POST_BROWSE, [this] { OnBrowse(); });
}

bool CPostDataDlg::OnInitDialog()
{
    UpdateData(false);
    UpdateControls();
    return true;
}

void CPostDataDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, IDC_POST_TEXT, m_text);
    int useFile = m_useFile ? 1 : 0;
    DDX_Check(dx, IDC_POST_USE_FILE, useFile);
    m_useFile = useFile != 0;
    DDX_Text(dx, IDC_POST_FILE, m_file);
}

void CPostDataDlg::UpdateControls()
{
    for (int id : {IDC_POST_FILE, IDC_POST_BROWSE})
    {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(m_useFile);
    }
    for (int id : {IDC_POST_TEXT, IDC_POST_TEXT_LABEL})
    {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(!m_useFile);
    }
}

void CPostDataDlg::OnUseFile()
{
    UpdateData(true);
    UpdateControls();
}

void CPostDataDlg::OnBrowse()
{
    // No path of our own, so the picker starts in the folder last opened.
    const std::string file = BrowseForFile(false, std::string(), false, CWidgetWindow::HandleOf(this), "", "");
    if (file.empty())
        return;
    UpdateData(true);
    m_file = file;
    UpdateData(false);
    UpdateControls();
}
