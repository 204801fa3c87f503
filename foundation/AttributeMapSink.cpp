#include "foundation/AttributeMapSink.h"

#include "foundation/Escaping.h"
#include "platform/core/Text.h"

#include <utility>

CAttributeMapSink::CAttributeMapSink(std::map<std::string, std::string>& target, bool caseSensitive)
    : m_target(&target)
    , m_caseSensitive(caseSensitive)
{
}

void CAttributeMapSink::Clear()
{
    m_target->clear();
}

bool CAttributeMapSink::Add(std::string_view text)
{
    if (!m_haveName)
    {
        m_name.assign(text);
        m_haveName = true;
        return true;
    }
    std::string name = m_caseSensitive ? std::move(m_name) : MakeUpper(m_name);
    (*m_target)[std::move(name)] = UnescapeXmlEntities(text);
    m_name.clear();
    m_haveName = false;
    return true;
}
