// Saving the local copies of chosen links: a local file itself, a remote
// link's downloaded file. One link goes to the file the user named; several
// go into the folder the user named, each under a name taken from the link,
// and never outside that folder.

#include "checker/LinkChecker.h"

#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathJoin.h"
#include "foundation/files/PathUtils.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"
#include "transfer/base/OptionalLog.h"

namespace
{
// The file-system path of a local path text, else the text as it stands.
std::string FileSystemPath(const std::string& text)
{
    std::string path;
    if (IsLocalPath(text) && ToFileSystemPath(text, path))
        return path;
    return text;
}

// The last segment of a URL's path (without query and fragment); empty when
// the URL has no path.
std::string LastUrlSegment(const std::string& url)
{
    std::string_view text(url);
    text = text.substr(0, text.find_first_of("?#"));
    const size_t scheme = text.find("://");
    if (scheme != std::string_view::npos && text.find('/', scheme + 3) == std::string_view::npos)
        return {};
    const size_t slash = text.rfind('/');
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

// A name that stays inside the folder it is joined to.
bool IsSafeName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// The name, or one made from the link id when the name could leave the
// folder or name the folder itself.
std::string SafeName(const std::string& name, int id)
{
    return IsSafeName(name) ? name : Format("link%d", id);
}

std::string FileNameOf(const std::string& path)
{
    const char* name = FindFileName(path.c_str());
    return name != nullptr ? name : path;
}
} // namespace

bool CLinkChecker::CanSaveLinks(const int* ids, int count, bool all) const
{
    bool any = false;
    for (int i = 0; i < count; ++i)
    {
        CEngineLock lock(m_lock);
        if (!IsValidId(ids[i]))
            continue;
        const bool yes = GetNodeById(ids[i])->HasLocalCopy();
        if (yes && !all)
            return true;
        if (!yes && all)
            return false;
        any = any || yes;
    }
    return any;
}

bool CLinkChecker::CanSaveLink(int id) const
{
    return CanSaveLinks(&id, 1, true);
}

int CLinkChecker::SaveLinksAs(const int* ids, int count, const std::string& target, ITransferLog* messages)
{
    if (count <= 0)
        return 0;
    const std::string destination = FileSystemPath(target);
    const bool single = count == 1;
    if (!single && !DirectoryExists(destination) && !CreateDirectoryTree(destination))
    {
        LogMessage(messages, kLogError, kMessageCannotCreateDir, target.c_str());
        return 0;
    }
    int saved = 0;
    for (int i = 0; i < count; ++i)
    {
        if (SaveOneLink(ids[i], destination, single, messages))
            ++saved;
    }
    return saved;
}

bool CLinkChecker::SaveOneLink(int id, const std::string& target, bool single, ITransferLog* messages) const
{
    CEngineLock lock(m_lock);
    if (!IsValidId(id))
        return false;
    const CLinkNode* node = GetNodeById(id);
    if (!node->HasLocalCopy())
        return false;
    std::string source;
    std::string name;
    if (IsLocalPath(node->m_url))
    {
        source = FileSystemPath(node->m_url);
        if (DirectoryExists(source))
            return false;
        name = SafeName(FileNameOf(source), id);
    }
    else
    {
        const CUrlRecord* record = node->GetUrlRecord();
        if (record == nullptr || !record->m_hasLocalCopy)
            return false;
        source = record->m_localPath;
        name = SafeName(LastUrlSegment(node->m_url), id);
    }
    const std::string destination = single ? target : JoinEntryPath(target, name);
    // A file saved onto itself is already where it was asked to go.
    if (source == destination)
        return true;
    if (CopyFileReplacing(source, destination))
        return true;
    LogMessage(messages, kLogError, kMessageCannotCopyFile, source.c_str(), destination.c_str());
    return false;
}
