#pragma once
// CWaitDlg: shown modally while a long job (a report) runs. Whoever learns
// that the job ended closes it with EndDialog(IDCANCEL) on the UI thread; the
// user's Cancel (button or Esc) closes it too. Enter does nothing.
//
// UI thread only.

#include "platform/ui/Dialog.h"

class CWaitDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CWaitDlg(QWidget* parent = nullptr);

protected:
    void OnOK() override {}
};
