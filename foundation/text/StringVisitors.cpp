#include "foundation/text/StringVisitors.h"

#include "platform/core/Text.h"

namespace
{
// The C library's white space in the "C" locale.
constexpr const char* kWhiteSpace = " \t\n\v\f\r";
}

CStringArrayVisitor::CStringArrayVisitor(std::vector<std::string>& array, bool trim)
    : m_array(&array)
    , m_trim(trim)
{
}

void CStringArrayVisitor::Clear()
{
    m_array->clear();
    m_cursor = 0;
}

bool CStringArrayVisitor::Add(std::string_view text)
{
    // The array may have been shortened behind our back.
    if (m_cursor > m_array->size())
        m_cursor = m_array->size();
    m_array->insert(m_array->begin() + static_cast<std::ptrdiff_t>(m_cursor),
                    m_trim ? Trim(text, kWhiteSpace) : std::string(text));
    ++m_cursor;
    return true;
}

bool CStringArrayVisitor::Next(std::string& text)
{
    if (m_cursor >= m_array->size())
        return false;
    text = (*m_array)[m_cursor++];
    return true;
}

CStringJoinVisitor::CStringJoinVisitor(std::string* target, std::string_view separator)
    : m_target(target)
    , m_separator(separator)
{
}

void CStringJoinVisitor::Clear()
{
    if (m_target)
        m_target->clear();
}

bool CStringJoinVisitor::Add(std::string_view text)
{
    if (!m_target)
        return false;
    m_target->append(text);
    m_target->append(m_separator);
    return true;
}
