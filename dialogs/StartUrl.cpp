#include "dialogs/StartUrl.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"
#include "res/Resources.h"

namespace
{
const char kContinue[] = "\r\n\r\nClick Next to continue.";
} // namespace

CStartUrlVerdict CheckStartUrl(const std::string& text)
{
    CStartUrlVerdict verdict;
    if (text.empty())
    {
        verdict.m_text = "URL is empty!";
        return verdict;
    }
    if (IsLocalPath(text))
    {
        // "~/site" and "file:" addresses name the same files as plain paths.
        std::string path;
        const bool known = ToFileSystemPath(text, path);
        if (known && FileExists(path))
            verdict.m_text = "Existing local file";
        else if (known && DirectoryExists(path))
            verdict.m_text = "Existing local folder";
        else
            verdict.m_text = "Unknown local file or folder";
        verdict.m_text += kContinue;
        verdict.m_accepted = true;
        return verdict;
    }
    int scheme = URL_SCHEME_UNKNOWN;
    std::string host;
    std::string path;
    int port = -1;
    if (!ParseUrl(text.c_str(), scheme, host, port, nullptr, nullptr, &path, false))
    {
        verdict.m_text = "Invalid URL format!";
        return verdict;
    }
    verdict.m_text = Format("URL protocol: %s\r\nHost: %s\r\nPort: %d\r\nPath: %s", GetProtocolName(scheme).c_str(),
                            host.c_str(), port, path.empty() ? "/" : path.c_str()) +
                     kContinue;
    verdict.m_accepted = true;
    return verdict;
}

std::string NewTaskTitle(const std::string& uri)
{
    std::string title = "New task";
    if (IsLocalPath(uri))
        return title + " (local)";
    const int scheme = GetUrlScheme(uri.c_str(), true);
    if (scheme == URL_SCHEME_HTTP || scheme == URL_SCHEME_HTTPS || scheme == URL_SCHEME_FTP)
        title += " (" + GetProtocolName(scheme) + ")";
    return title;
}

std::string InvalidUrlMessage(const std::string& url)
{
    // Put in by hand rather than through Format: the text is a resource.
    std::string text = LoadResourceString(IDS_INVALID_URL);
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, url.empty() ? LoadResourceString(IDS_EMPTY) : url);
    return text;
}

bool NewTaskCanAccept(const std::string& uri, int action)
{
    return !uri.empty() && (action != 4 || IsLocalPath(uri));
}
