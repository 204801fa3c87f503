#include "dialogs/BrowseField.h"

#include "foundation/desktop/FileBrowsing.h"
#include "platform/ui/WidgetWindow.h"

#include <QLineEdit>

bool BrowseIntoField(QLineEdit* field, bool pickFolder, const QWidget* owner)
{
    if (!field)
        return false;
    const std::string chosen =
        BrowseForFile(pickFolder, field->text().toStdString(), false, CWidgetWindow::HandleOf(owner), "", "");
    if (chosen.empty())
        return false;
    field->setText(QString::fromStdString(chosen));
    return true;
}
