#include "foundation/files/PathUtils.h"

#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace
{
bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Position of the last separator of text; npos when it has none.
size_t LastSeparator(std::string_view text)
{
    return text.find_last_of("/\\");
}

std::string WithForwardSlashes(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

std::string ReadOwnExecutablePath()
{
    // readlink does not say whether it cut the result, so grow until it fits.
    std::string buffer(256, '\0');
    for (;;)
    {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
        {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}
} // namespace

bool IsLocalPath(std::string_view text)
{
    return text.starts_with('/') || text.starts_with("~/") || text.starts_with("file:");
}

const char* FindFileExtension(const char* text)
{
    if (!text)
        return nullptr;
    const char* dot = nullptr;
    for (const char* p = text; *p; ++p)
    {
        if (*p == '.')
            dot = p;
        else if (IsSeparator(*p))
            dot = nullptr;
    }
    return dot;
}

const char* FindFileName(const char* text)
{
    if (!text)
        return nullptr;
    const size_t pos = LastSeparator(text);
    return pos == std::string_view::npos ? nullptr : text + pos + 1;
}

std::string GetDirectoryPart(std::string_view text)
{
    const size_t pos = LastSeparator(text);
    return std::string(pos == std::string_view::npos ? text : text.substr(0, pos + 1));
}

std::string CombinePath(std::string_view folder, std::string_view name)
{
    if (IsLocalPath(name))
        return std::string(name);
    std::string left = WithForwardSlashes(folder);
    std::string right = WithForwardSlashes(name);
    while (!left.empty() && left.back() == '/')
        left.pop_back();
    while (!right.empty() && right.back() == '/')
        right.pop_back();
    const size_t start = right.find_first_not_of('/');
    right.erase(0, start == std::string::npos ? right.size() : start);
    // Joining an empty folder would make the name a path at the root: "a"
    // below "" stays "a", while "/" as the folder still gives "/a".
    if (left.empty() && !folder.empty())
        return "/" + right;
    if (left.empty())
        return right;
    return left + "/" + right;
}

std::string GetModulePath(const void* module)
{
    if (!module)
        return ReadOwnExecutablePath();
    Dl_info info{};
    if (::dladdr(module, &info) == 0 || !info.dli_fname)
        return {};
    std::string path(info.dli_fname);
    // The main program reports the name it was started with, which may be
    // relative or bare; its real path is the reliable answer.
    if (path.empty() || path.front() != '/')
        return ReadOwnExecutablePath();
    return path;
}

std::string GetModuleDirectory(const void* module)
{
    const std::string path = GetModulePath(module);
    const size_t pos = path.rfind('/');
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string GetModuleFilePath(std::string_view name)
{
    return CombinePath(GetModuleDirectory(nullptr), name);
}
