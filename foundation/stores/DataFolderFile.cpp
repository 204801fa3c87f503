#include "foundation/stores/DataFolderFile.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/files/PathUtils.h"

std::string GetDataFolderFilePath(std::string_view fileName)
{
    const std::string folder = GetAppIdentity().GetDataFolderPath();
    return folder.empty() ? std::string() : CombinePath(folder, fileName);
}

bool SaveAndAnnounce(std::string_view fileName, unsigned broadcastCode,
                     const std::function<bool(const std::string& path)>& save,
                     const std::function<int64_t()>& argument)
{
    const std::string path = GetDataFolderFilePath(fileName);
    if (path.empty() || !save(path))
        return false;
    PostInstanceBroadcast(broadcastCode, argument());
    return true;
}
