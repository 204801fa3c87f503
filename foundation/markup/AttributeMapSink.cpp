#include "foundation/markup/AttributeMapSink.h"

#include "foundation/text/Escaping.h"
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

bool CAttributeMapSink::OnAttribute(std::string_view name, std::string_view value)
{
    (*m_target)[m_caseSensitive ? std::string(name) : MakeUpper(name)] = UnescapeXmlEntities(value);
    return true;
}
