#include "widgets/LoginPromptDlg.h"

#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

CLoginPromptDlg::CLoginPromptDlg(CPromptRequestQueue& queue, QWidget* parent)
    : CDialog(IDD_LOGIN_PROMPT, parent), m_queue(queue)
{
    if (const DialogDesc* description = FindDialog(IDD_LOGIN_PROMPT))
        BuildDialogFromDescription(*this, *description);
}

int CLoginPromptDlg::DoModalNext()
{
    if (!m_queue.GetPending(m_request))
        return IDCANCEL;
    m_user = m_request.m_user;
    m_password = m_request.m_password;
    // A dialog run before is not initialised again: show the new request.
    if (m_initialised)
        ShowRequest();
    return DoModal();
}

bool CLoginPromptDlg::OnInitDialog()
{
    m_initialised = true;
    ShowRequest();
    return false;
}

void CLoginPromptDlg::ShowRequest()
{
    setWindowTitle(QString::fromStdString(m_request.m_prompt));
    UpdateData(false);
    // With the user known only the password is missing.
    QWidget* focus = GetDlgItem(m_user.empty() ? IDC_LOGIN_USER : IDC_LOGIN_PASSWORD);
    if (focus)
        focus->setFocus();
}

void CLoginPromptDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, IDC_LOGIN_USER, m_user);
    DDX_Text(dx, IDC_LOGIN_PASSWORD, m_password);
}

void CLoginPromptDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    m_request.m_user = m_user;
    m_request.m_password = m_password;
    // The worker may have stopped waiting meanwhile; the answer then has
    // nobody to go to, and the dialog ends all the same.
    (void)m_queue.Answer(m_request);
    EndDialog(IDOK);
}

void CLoginPromptDlg::OnCancel()
{
    m_request.m_cancelled = 1;
    (void)m_queue.Answer(m_request);
    EndDialog(IDCANCEL);
}

void CLoginPromptDlg::OnWorkerNotify()
{
    CPromptRequest next;
    if (!m_queue.GetPending(next))
    {
        EndDialog(IDCANCEL);
        return;
    }
    if (next.m_id == m_request.m_id)
        return;
    m_request = next;
    m_user = m_request.m_user;
    m_password = m_request.m_password;
    ShowRequest();
}
