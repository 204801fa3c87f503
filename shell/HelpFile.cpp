#include "shell/HelpFile.h"

#include "foundation/desktop/ShellHelpers.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/ui/ModalDriver.h"
#include "res/Resources.h"

std::string FindHelpFilePath()
{
    const std::string configured = GetSettings().GetStringValue(SETTING_HELP_FILE_PATH);
    if (!configured.empty() && FileExists(configured))
        return configured;
    std::string name = GetAppConstant(0);
    while (!name.empty() && (name.front() == '/' || name.front() == '\\'))
        name.erase(0, 1);
    while (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.pop_back();
    const std::string folder = GetModuleDirectory();
    for (const std::string& candidate : {CombinePath(folder, name), CombinePath(CombinePath(folder, "Help"), name)})
    {
        if (FileExists(candidate))
            return candidate;
    }
    return std::string();
}

bool OpenHelpFile()
{
    const std::string path = FindHelpFilePath();
    if (path.empty())
    {
        AfxMessageBox(LoadResourceString(IDS_HELP_NOT_FOUND), MB_OK | MB_ICONERROR);
        return false;
    }
    return ShellOpen(path);
}
