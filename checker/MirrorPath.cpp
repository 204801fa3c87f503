#include "checker/MirrorPath.h"

#include "foundation/files/PathUtils.h"

#include <cstring>

namespace
{
bool IsUnsafe(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f || std::strchr(":*?\"<>|", c) != nullptr;
}
} // namespace

std::string MirrorPathBelow(std::string_view folder, std::string_view relative)
{
    std::string safe;
    size_t start = 0;
    while (start <= relative.size())
    {
        size_t end = relative.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = relative.size();
        std::string segment(relative.substr(start, end - start));
        start = end + 1;
        if (segment.empty() || segment == "." || segment == "..")
            continue;
        for (char& c : segment)
        {
            if (IsUnsafe(c))
                c = '_';
        }
        if (!safe.empty())
            safe += '/';
        safe += segment;
    }
    if (safe.empty())
        safe = "[default].html";
    // "~/..." would read as a path of its own and be taken whole.
    if (safe[0] == '~')
        safe[0] = '_';
    return CombinePath(folder, safe);
}
