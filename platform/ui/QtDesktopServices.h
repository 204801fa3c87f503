#pragma once
// The Qt implementations of the desktop services (platform/core/
// DesktopServices.h). Windows are the widgets that have a handle
// (WidgetWindow.h). All but the launcher are for the UI thread.

#include "platform/core/DesktopServices.h"

// The system clipboard through QGuiApplication::clipboard().
class CQtClipboard : public IClipboard
{
public:
    bool HasText() override;
    bool GetText(std::string& text) override;
    bool SetText(std::string_view text) override;
};

// Starts "xdg-open" with the target as its one argument (no shell). A local
// path is checked first (CheckLocalDocument), so a missing document is
// reported as such; a relative path beginning with '-' is passed as "./-..."
// so that it can never read as an option. xdg-open that cannot be started
// gives kOpenNoAssociation.
class CQtDocumentLauncher : public IDocumentLauncher
{
public:
    int Open(const std::string& target) override;
};

// QFileDialog for files (filters converted by ConvertFileFilter) and folders
// (folders only, a typed path accepted).
class CQtFilePicker : public IFilePicker
{
public:
    std::string PickFile(const FileDialogRequest& request) override;
    std::string PickFolder(const std::string& startFolder, const std::string& title,
                           WindowHandle owner) override;
};

// The widget tree. A window's text is an edit box's or combo box's text, a
// button's or label's text, else the window title. Descendants and top-level
// windows are those that have a handle; a thread other than the UI thread
// owns no windows. The owner of a window is its parent widget, which gets a
// handle when it has none.
class CQtWindowTree : public IWindowTree
{
public:
    std::vector<WindowHandle> GetDescendants(WindowHandle parent) override;
    std::vector<WindowHandle> GetThreadTopLevelWindows() override;
    WindowHandle GetOwnerOrParent(WindowHandle window) override;
    bool GetText(WindowHandle window, std::string& text) override;
    bool SetText(WindowHandle window, std::string_view text) override;
};

// A QCompleter on a line edit (or an editable combo box): over the given
// addresses when the flags ask for addresses and there are some, else over
// the file system (folders only for kAutoCompleteFileSysDirs).
class CQtAutoComplete : public IAutoComplete
{
public:
    bool Enable(WindowHandle edit, unsigned flags, const std::vector<std::string>& addresses) override;
};

// Installs one of each for the life of the process; call on the UI thread
// once the QApplication exists.
void InstallQtDesktopServices();
