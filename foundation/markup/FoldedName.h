#pragma once
// Tag names as keys: a name of up to seven characters folded to ASCII upper
// case and packed, with its length, into one integer, so that looking a tag
// up in a table of names (the link tags, the HTML repair lists) is a few
// integer comparisons instead of a case-ignoring string comparison per
// entry. Every longer name gets kNoNameKey, which no table holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr size_t kMaxKeyedName = 7;
inline constexpr uint64_t kNoNameKey = ~uint64_t{0};

// The name's key; equal keys mean names equal ignoring ASCII case. (The
// folding is AsciiToUpper's, written out so that tables are keyed when the
// program is compiled.)
constexpr uint64_t NameKey(std::string_view name)
{
    if (name.size() > kMaxKeyedName)
        return kNoNameKey;
    uint64_t key = uint64_t{name.size()} << (8 * kMaxKeyedName);
    for (size_t i = 0; i < name.size(); ++i)
    {
        const char c = name[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        key |= uint64_t{static_cast<unsigned char>(upper)} << (8 * i);
    }
    return key;
}

// The keys of a table of names (each at most kMaxKeyedName long).
template <size_t N>
constexpr std::array<uint64_t, N> NameKeys(const std::array<std::string_view, N>& names)
{
    std::array<uint64_t, N> keys{};
    for (size_t i = 0; i < N; ++i)
        keys[i] = NameKey(names[i]);
    return keys;
}

// The index of the first entry equal to key, or -1.
template <size_t N>
constexpr int IndexOfNameKey(const std::array<uint64_t, N>& keys, uint64_t key)
{
    for (size_t i = 0; i < N; ++i)
    {
        if (keys[i] == key)
            return static_cast<int>(i);
    }
    return -1;
}
