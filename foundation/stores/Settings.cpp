#include "foundation/stores/Settings.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/properties/PropValue.h"
#include "foundation/properties/PropertyKeyTable.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingsTable.h"
#include "platform/core/Text.h"

namespace
{
void AddDefinition(CPropertyKeyTable& table, const SettingDefinition& definition, const char* textDefault)
{
    if (definition.m_kind == SettingKind::Int)
        table.Add(definition.m_name, definition.m_id, PropertyValue::InitInt(definition.m_intDefault), true);
    else
        table.Add(definition.m_name, definition.m_id, PropertyValue::InitString(textDefault),
                  definition.m_keepEmpty);
}
} // namespace

CPropertySet& GetSettings()
{
    static CPropertySet settings(true);
    return settings;
}

CPropertyKeyTable& GetSettingsKeys()
{
    static CPropertyKeyTable& table = []() -> CPropertyKeyTable&
    {
        static CPropertyKeyTable keys;
        RegisterDefaultSettingKeys(keys);
        return keys;
    }();
    return table;
}

void RegisterIntSetting(const char* name, int id, int defaultValue)
{
    GetSettingsKeys().Add(name ? name : "", id, PropertyValue::InitInt(defaultValue), true);
}

void RegisterStringSetting(const char* name, int id, const char* defaultValue, bool keepEmpty)
{
    GetSettingsKeys().Add(name ? name : "", id, PropertyValue::InitString(defaultValue), keepEmpty);
}

void RegisterDefaultSettingKeys(CPropertyKeyTable& table)
{
    for (const SettingDefinition& definition : GetSettingDefinitions())
    {
        if (definition.m_origin != SettingOrigin::Application)
            AddDefinition(table, definition, definition.m_textDefault);
    }
}

void RegisterSettings()
{
    CAppIdentity& identity = GetAppIdentity();
    const std::string userAgent = Format("%s %s (%s)", identity.GetString(CAppIdentity::kProduct).c_str(),
                                         identity.GetString(CAppIdentity::kVersion).c_str(),
                                         identity.GetString(CAppIdentity::kWebSite).c_str());

    CPropertyKeyTable& table = GetSettingsKeys();
    for (const SettingDefinition& definition : GetSettingDefinitions())
    {
        if (definition.m_origin != SettingOrigin::Application)
            continue;
        switch (definition.m_defaultSource)
        {
        case SettingDefaultSource::Literal:
            AddDefinition(table, definition, definition.m_textDefault);
            break;
        case SettingDefaultSource::DataSubfolder:
            AddDefinition(table, definition, identity.GetDataFolderPath(definition.m_textDefault).c_str());
            break;
        case SettingDefaultSource::UserAgent:
            AddDefinition(table, definition, userAgent.c_str());
            break;
        }
    }
}

int ClampIntSetting(IPropertySet& set, int id, int min, int max)
{
    int value = 0;
    set.GetInt(id, value);
    if (set.GetKind(id) != CPropValue::kindInt || value < min)
        set.SetInt(id, min);
    else if (value > max)
        set.SetInt(id, max);
    return value;
}

const char* GetAppConstant(int index)
{
    switch (index)
    {
    case 0:
        return "Tanglewarden.chm";
    case 3:
        return "_Tanglewarden_app_mname_";
    default:
        return nullptr;
    }
}

std::string GetSettingString(int id)
{
    return GetSettings().GetStringValue(id);
}
