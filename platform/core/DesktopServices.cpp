#include "platform/core/DesktopServices.h"

#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::atomic<IClipboard*> g_clipboard{nullptr};
std::atomic<IDocumentLauncher*> g_launcher{nullptr};
std::atomic<IFilePicker*> g_filePicker{nullptr};
std::atomic<IWindowTree*> g_windowTree{nullptr};
std::atomic<IAutoComplete*> g_autoComplete{nullptr};
} // namespace

IClipboard* InstallClipboard(IClipboard* clipboard)
{
    return g_clipboard.exchange(clipboard);
}

IClipboard* GetClipboard()
{
    return g_clipboard.load();
}

IDocumentLauncher* InstallDocumentLauncher(IDocumentLauncher* launcher)
{
    return g_launcher.exchange(launcher);
}

IDocumentLauncher* GetDocumentLauncher()
{
    return g_launcher.load();
}

IFilePicker* InstallFilePicker(IFilePicker* picker)
{
    return g_filePicker.exchange(picker);
}

IFilePicker* GetFilePicker()
{
    return g_filePicker.load();
}

IWindowTree* InstallWindowTree(IWindowTree* tree)
{
    return g_windowTree.exchange(tree);
}

IWindowTree* GetWindowTree()
{
    return g_windowTree.load();
}

IAutoComplete* InstallAutoComplete(IAutoComplete* autoComplete)
{
    return g_autoComplete.exchange(autoComplete);
}

IAutoComplete* GetAutoComplete()
{
    return g_autoComplete.load();
}

int CheckLocalDocument(const std::string& path)
{
    if (::access(path.c_str(), R_OK) == 0)
        return 0;
    if (errno != ENOENT && errno != ENOTDIR)
        return kOpenAccessDenied;
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    struct stat st
    {
    };
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return kOpenPathNotFound;
    return kOpenFileNotFound;
}
