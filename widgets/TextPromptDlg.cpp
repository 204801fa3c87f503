#include "widgets/TextPromptDlg.h"

#include "platform/core/Text.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QComboBox>
#include <QCompleter>
#include <QLabel>

CTextPromptDlg::CTextPromptDlg(QWidget* parent) : CDialog(IDD_TEXT_PROMPT, parent)
{
    if (const DialogDesc* description = FindDialog(IDD_TEXT_PROMPT))
        BuildDialogFromDescription(*this, *description);
    // The dialog keeps the history itself; Enter must not also add the text
    // to the list behind its back.
    // Completion from the history keeps the case the user types: "APPLE"
    // must not turn into an earlier "apple".
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_PROMPT_TEXT)))
    {
        combo->setInsertPolicy(QComboBox::NoInsert);
        if (QCompleter* completer = combo->completer())
            completer->setCaseSensitivity(Qt::CaseSensitive);
    }
}

std::vector<std::string> CTextPromptDlg::RecordInHistory(const std::vector<std::string>& history,
                                                         const std::string& text)
{
    std::vector<std::string> result;
    result.reserve(history.size() + 1);
    if (!text.empty())
        result.push_back(text);
    for (const std::string& entry : history)
    {
        if (!text.empty() && EqualsNoCase(entry, text))
            continue;
        result.push_back(entry);
    }
    return result;
}

bool CTextPromptDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_PROMPT_LABEL)))
        label->setText(QString::fromStdString(m_label));
    setWindowTitle(QString::fromStdString(m_caption));
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_PROMPT_TEXT)))
    {
        for (const std::string& entry : m_history)
            combo->addItem(QString::fromStdString(entry));
        if (combo->count() > 0)
            combo->setCurrentIndex(0);
    }
    return true;
}

void CTextPromptDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, IDC_PROMPT_TEXT, m_text);
}

void CTextPromptDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    // The list as the user saw it, with what was entered now on top.
    std::vector<std::string> shown;
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_PROMPT_TEXT)))
    {
        for (int i = 0; i < combo->count(); ++i)
            shown.push_back(combo->itemText(i).toStdString());
    }
    m_history = RecordInHistory(shown, m_text);
    EndDialog(IDOK);
}
