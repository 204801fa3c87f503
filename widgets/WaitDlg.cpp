#include "widgets/WaitDlg.h"

#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QPushButton>

CWaitDlg::CWaitDlg(QWidget* parent) : CDialog(IDD_WAIT, parent)
{
    if (const DialogDesc* description = FindDialog(IDD_WAIT))
        BuildDialogFromDescription(*this, *description);
    // Cancel is the only button and so would become the default one: Enter
    // would end the wait, which only Cancel and Esc are meant to do.
    if (auto* cancel = qobject_cast<QPushButton*>(GetDlgItem(IDCANCEL)))
        cancel->setAutoDefault(false);
}
