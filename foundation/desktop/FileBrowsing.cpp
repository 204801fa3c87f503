#include "foundation/desktop/FileBrowsing.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShortcutFile.h"
#include "platform/core/DesktopServices.h"
#include "platform/core/LocalPath.h"
#include "platform/core/PosixFile.h"
#include "platform/core/StringResource.h"
#include "platform/core/Text.h"

namespace
{
// The class that marks a folder as a folder shortcut in its desktop.ini.
constexpr char kFolderShortcutClass[] = "0AFACED1-E828-11D1-9187-B532F1E9575D";
constexpr size_t kMaxDesktopIniSize = 64 * 1024;

// Local path text as a file-system path; other text as it is.
std::string FileSystemPathOf(const std::string& text)
{
    std::string path;
    if (IsLocalPath(text) && ToFileSystemPath(text, path))
        return path;
    return text;
}

} // namespace

bool IsFolderShortcut(const std::string& folder)
{
    if (!DirectoryExists(folder) || !FileExists(CombinePath(folder, "target.lnk")))
        return false;
    std::string ini;
    return PosixReadFileHead(CombinePath(folder, "desktop.ini"), kMaxDesktopIniSize, ini) &&
           FindNoCase(ini, kFolderShortcutClass) != std::string::npos;
}

bool ResolveFolderShortcut(WindowHandle, const std::string& folder, std::string& target)
{
    return ReadShortcutTarget(CombinePath(folder, "target.lnk"), target);
}

std::string BrowseForFolder(const std::string& startFolder, const std::string& title, WindowHandle owner)
{
    IFilePicker* picker = GetFilePicker();
    if (!picker)
        return {};
    std::string chosen = picker->PickFolder(FileSystemPathOf(startFolder), title, owner);
    std::string target;
    if (!chosen.empty() && IsFolderShortcut(chosen) && ResolveFolderShortcut(owner, chosen, target))
        chosen = target;
    return chosen;
}

void BrowseFolderIntoWindow(WindowHandle window, const std::string& title)
{
    IWindowTree* tree = GetWindowTree();
    if (!tree)
        return;
    std::string text;
    tree->GetText(window, text);
    const std::string chosen = BrowseForFolder(text, title, tree->GetOwnerOrParent(window));
    // A cancelled browser must not wipe what the user had typed.
    if (!chosen.empty())
        tree->SetText(window, chosen);
}

void BrowseFolderForWindow(WindowHandle window, unsigned titleStringId)
{
    std::string title;
    LoadResourceString(titleStringId, title);
    BrowseFolderIntoWindow(window, title);
}

std::string BrowseForFile(bool pickFolder, const std::string& path, bool save, WindowHandle parent,
                          const std::string& title, const std::string& filter)
{
    std::string start = GetSettingString(SETTING_MISC_LAST_OPENED_FOLDER);
    const std::string trimmed = Trim(path);
    const std::string fileSystemPath = FileSystemPathOf(trimmed);
    if (!trimmed.empty() && IsLocalPath(trimmed))
        start = DirectoryExists(fileSystemPath) ? fileSystemPath : GetDirectoryPart(fileSystemPath);

    if (pickFolder)
    {
        const std::string chosen = BrowseForFolder(start, title, parent);
        if (!chosen.empty())
            GetSettings().SetString(SETTING_MISC_LAST_OPENED_FOLDER, chosen.c_str());
        return chosen;
    }

    IFilePicker* picker = GetFilePicker();
    if (!picker)
        return {};
    FileDialogRequest request;
    request.m_owner = parent;
    request.m_save = save;
    request.m_folder = FileSystemPathOf(start);
    request.m_filter = filter;
    request.m_confirmOverwrite = true;
    const size_t separator = fileSystemPath.find_last_of("/\\");
    if (separator != std::string::npos)
    {
        const std::string name = fileSystemPath.substr(separator + 1);
        if (name.find_first_of("<>*|?") == std::string::npos)
            request.m_fileName = name;
    }
    const std::string chosen = picker->PickFile(request);
    if (chosen.empty())
        return {};
    GetSettings().SetString(SETTING_MISC_LAST_OPENED_FOLDER, start.c_str());
    return chosen;
}
