#pragma once
// The data of the registry store: a tree of keys, each with named subkeys
// and named typed values. Key and value names compare ignoring ASCII case
// and keep the spelling they were created with, as the Windows registry did;
// enumeration is in that order. A key path is a list of names; in text it is
// written with '\' between names ("Software\Quorvat Software"), and '/' is an
// ordinary character of a name.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class RegistryType
{
    String, // text bytes without a terminator; any byte may occur
    Dword,  // a 32-bit number, held as 4 bytes, low byte first
    Binary, // a byte block
};

struct RegistryValue
{
    RegistryType m_type = RegistryType::String;
    std::string m_data;

    static RegistryValue MakeString(std::string_view text);
    static RegistryValue MakeDword(uint32_t number);
    static RegistryValue MakeBinary(const void* data, size_t size);

    // False unless this is a Dword of exactly 4 bytes.
    bool GetDword(uint32_t& number) const;

    bool operator==(const RegistryValue& other) const = default;
};

struct RegistryNameLess
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

using RegistryPath = std::vector<std::string>;

// The deepest key the store keeps, as in the Windows registry; it bounds the
// recursion over a tree read from a file.
inline constexpr size_t kMaxRegistryDepth = 512;

// Splits a '\'-separated key path into names; empty names (from a leading,
// trailing or doubled '\') are dropped, so "" and "\" name the key itself.
RegistryPath SplitRegistryPath(std::string_view text);
std::string JoinRegistryPath(const RegistryPath& path);

class CRegistryNode
{
public:
    CRegistryNode() = default;
    CRegistryNode(const CRegistryNode&) = delete;
    CRegistryNode& operator=(const CRegistryNode&) = delete;
    CRegistryNode(CRegistryNode&&) = default;
    CRegistryNode& operator=(CRegistryNode&&) = default;

    // The key at path below this one; null when a name on the way is missing.
    CRegistryNode* Find(const RegistryPath& path);
    const CRegistryNode* Find(const RegistryPath& path) const;

    // The key at path, creating missing keys on the way; created tells
    // whether the last one was new.
    CRegistryNode& FindOrCreate(const RegistryPath& path, bool* created = nullptr);

    // Removes the key at path (not empty) below this one. Without withSubkeys
    // a key that has subkeys stays; returns whether the key was removed.
    bool Remove(const RegistryPath& path, bool withSubkeys);

    bool IsEmpty() const { return m_subkeys.empty() && m_values.empty(); }

    std::map<std::string, std::unique_ptr<CRegistryNode>, RegistryNameLess> m_subkeys;
    std::map<std::string, RegistryValue, RegistryNameLess> m_values;
};
