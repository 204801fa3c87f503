#pragma once
// CLoginPromptDlg: asks the user for the user name and password that a
// transfer thread waits for (CPromptRequestQueue). The dialog works on its
// own copy of one waiting request and hands it back to the queue, answered
// or cancelled; the worker thread never touches the dialog.
//
// The main frame makes one when a credential request is announced, runs it
// with DoModalNext and passes later announcements to OnWorkerNotify while it
// is open. The queue is handed in and must outlive the dialog.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include "transfer/auth/PromptRequestQueue.h"

#include <string>

class CLoginPromptDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CLoginPromptDlg(CPromptRequestQueue& queue, QWidget* parent = nullptr);

    // Takes the first waiting request and asks for it; IDCANCEL without
    // showing anything when none waits.
    int DoModalNext();

    // Another request was announced while the dialog is open: the first
    // waiting one replaces the shown one when their ids differ; none left
    // ends the dialog with IDCANCEL (the shown one was settled elsewhere).
    void OnWorkerNotify();

    const CPromptRequest& Request() const { return m_request; }

    std::string m_user;
    std::string m_password;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Caption, fields and focus from m_request.
    void ShowRequest();

    CPromptRequestQueue& m_queue;
    CPromptRequest m_request;
    bool m_initialised = false;
};
