#pragma once
// CFoldedName: a tag name folded to ASCII upper case once, for looking it up
// in a table of upper-case names by exact comparison instead of a
// case-ignoring comparison per entry. Names longer than the table's longest
// (MaxSize) cannot be in it and are not folded: they look empty and never
// equal a non-empty table name.

#include "platform/core/Text.h"

#include <array>
#include <cstddef>
#include <string_view>

template <size_t MaxSize>
class CFoldedName
{
public:
    explicit CFoldedName(std::string_view name)
    {
        if (name.size() > MaxSize)
        {
            m_tooLong = true;
            return;
        }
        for (size_t i = 0; i < name.size(); ++i)
            m_text[i] = AsciiToUpper(name[i]);
        m_size = name.size();
    }

    // True when the name equals the upper-case name ignoring ASCII case.
    bool Is(std::string_view upperName) const { return !m_tooLong && upperName == Folded(); }

    // The index of the first table entry the name equals, or -1.
    template <size_t N>
    int IndexIn(const std::array<std::string_view, N>& upperNames) const
    {
        for (size_t i = 0; i < N; ++i)
        {
            if (Is(upperNames[i]))
                return static_cast<int>(i);
        }
        return -1;
    }

private:
    std::string_view Folded() const { return {m_text.data(), m_size}; }

    std::array<char, MaxSize> m_text{};
    size_t m_size = 0;
    bool m_tooLong = false;
};
