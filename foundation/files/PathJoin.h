#pragma once
// Joining a folder with a bare entry name for the file-system helpers. Unlike
// CombinePath (PathUtils.h), which reads text that may hold '\', these take
// names as they are: a name from a listing may hold '\' itself.

#include <string>

// The path without trailing '/', except that the root stays "/".
inline std::string WithoutTrailingSlashes(const std::string& path)
{
    std::string result = path;
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

// folder + '/' + name, without doubling the '/' of the root.
inline std::string JoinEntryPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}
