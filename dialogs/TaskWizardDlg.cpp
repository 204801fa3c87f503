#include "dialogs/TaskWizardDlg.h"

#include "dialogs/ComposeUrlDlg.h"
#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/PageArea.h"
#include "dialogs/StartUrl.h"
#include "foundation/desktop/FileBrowsing.h"
#include "foundation/files/PathUtils.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/MaskColor.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>

namespace
{
const char kIntro[] = "intro";
const char kUrl[] = "url";
const char kParam[] = "param";

void SetText(CDialog& page, int id, const std::string& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(page.GetDlgItem(id)))
        edit->setText(QString::fromStdString(text));
}
} // namespace

CWizardPage::CWizardPage(UINT templateId, const std::string& name, CTaskSettings& task, CTaskWizardDlg& wizard)
    : CSettingsPage(templateId, &task, &task, name, std::string()), m_wizard(wizard)
{
}

void CWizardPage::OnBoundControlChanged(int controlId)
{
    CSettingsPage::OnBoundControlChanged(controlId);
    m_wizard.OnPageControlChanged(controlId);
}

CWizardPage* CreateWizardPage(const std::string& name, CTaskSettings& task, CTaskWizardDlg& wizard)
{
    struct Tip
    {
        int m_control;
        const char* m_text;
    };
    std::vector<Tip> tips;
    CWizardPage* page = nullptr;
    if (name == kIntro)
    {
        page = new CWizardPage(IDD_WIZARD_INTRO, name, task, wizard);
    }
    else if (name == kUrl)
    {
        page = new CWizardPage(IDD_WIZARD_URL, name, task, wizard);
        page->AddBinding(IDC_WIZARD_URL, TASK_URI, CSettingBinding::kText);
        tips = {{IDC_WIZARD_URL, "Type full URL"},
                {IDC_WIZARD_BROWSE_FILE, "Browse local file"},
                {IDC_WIZARD_COMPOSE, "Compose full URL"}};
    }
    else if (name == kParam)
    {
        page = new CWizardPage(IDD_WIZARD_PARAM, name, task, wizard);
        CSettingBinding& depth = page->AddBinding(IDC_WIZARD_RECURSION, TASK_RECURSION, CSettingBinding::kInt);
        depth.m_min = 1;
        depth.m_max = 1000;
        page->AddBinding(IDC_WIZARD_FOLDER, TASK_DOWNLOAD_FOLDER, CSettingBinding::kText);
        page->AddBinding(IDC_WIZARD_EXTERNAL, TASK_FILTER_EXTERNAL, CSettingBinding::kCheck);
        tips = {{IDC_WIZARD_RECURSION, "Enter maximum link recursion here"}};
        if (GetIntOr(task, TASK_ACTION) == 3)
        {
            tips.push_back({IDC_WIZARD_BROWSE_FOLDER, "Browse for local download path"});
            tips.push_back({IDC_WIZARD_FOLDER, "Enter local download path"});
        }
    }
    else
    {
        return nullptr;
    }
    page->CreatePage(wizard.GetPageArea(), &wizard, 0);
    page->ActivateToolTips(true);
    for (const Tip& tip : tips)
        page->AddToolTip(tip.m_control, tip.m_text);
    return page;
}

