#include "foundation/desktop/AppIdentity.h"

#include <sys/stat.h>

#include "platform/core/PosixFile.h"
#include "platform/core/Text.h"
#include "platform/core/XdgFolders.h"

namespace
{
bool IsValidIndex(int index)
{
    return index >= 0 && index < CAppIdentity::kStringCount;
}

// Store files hold passwords and cookies, so only the user may enter.
void EnsureDataFolder(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return;
    // A failure shows later as a failed write of the file that needed it.
    PosixCreateDirectories(path, 0700);
}
} // namespace

CAppIdentity::CAppIdentity()
{
    m_strings[kCompany] = "Noname company";
    m_strings[kProduct] = "Noname product";
    m_strings[kVersion] = "1.0";
    m_strings[kSection] = "Common";
    m_strings[kSection2] = "Common";
}

void CAppIdentity::SetString(int index, std::string_view text)
{
    if (!IsValidIndex(index))
        return;
    CScopedLock lock(m_lock);
    m_strings[index] = text;
    if (index == kCompany || index == kProduct)
    {
        m_strings[kDataFolder].clear();
        m_strings[kRegistryPath].clear();
    }
}

bool CAppIdentity::GetDerivedLocked(int index, std::string& out)
{
    std::string& value = m_strings[index];
    if (value.empty())
    {
        const std::string& company = m_strings[kCompany];
        const std::string& product = m_strings[kProduct];
        if (company.empty() || product.empty())
            return false;
        if (index == kDataFolder)
        {
            std::string base;
            if (!GetAppDataFolder(base))
                return false;
            value = base + "/" + company + "/" + product;
            EnsureDataFolder(value);
        }
        else
        {
            value = "Software\\" + company + "\\" + product;
        }
    }
    out = value;
    return true;
}

bool CAppIdentity::GetStringInto(int index, std::string& out)
{
    out.clear();
    if (!IsValidIndex(index))
        return false;
    CScopedLock lock(m_lock);
    if (index == kDataFolder || index == kRegistryPath)
        return GetDerivedLocked(index, out);
    out = m_strings[index];
    return true;
}

std::string CAppIdentity::GetString(int index)
{
    std::string text;
    GetStringInto(index, text);
    return text;
}

std::string CAppIdentity::JoinLocked(int index, std::string_view sub, bool withVersion, char separator,
                                     std::string_view trimChars)
{
    std::string path;
    if (!GetDerivedLocked(index, path))
        return std::string();
    if (withVersion && !m_strings[kVersion].empty())
    {
        path += separator;
        path += m_strings[kVersion];
    }
    const std::string trimmed = Trim(sub, trimChars);
    if (!trimmed.empty())
    {
        path += separator;
        path += trimmed;
    }
    return path;
}

std::string CAppIdentity::GetDataFolderPath(std::string_view sub, bool withVersion)
{
    CScopedLock lock(m_lock);
    std::string path = JoinLocked(kDataFolder, sub, withVersion, '/', "/\\");
    // The folder may have been removed since it was derived.
    if (!path.empty())
        EnsureDataFolder(m_strings[kDataFolder]);
    return path;
}

std::string CAppIdentity::GetRegistryPath(std::string_view sub, bool withVersion)
{
    CScopedLock lock(m_lock);
    return JoinLocked(kRegistryPath, sub, withVersion, '\\', "\\");
}

CAppIdentity& GetAppIdentity()
{
    static CAppIdentity identity;
    return identity;
}

bool GetAppDataFolder(std::string& out)
{
    out = TrimRight(GetXdgDataHome(), "/");
    return !out.empty();
}
