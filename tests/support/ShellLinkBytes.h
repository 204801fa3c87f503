#pragma once
// Builds the bytes of a Windows shell link (".lnk") that names its target by
// a local base path, laid out as the published shell link format gives it:
// the 76-byte header with the shell link class id, an optional item list,
// then the link information with the local base path and the common path
// suffix (and, when asked, their UTF-16 forms).

#include <cstdint>
#include <string>

struct ShellLinkParts
{
    std::string m_basePath; // 8-bit text
    std::string m_suffix;   // 8-bit text
    bool m_withItemList = true;
    std::u16string m_wideBase; // written with the wide offsets when not empty
    std::u16string m_wideSuffix;
};

inline void AppendU16(std::string& out, uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

inline void AppendU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline void PutU32(std::string& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
}

inline std::string MakeShellLink(const ShellLinkParts& parts)
{
    std::string bytes;
    AppendU32(bytes, 0x4C);
    const unsigned char classId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    bytes.append(reinterpret_cast<const char*>(classId), sizeof(classId));
    AppendU32(bytes, (parts.m_withItemList ? 0x01u : 0u) | 0x02u); // item list, link info
    bytes.resize(0x4C, '\0'); // attributes, times, size, icon, show command, hot key

    if (parts.m_withItemList)
    {
        // One item of 6 bytes, then the terminating empty item.
        const std::string items = std::string("\x06\x00\x1F\x50\xAA\xBB", 6) + std::string(2, '\0');
        AppendU16(bytes, static_cast<uint16_t>(items.size()));
        bytes += items;
    }

    const bool wide = !parts.m_wideBase.empty();
    const uint32_t headerSize = wide ? 0x24 : 0x1C;
    std::string info(headerSize, '\0');
    PutU32(info, 4, headerSize);
    PutU32(info, 8, 0x01); // volume id and local base path
    // A volume id of 16 bytes: size, drive type, serial, label offset, label.
    PutU32(info, 12, static_cast<uint32_t>(info.size()));
    AppendU32(info, 0x11);
    AppendU32(info, 3);
    AppendU32(info, 0x12345678);
    AppendU32(info, 0x10);
    info.push_back('\0');
    PutU32(info, 16, static_cast<uint32_t>(info.size()));
    info += parts.m_basePath;
    info.push_back('\0');
    PutU32(info, 24, static_cast<uint32_t>(info.size()));
    info += parts.m_suffix;
    info.push_back('\0');
    if (wide)
    {
        PutU32(info, 28, static_cast<uint32_t>(info.size()));
        for (char16_t unit : parts.m_wideBase)
            AppendU16(info, unit);
        AppendU16(info, 0);
        PutU32(info, 32, static_cast<uint32_t>(info.size()));
        for (char16_t unit : parts.m_wideSuffix)
            AppendU16(info, unit);
        AppendU16(info, 0);
    }
    PutU32(info, 0, static_cast<uint32_t>(info.size()));
    bytes += info;
    // An empty string data section is absent; the extra data ends with a
    // terminal block.
    AppendU32(bytes, 0);
    return bytes;
}
