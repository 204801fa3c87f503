#pragma once
// The greatest of a changing collection of non-negative values (line lengths,
// line widths), kept up to date in constant time for the common sizes, so an
// edit of a long buffer never has to rescan every line for its scroll range.

#include <map>
#include <vector>

class CExtentCounter
{
public:
    void Add(int value);
    void Remove(int value);
    void Clear();
    int Max() const { return m_max; }

private:
    // Values below kSmall are counted in a table, larger ones in a map.
    static constexpr int kSmall = 4096;
    std::vector<int> m_small = std::vector<int>(kSmall, 0);
    std::map<int, int> m_large;
    int m_max = 0;
};
