#include "platform/core/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace
{
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    // The rules say a relative path is invalid and must be ignored.
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string BelowHome(const char* variable, const char* fallback)
{
    std::string folder = AbsoluteFromEnvironment(variable);
    if (!folder.empty())
        return folder;
    const std::string home = GetHomeFolder();
    return home.empty() ? std::string() : home + fallback;
}
} // namespace

std::string GetHomeFolder()
{
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty())
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

std::string GetXdgConfigHome()
{
    return BelowHome("XDG_CONFIG_HOME", "/.config");
}

std::string GetXdgDataHome()
{
    return BelowHome("XDG_DATA_HOME", "/.local/share");
}
