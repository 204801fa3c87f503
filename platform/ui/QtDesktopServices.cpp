#include "platform/ui/QtDesktopServices.h"

#include "platform/ui/FileFilter.h"
#include "platform/ui/WidgetWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QStringList>
#include <QStringListModel>
#include <QThread>
#include <QWidget>

namespace
{
QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStdString(const QString& text)
{
    return text.toUtf8().toStdString();
}

bool OnUiThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The line edit of an edit box or an editable combo box.
QLineEdit* LineEditOf(QWidget* widget)
{
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line;
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable())
        return combo->lineEdit();
    return nullptr;
}
} // namespace

bool CQtClipboard::HasText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool CQtClipboard::GetText(std::string& text)
{
    text.clear();
    if (!HasText())
        return false;
    text = ToStdString(QGuiApplication::clipboard()->text());
    return true;
}

bool CQtClipboard::SetText(std::string_view text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(ToQString(text));
    return true;
}

int CQtDocumentLauncher::Open(const std::string& target)
{
    if (target.empty())
        return kOpenFileNotFound;
    std::string argument = target;
    if (target[0] == '/')
    {
        if (const int failure = CheckLocalDocument(target))
            return failure;
    }
    else if (target[0] == '-')
    {
        argument = "./" + target;
    }
    return QProcess::startDetached("xdg-open", {ToQString(argument)}) ? kOpenStarted : kOpenNoAssociation;
}

std::string CQtFilePicker::PickFile(const FileDialogRequest& request)
{
    QFileDialog dialog(CWidgetWindow::FindWidget(request.m_owner), QString(), ToQString(request.m_folder));
    dialog.setAcceptMode(request.m_save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.m_save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.m_confirmOverwrite);
    QStringList filters;
    for (const std::string& filter : ConvertFileFilter(request.m_filter))
        filters << ToQString(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (request.m_filterIndex > 0 && request.m_filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.m_filterIndex - 1]);
    if (!request.m_title.empty())
        dialog.setWindowTitle(ToQString(request.m_title));
    if (!request.m_defaultExtension.empty())
        dialog.setDefaultSuffix(ToQString(request.m_defaultExtension));
    if (!request.m_fileName.empty())
        dialog.selectFile(ToQString(request.m_fileName));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::string() : ToStdString(chosen.first());
}

std::string CQtFilePicker::PickFolder(const std::string& startFolder, const std::string& title,
                                      WindowHandle owner)
{
    return ToStdString(QFileDialog::getExistingDirectory(CWidgetWindow::FindWidget(owner), ToQString(title),
                                                         ToQString(startFolder), QFileDialog::ShowDirsOnly));
}

std::vector<WindowHandle> CQtWindowTree::GetDescendants(WindowHandle parent)
{
    std::vector<WindowHandle> windows;
    QWidget* widget = OnUiThread() ? CWidgetWindow::FindWidget(parent) : nullptr;
    if (!widget)
        return windows;
    for (QWidget* child : widget->findChildren<QWidget*>())
    {
        if (WindowHandle handle = CWidgetWindow::HandleOf(child))
            windows.push_back(handle);
    }
    return windows;
}

std::vector<WindowHandle> CQtWindowTree::GetThreadTopLevelWindows()
{
    std::vector<WindowHandle> windows;
    if (!OnUiThread())
        return windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
    {
        if (WindowHandle handle = CWidgetWindow::HandleOf(widget))
            windows.push_back(handle);
    }
    return windows;
}

WindowHandle CQtWindowTree::GetOwnerOrParent(WindowHandle window)
{
    QWidget* widget = CWidgetWindow::FindWidget(window);
    return widget ? CWidgetWindow::Attach(widget->parentWidget()) : nullptr;
}

bool CQtWindowTree::GetText(WindowHandle window, std::string& text)
{
    text.clear();
    QWidget* widget = CWidgetWindow::FindWidget(window);
    if (!widget)
        return false;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        text = ToStdString(combo->currentText());
    else if (auto* line = qobject_cast<QLineEdit*>(widget))
        text = ToStdString(line->text());
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text = ToStdString(button->text());
    else if (auto* label = qobject_cast<QLabel*>(widget))
        text = ToStdString(label->text());
    else
        text = ToStdString(widget->windowTitle());
    return true;
}

bool CQtWindowTree::SetText(WindowHandle window, std::string_view text)
{
    QWidget* widget = CWidgetWindow::FindWidget(window);
    if (!widget)
        return false;
    const QString value = ToQString(text);
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable())
        combo->setEditText(value);
    else if (auto* line = qobject_cast<QLineEdit*>(widget))
        line->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else
        widget->setWindowTitle(value);
    return true;
}

bool CQtAutoComplete::Enable(WindowHandle edit, unsigned flags, const std::vector<std::string>& addresses)
{
    QLineEdit* line = LineEditOf(CWidgetWindow::FindWidget(edit));
    if (!line)
        return false;
    const bool filesOnly = (flags & (kAutoCompleteFileSysOnly | kAutoCompleteFileSysDirs)) != 0;
    const bool wantsAddresses =
        !filesOnly &&
        (flags == kAutoCompleteDefault || (flags & (kAutoCompleteUrlHistory | kAutoCompleteUrlMru)) != 0);
    auto* completer = new QCompleter(line);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    if (wantsAddresses && !addresses.empty())
    {
        QStringList list;
        for (const std::string& address : addresses)
            list << ToQString(address);
        completer->setModel(new QStringListModel(list, completer));
    }
    else
    {
        auto* model = new QFileSystemModel(completer);
        model->setFilter((flags & kAutoCompleteFileSysDirs) != 0 ? QDir::AllDirs | QDir::NoDotAndDotDot
                                                                 : QDir::AllEntries | QDir::NoDotAndDotDot);
        model->setRootPath(QString());
        completer->setModel(model);
    }
    QCompleter* previous = line->completer();
    line->setCompleter(completer);
    if (previous && previous->parent() == line)
        previous->deleteLater();
    return true;
}

void InstallQtDesktopServices()
{
    static CQtClipboard clipboard;
    static CQtDocumentLauncher launcher;
    static CQtFilePicker picker;
    static CQtWindowTree tree;
    static CQtAutoComplete autoComplete;
    InstallClipboard(&clipboard);
    InstallDocumentLauncher(&launcher);
    InstallFilePicker(&picker);
    InstallWindowTree(&tree);
    InstallAutoComplete(&autoComplete);
}
