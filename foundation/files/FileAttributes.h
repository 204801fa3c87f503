#pragma once
// Attribute bits of a file-system entry as the finder and the folder walk
// report them. The values are those of the Windows attribute word, so code
// and stored numbers written for it keep their meaning.
//
// On this platform the read-only attribute is the owner's missing write
// permission, a folder is a real folder, and a symbolic link reported by a
// walk (which never follows links) carries kFileAttributeReparsePoint and not
// kFileAttributeDirectory. An entry with no other bit is kFileAttributeNormal.

#include <cstdint>

inline constexpr uint32_t kFileAttributeReadOnly = 0x0001;
inline constexpr uint32_t kFileAttributeDirectory = 0x0010;
inline constexpr uint32_t kFileAttributeNormal = 0x0080;
inline constexpr uint32_t kFileAttributeReparsePoint = 0x0400;

// The attribute word of an entry described by its kind and permission.
inline uint32_t MakeFileAttributes(bool isFolder, bool isSymlink, bool readOnly)
{
    uint32_t attributes = 0;
    if (readOnly)
        attributes |= kFileAttributeReadOnly;
    if (isFolder)
        attributes |= kFileAttributeDirectory;
    if (isSymlink)
        attributes |= kFileAttributeReparsePoint;
    return attributes == 0 ? kFileAttributeNormal : attributes;
}