CTaskWizardDlg::CTaskWizardDlg(CTaskDialogContext context, QWidget* parent)
    : CDialog(IDD_TASK_WIZARD, parent), m_task({}, context.m_settings), m_context(std::move(context))
{
    if (const DialogDesc* description = FindDialog(IDD_TASK_WIZARD))
        BuildDialogFromDescription(*this, *description);
    OnCommand(IDC_WIZARD_BACK, [this] { OnBack(); });
    OnCommand(IDC_WIZARD_NEXT, [this] { OnNext(); });
    OnCommand(IDC_WIZARD_BROWSE_FILE, [this] { OnBrowseFile(); });
    OnCommand(IDC_WIZARD_COMPOSE, [this] { OnCompose(); });
    OnCommand(IDC_WIZARD_BROWSE_FOLDER, [this] { OnBrowseFolder(); });
    OnCommand(IDC_WIZARD_PROPERTIES, [this] { OnProperties(); });
    // No button is the default, so Enter presses none of them.
    for (QPushButton* button : findChildren<QPushButton*>())
    {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

CTaskWizardDlg::~CTaskWizardDlg()
{
    // The pages use the task; they go first.
    for (CWizardPage* page : m_pages)
        delete page;
    m_pages.clear();
}

CWizardPage* CTaskWizardDlg::GetCurrentPage() const
{
    return m_current >= 0 && m_current < GetPageCount() ? m_pages[static_cast<size_t>(m_current)] : nullptr;
}

bool CTaskWizardDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_picture = qobject_cast<QLabel*>(GetDlgItem(IDC_WIZARD_PICTURE));
    // The picture's magenta parts take the buttons' colour, so it sits on the
    // dialog as if cut out.
    if (m_picture)
        m_picture->setPixmap(QPixmap::fromImage(
            ReplaceMaskColor(LoadBitmapResource(IDB_WIZARD), palette().color(QPalette::Button).rgb())));
    m_pageArea = PlacePageArea(*this, IDC_WIZARD_PAGE_AREA);
    for (const char* name : {kIntro, kUrl, kParam})
    {
        if (CWizardPage* page = CreateWizardPage(name, m_task, *this))
        {
            page->hide();
            page->setEnabled(false);
            m_pageArea->layout()->addWidget(page);
            m_pages.push_back(page);
        }
    }
    // The URL field completes from the addresses used before.
    for (CWizardPage* page : m_pages)
    {
        if (auto* edit = qobject_cast<QLineEdit*>(page->GetDlgItem(IDC_WIZARD_URL)))
        {
            QStringList history;
            for (const std::string& url : GetHistoryList())
                history << QString::fromStdString(url);
            auto* completer = new QCompleter(history, edit);
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            edit->setCompleter(completer);
        }
    }
    ShowPage(0);
    CheckUrl();
    UpdateButtons();
    return true;
}

void CTaskWizardDlg::ShowPage(int index)
{
    if (index < 0 || index >= GetPageCount())
        return;
    CWizardPage* old = GetCurrentPage();
    if (old && !old->UpdateData(true))
        return;
    CWizardPage* page = m_pages[static_cast<size_t>(index)];
    if (page == old)
        return;
    page->UpdateData(false);
    page->setEnabled(true);
    page->show();
    m_current = index;
    if (page->GetPath() == kUrl)
    {
        CheckUrl();
        if (QWidget* edit = page->GetDlgItem(IDC_WIZARD_URL))
            edit->setFocus();
    }
    else if (page->GetPath() == kParam)
    {
        UpdateParamPage();
        if (QWidget* edit = page->GetDlgItem(IDC_WIZARD_RECURSION))
            edit->setFocus();
    }
    if (old)
    {
        old->hide();
        old->setEnabled(false);
    }
    UpdateButtons();
}

void CTaskWizardDlg::UpdateButtons()
{
    if (QWidget* back = GetDlgItem(IDC_WIZARD_BACK))
        back->setEnabled(m_current > 0);
    auto* next = qobject_cast<QPushButton*>(GetDlgItem(IDC_WIZARD_NEXT));
    if (!next)
        return;
    next->setText(QString::fromUtf8(LoadResourceString(IsLastPage() ? IDS_FINISH : IDS_NEXT)));
    const CWizardPage* page = GetCurrentPage();
    next->setEnabled(!(page && page->GetPath() == kUrl && !m_urlAccepted));
}

void CTaskWizardDlg::UpdateParamPage()
{
    CWizardPage* page = GetCurrentPage();
    if (!page || page->GetPath() != kParam)
        return;
    const bool download = GetIntOr(m_task, TASK_ACTION) == 3;
    for (int id : {IDC_WIZARD_FOLDER_LABEL, IDC_WIZARD_FOLDER, IDC_WIZARD_BROWSE_FOLDER})
    {
        if (QWidget* control = page->GetDlgItem(id))
            control->setEnabled(download);
    }
}

void CTaskWizardDlg::OnBack()
{
    if (m_current <= 0)
        return;
    ShowPage(m_current - 1);
}

void CTaskWizardDlg::OnNext()
{
    if (IsLastPage())
    {
        CWizardPage* page = GetCurrentPage();
        if (page && !page->UpdateData(true))
            return;
        m_task.SetString(TASK_NAME, m_task.GetUrl().c_str());
        EndDialog(IDOK);
        return;
    }
    ShowPage(m_current + 1);
}

void CTaskWizardDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    CDialog::keyPressEvent(event);
}

void CTaskWizardDlg::CheckUrl()
{
    CWizardPage* page = GetCurrentPage();
    if (!page || page->GetPath() != kUrl)
        return;
    const auto* edit = qobject_cast<QLineEdit*>(page->GetDlgItem(IDC_WIZARD_URL));
    const CStartUrlVerdict verdict = CheckStartUrl(edit ? edit->text().toStdString() : std::string());
    m_urlAccepted = verdict.m_accepted;
    if (auto* label = qobject_cast<QLabel*>(page->GetDlgItem(IDC_WIZARD_VERDICT)))
        label->setText(QString::fromStdString(verdict.m_text).replace("\r\n", "\n"));
}

void CTaskWizardDlg::OnPageControlChanged(int controlId)
{
    if (controlId != IDC_WIZARD_URL)
        return;
    CheckUrl();
    UpdateButtons();
}

void CTaskWizardDlg::ReloadPage()
{
    if (CWizardPage* page = GetCurrentPage())
        page->UpdateData(false);
}

void CTaskWizardDlg::OnBrowseFile()
{
    CWizardPage* page = GetCurrentPage();
    if (!page || !page->UpdateData(true))
        return;
    const std::string url = m_task.GetUrl();
    const std::string file =
        BrowseForFile(false, IsLocalPath(url) ? url : std::string(), false, CWidgetWindow::HandleOf(this), "", "");
    if (file.empty())
        return;
    m_task.SetString(TASK_URI, file.c_str());
    ReloadPage();
    CheckUrl();
    UpdateButtons();
}

void CTaskWizardDlg::OnCompose()
{
    CWizardPage* page = GetCurrentPage();
    if (!page || !page->UpdateData(true))
        return;
    std::string url = m_task.GetUrl();
    if (!ComposeUrlFromText(url, this))
        return;
    m_task.SetString(TASK_URI, url.c_str());
    ReloadPage();
    if (auto* edit = qobject_cast<QLineEdit*>(page->GetDlgItem(IDC_WIZARD_URL)))
        edit->selectAll();
    CheckUrl();
    UpdateButtons();
}

void CTaskWizardDlg::OnBrowseFolder()
{
    CWizardPage* page = GetCurrentPage();
    if (!page)
        return;
    const std::string folder = BrowseForFile(true, m_task.GetStringValue(TASK_DOWNLOAD_FOLDER), false,
                                             CWidgetWindow::HandleOf(this), "", "");
    if (folder.empty())
        return;
    m_task.SetString(TASK_DOWNLOAD_FOLDER, folder.c_str());
    SetText(*page, IDC_WIZARD_FOLDER, folder);
}

void CTaskWizardDlg::OnProperties()
{
    CWizardPage* page = GetCurrentPage();
    if (!page || !page->UpdateData(true))
        return;
    if (EditLinkProperties(m_task, m_context, this))
        ReloadPage();
}
