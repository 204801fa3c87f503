#pragma once
// Collects an attribute list into a name-to-value map: fed by
// ParseAttributeList, it takes the texts as name, value, name, value, ...
// Each value is decoded with UnescapeXmlEntities; names are folded to upper
// case (ASCII) unless caseSensitive, so lookups fold their name the same
// way. A later pair with the same name replaces the earlier value.

#include "foundation/text/AttributeList.h"

#include <map>
#include <string>
#include <string_view>

class CAttributeMapSink : public CAttributePairVisitor
{
public:
    explicit CAttributeMapSink(std::map<std::string, std::string>& target, bool caseSensitive = false);

    // Empties the map.
    void Clear() override;

protected:
    // Sets the pair; always true.
    bool OnAttribute(std::string_view name, std::string_view value) override;

private:
    std::map<std::string, std::string>* m_target;
    bool m_caseSensitive;
};
