#include "transfer/client/ResourceKind.h"

#include "foundation/links/LinkItem.h"
#include "foundation/files/PathUtils.h"
#include "platform/core/Text.h"

namespace
{

enum ResourceKind
{
    KIND_UNKNOWN = 0,
    KIND_TEXT = 1,
    KIND_FILE = 2,
    KIND_HTML = 3,
    KIND_IMAGE = 4,
    KIND_AUDIO = 5,
    KIND_VIDEO = 6,
    KIND_ARCHIVE = 7,
};

struct KindPattern
{
    std::string_view text;
    int kind;
};

// Tried in this order; the first that occurs wins, so "text/html" must come
// before "text/".
constexpr KindPattern kMimeKinds[] = {
    {"text/html", KIND_HTML},     {"text/", KIND_TEXT},     {"/octet-stream", KIND_TEXT},
    {"/x-javascript", KIND_TEXT}, {"image/", KIND_IMAGE},   {"video/", KIND_VIDEO},
    {"audio/", KIND_AUDIO},       {"/zip", KIND_ARCHIVE},   {"/rar", KIND_ARCHIVE},
    {"/tar", KIND_ARCHIVE},       {"/x-tar", KIND_ARCHIVE},
};

constexpr KindPattern kExtensionKinds[] = {
    {".html", KIND_HTML},   {".htm", KIND_HTML},   {".hhc", KIND_HTML},    {".xml", KIND_HTML},
    {".css", KIND_HTML},    {".dhtml", KIND_HTML}, {".shtml", KIND_HTML},  {".jpeg", KIND_IMAGE},
    {".png", KIND_IMAGE},   {".gif", KIND_IMAGE},  {".ico", KIND_IMAGE},   {".jpg", KIND_IMAGE},
    {".jpe", KIND_IMAGE},   {".bmp", KIND_IMAGE},  {".pcx", KIND_IMAGE},   {".txt", KIND_TEXT},
    {".h", KIND_TEXT},      {".hpp", KIND_TEXT},   {".c", KIND_TEXT},      {".cpp", KIND_TEXT},
    {".rc", KIND_TEXT},     {".log", KIND_TEXT},   {".zip", KIND_ARCHIVE}, {".gz", KIND_ARCHIVE},
    {".rar", KIND_ARCHIVE}, {".wav", KIND_AUDIO},  {".mp3", KIND_AUDIO},   {".avi", KIND_VIDEO},
    {".mpeg", KIND_VIDEO},  {".asf", KIND_VIDEO},  {".mpg", KIND_VIDEO},
};

} // namespace

int GetResourceKind(std::string_view mimeType, const std::string& path)
{
    if (!mimeType.empty())
    {
        const std::string lowered = MakeLower(mimeType);
        for (const KindPattern& pattern : kMimeKinds)
        {
            if (lowered.find(pattern.text) != std::string::npos)
                return pattern.kind;
        }
    }
    if (path.empty())
        return KIND_UNKNOWN;
    const char* extension = FindFileExtension(path.c_str());
    if (!extension)
        return KIND_FILE;
    const std::string lowered = MakeLower(extension);
    for (const KindPattern& pattern : kExtensionKinds)
    {
        if (lowered == pattern.text)
            return pattern.kind;
    }
    return KIND_FILE;
}

std::string LinkTypeName(int kind)
{
    if (kind < 0 || kind >= kResourceTypeCount)
        return std::string();
    return GetResourceTypeName(kind);
}

int GetResourceKindByName(std::string_view name)
{
    return GetResourceTypeByName(name);
}
