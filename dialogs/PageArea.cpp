#include "dialogs/PageArea.h"

#include "platform/ui/Dialog.h"

#include <QLayout>
#include <QVBoxLayout>

QWidget* PlacePageArea(CDialog& dialog, int placeholderId)
{
    QWidget* placeholder = dialog.GetDlgItem(placeholderId);
    auto* area = new QWidget(&dialog);
    (new QVBoxLayout(area))->setContentsMargins(0, 0, 0, 0);
    if (placeholder && dialog.layout())
    {
        delete dialog.layout()->replaceWidget(placeholder, area, Qt::FindChildrenRecursively);
        placeholder->hide();
    }
    return area;
}
