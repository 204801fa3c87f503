#include "editor/ExtentCounter.h"

#include <algorithm>

void CExtentCounter::Add(int value)
{
    value = std::max(value, 0);
    if (value < kSmall)
        ++m_small[static_cast<size_t>(value)];
    else
        ++m_large[value];
    m_max = std::max(m_max, value);
}

void CExtentCounter::Remove(int value)
{
    value = std::max(value, 0);
    if (value >= kSmall)
    {
        const auto found = m_large.find(value);
        if (found == m_large.end())
            return;
        if (--found->second == 0)
            m_large.erase(found);
    }
    else
    {
        if (m_small[static_cast<size_t>(value)] == 0)
            return;
        --m_small[static_cast<size_t>(value)];
    }
    if (value != m_max)
        return;
    if (!m_large.empty())
    {
        m_max = m_large.rbegin()->first;
        return;
    }
    int top = std::min(m_max, kSmall - 1);
    while (top > 0 && m_small[static_cast<size_t>(top)] == 0)
        --top;
    m_max = top;
}

void CExtentCounter::Clear()
{
    std::fill(m_small.begin(), m_small.end(), 0);
    m_large.clear();
    m_max = 0;
}
