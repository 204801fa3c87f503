#include "foundation/desktop/ShortcutFile.h"

#include "foundation/files/PathUtils.h"
#include "foundation/text/Utf8.h"
#include "platform/core/ByteOrder.h"
#include "platform/core/PosixFile.h"
#include "platform/core/Text.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
constexpr size_t kMaxShortcutSize = 1 << 20;

bool ReadSmallFile(const std::string& path, std::string& bytes)
{
    if (PosixReadFileHead(path, kMaxShortcutSize + 1, bytes) && bytes.size() <= kMaxShortcutSize)
        return true;
    bytes.clear();
    return false;
}

// Walks the "key=value" lines of an INI-like text: calls visit(group, key,
// value) for every line inside a "[group]", the key and value trimmed of
// blanks. Blank lines and lines starting with '#' or ';' are skipped.
template <typename Visit> void ForEachKey(std::string_view text, Visit visit)
{
    std::string group;
    bool inGroup = false;
    for (const std::string& rawLine : Split(text, '\n'))
    {
        const std::string line = Trim(rawLine, " \t\r");
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[')
        {
            const size_t close = line.find(']');
            inGroup = close != std::string::npos;
            group = inGroup ? line.substr(1, close - 1) : std::string();
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string::npos)
            continue;
        if (!visit(group, Trim(line.substr(0, equals), " \t"), Trim(line.substr(equals + 1), " \t")))
            return;
    }
}

std::string DecodeDesktopEscapes(std::string_view value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i)
    {
        if (value[i] != '\\' || i + 1 == value.size())
        {
            out.push_back(value[i]);
            continue;
        }
        const char next = value[++i];
        switch (next)
        {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        default:
            out.push_back(next);
            break;
        }
    }
    return out;
}

uint32_t ReadU32(std::string_view bytes, size_t at)
{
    return LoadLittleEndian32(reinterpret_cast<const uint8_t*>(bytes.data() + at));
}

uint16_t ReadU16(std::string_view bytes, size_t at)
{
    return LoadLittleEndian16(reinterpret_cast<const uint8_t*>(bytes.data() + at));
}

// A NUL-terminated 8-bit text inside block, from offset; read as Latin-1
// (the system code page of the writer is not known). False when it runs
// off the block.
bool ReadAnsiText(std::string_view block, size_t offset, std::string& out)
{
    out.clear();
    if (offset >= block.size())
        return false;
    const size_t end = block.find('\0', offset);
    if (end == std::string_view::npos)
        return false;
    for (size_t i = offset; i < end; ++i)
        AppendUtf8(out, static_cast<unsigned char>(block[i]));
    return true;
}

// A NUL-terminated UTF-16LE text inside block, from offset. False when it
// runs off the block or holds a broken surrogate pair.
bool ReadWideText(std::string_view block, size_t offset, std::string& out)
{
    out.clear();
    for (size_t at = offset;; at += 2)
    {
        if (at + 2 > block.size())
            return false;
        uint32_t unit = ReadU16(block, at);
        if (unit == 0)
            return true;
        if (unit >= 0xD800 && unit < 0xDC00)
        {
            if (at + 4 > block.size())
                return false;
            const uint32_t low = ReadU16(block, at + 2);
            if (low < 0xDC00 || low >= 0xE000)
                return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            at += 2;
        }
        else if (unit >= 0xDC00 && unit < 0xE000)
        {
            return false;
        }
        AppendUtf8(out, unit);
    }
}
} // namespace

bool ParseInternetShortcut(std::string_view text, std::string& url)
{
    url.clear();
    ForEachKey(text,
               [&](const std::string& group, const std::string& key, const std::string& value)
               {
                   if (EqualsNoCase(group, "InternetShortcut") && EqualsNoCase(key, "URL"))
                   {
                       url = value;
                       return false;
                   }
                   return true;
               });
    return !url.empty();
}

bool ParseDesktopLink(std::string_view text, std::string& url)
{
    url.clear();
    bool isLink = false;
    std::string found;
    // Keys are case-sensitive in desktop entries; localised keys ("URL[de]")
    // do not count.
    ForEachKey(text,
               [&](const std::string& group, const std::string& key, const std::string& value)
               {
                   if (group != "Desktop Entry")
                       return true;
                   if (key == "Type")
                       isLink = value == "Link";
                   else if (key == "URL" && found.empty())
                       found = DecodeDesktopEscapes(value);
                   return true;
               });
    if (!isLink || found.empty())
        return false;
    url = std::move(found);
    return true;
}

bool ParseShellLink(std::string_view bytes, std::string& target)
{
    target.clear();
    // The header: its size, the shell link class id, the link flags.
    static const unsigned char kClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    constexpr size_t kHeaderSize = 0x4C;
    constexpr uint32_t kHasIdList = 0x01;
    constexpr uint32_t kHasLinkInfo = 0x02;
    constexpr uint32_t kForceNoLinkInfo = 0x100;
    constexpr uint32_t kLocalBasePath = 0x01;
    if (bytes.size() < kHeaderSize || ReadU32(bytes, 0) != kHeaderSize ||
        std::memcmp(bytes.data() + 4, kClassId, sizeof(kClassId)) != 0)
        return false;
    const uint32_t flags = ReadU32(bytes, 20);
    size_t at = kHeaderSize;
    if (flags & kHasIdList)
    {
        if (at + 2 > bytes.size())
            return false;
        at += 2 + ReadU16(bytes, at);
    }
    if (!(flags & kHasLinkInfo) || (flags & kForceNoLinkInfo) || at + 28 > bytes.size())
        return false;

    // The link information, read within its own stated size.
    const uint32_t infoSize = ReadU32(bytes, at);
    if (infoSize < 28 || infoSize > bytes.size() - at)
        return false;
    const std::string_view info = bytes.substr(at, infoSize);
    const uint32_t infoHeaderSize = ReadU32(info, 4);
    const uint32_t infoFlags = ReadU32(info, 8);
    if (!(infoFlags & kLocalBasePath) || infoHeaderSize < 28 || infoHeaderSize > infoSize)
        return false;

    std::string base;
    std::string suffix;
    bool read = false;
    if (infoHeaderSize >= 36)
    {
        const uint32_t baseWide = ReadU32(info, 28);
        const uint32_t suffixWide = ReadU32(info, 32);
        if (baseWide != 0)
            read = ReadWideText(info, baseWide, base) &&
                   (suffixWide == 0 || ReadWideText(info, suffixWide, suffix));
    }
    if (!read)
        read = ReadAnsiText(info, ReadU32(info, 16), base) && ReadAnsiText(info, ReadU32(info, 24), suffix);
    if (!read || base.empty())
        return false;
    target = base + suffix;
    return true;
}

bool ReadShortcutTarget(const std::string& path, std::string& target)
{
    target.clear();
    const char* extension = FindFileExtension(path.c_str());
    if (!extension)
        return false;
    const std::string_view kind(extension);
    bool (*parse)(std::string_view, std::string&) = nullptr;
    if (EqualsNoCase(kind, ".url"))
        parse = ParseInternetShortcut;
    else if (EqualsNoCase(kind, ".desktop"))
        parse = ParseDesktopLink;
    else if (EqualsNoCase(kind, ".lnk"))
        parse = ParseShellLink;
    else
        return false;
    std::string bytes;
    return ReadSmallFile(path, bytes) && parse(bytes, target);
}
