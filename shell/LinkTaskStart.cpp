#include "shell/LinkTaskStart.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/LinkItem.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"
#include "res/Resources.h"

#include <fstream>
#include <sstream>

namespace
{
constexpr size_t kTitleUrlLength = 100;

bool EndsWithNoCase(const std::string& text, std::string_view tail)
{
    return text.size() >= tail.size() && CompareNoCase(std::string_view(text).substr(text.size() - tail.size()), tail) == 0;
}

CStartAddress Invalid(const std::string& text)
{
    CStartAddress result;
    result.m_invalid = text;
    return result;
}

CStartAddress PrepareRemote(const std::string& address)
{
    CLinkItem item;
    if (!item.SetUrl(address.c_str(), false))
        return Invalid(address);
    CUrlParts parts = item.GetUrlParts();
    CStartAddress result;
    const bool storePassword =
        parts.m_user != "$" && parts.m_password != "$" && !parts.m_user.empty() && !parts.m_password.empty();
    const std::string password = parts.m_password;
    if (parts.m_password != "$" || parts.m_user == "$")
        parts.m_password.clear();
    result.m_valid = true;
    result.m_url = ComposeUrlFromParts(parts, item.GetUrl(), true);
    if (storePassword)
    {
        // The key the transfer side asks for: the site with the login that
        // the task's address now carries, without its password.
        CLinkItem stored;
        if (stored.SetUrl(result.m_url.c_str(), false))
        {
            result.m_passwordKey = stored.GetSiteUrlWithLogin();
            result.m_password = password;
        }
    }
    return result;
}
} // namespace

bool ReadInternetShortcut(const std::string& path, std::string& url)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream whole;
    whole << file.rdbuf();
    if (file.bad())
        return false;
    const std::string text = whole.str();
    const size_t key = text.find("URL=");
    if (key == std::string::npos)
        return false;
    const size_t start = key + 4;
    const size_t end = text.find_first_of("\r\n", start);
    url = Trim(std::string_view(text).substr(start, end == std::string::npos ? std::string::npos : end - start));
    return true;
}

CStartAddress PrepareStartAddress(const std::string& address)
{
    if (address.empty())
        return Invalid(LoadResourceString(IDS_EMPTY));
    if (!IsLocalPath(address))
        return PrepareRemote(address);

    std::string file;
    if (!EndsWithNoCase(address, ".url") || !ToFileSystemPath(address, file) || !FileExists(file))
    {
        CStartAddress result;
        result.m_valid = true;
        result.m_url = address;
        return result;
    }
    std::string target;
    if (!ReadInternetShortcut(file, target) || target.empty())
        return Invalid(address);
    // The shortcut's address goes through the same rules as a typed one.
    if (IsLocalPath(target))
    {
        CStartAddress result;
        result.m_valid = true;
        result.m_url = target;
        return result;
    }
    return PrepareRemote(target);
}

std::string MakeLinkTreeTitle(const std::string& url, int recursion, bool offline)
{
    std::string title = url.size() > kTitleUrlLength ? url.substr(0, kTitleUrlLength) + "..." : url;
    title += Format(" [maxrec: %d]", recursion);
    if (offline)
        title += " (offline)";
    return title;
}
