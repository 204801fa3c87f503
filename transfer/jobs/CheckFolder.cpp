#include "transfer/jobs/CheckFolder.h"

#include "foundation/text/Escaping.h"
#include "foundation/files/FileSystem.h"

#include <string_view>

namespace
{
bool IsSingleComponent(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string CandidateIn(const std::string& folder, const std::string& name)
{
    if (!IsSingleComponent(name))
        return {};
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path != "/")
        path += '/';
    path += name;
    return FileExists(path) ? path : std::string();
}
} // namespace

std::string FindCheckFolderFile(const std::string& folder, const std::string& localPath)
{
    if (folder.empty())
        return {};
    const size_t slash = localPath.rfind('/');
    const std::string name = slash == std::string::npos ? localPath : localPath.substr(slash + 1);
    std::string found = CandidateIn(folder, name);
    if (found.empty())
        found = CandidateIn(folder, UnescapeChars(name, '%'));
    return found;
}
