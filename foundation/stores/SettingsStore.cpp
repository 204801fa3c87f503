// Loading and saving the settings: the registry store, "Settings.xml" and
// the values that are not keys.

#include "foundation/stores/Settings.h"

#include <unistd.h>

#include "foundation/desktop/AppIdentity.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertyKeyTable.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/RegistryKey.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/SettingsTable.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/markup/XmlDocumentFile.h"
#include "foundation/markup/XmlNode.h"

namespace
{
std::string GetSettingsRegistryPath()
{
    return GetAppIdentity().GetRegistryPath("Settings");
}

void StoreValuesThatAreNotKeys(CPropertySet& settings)
{
    CAppIdentity& identity = GetAppIdentity();
    settings.SetString(SETTING_HELP_FILE_PATH, GetHelpFilePath().c_str());
    settings.SetString(SETTING_IDENTITY_WEB_SITE, identity.GetString(CAppIdentity::kWebSite).c_str());
    settings.SetString(SETTING_IDENTITY_EMAIL, identity.GetString(CAppIdentity::kEmail).c_str());
    settings.SetString(SETTING_IDENTITY_PAGE_1, identity.GetString(CAppIdentity::kWebPage1).c_str());
    settings.SetString(SETTING_IDENTITY_PAGE_2, identity.GetString(CAppIdentity::kWebPage2).c_str());
    const std::string programPath = GetModulePath();
    const char* fileName = FindFileName(programPath.c_str());
    settings.SetString(SETTING_PROGRAM_FILE_NAME, fileName ? fileName : programPath.c_str());
    settings.SetString(SETTING_PROGRAM_PATH, programPath.c_str());
}

// Copies the keys' values from the loaded set into the settings object.
void CopyKeyValues(const CPropertyKeyTable& keys, const CPropertySet& loaded, CPropertySet& settings)
{
    for (int index = 0; index < keys.GetCount(); ++index)
    {
        const CPropertyKey key = keys.GetEntry(index);
        switch (key.GetKind())
        {
        case CPropValue::kindString:
            settings.SetString(key.m_id, loaded.GetStringValue(key.m_id).c_str());
            break;
        case CPropValue::kindInt:
        {
            int value = 0;
            loaded.GetInt(key.m_id, value);
            settings.SetInt(key.m_id, value);
            break;
        }
        default:
        {
            int64_t value = 0;
            loaded.GetInt64(key.m_id, value);
            settings.SetInt64(key.m_id, value);
            break;
        }
        }
    }
}
} // namespace

void LoadSettings()
{
    CPropertySet& settings = GetSettings();
    StoreValuesThatAreNotKeys(settings);

    // Loaded and clamped aside, so that threads reading the settings object
    // meanwhile see each value only in its final form.
    const CPropertyKeyTable& keys = GetSettingsKeys();
    CPropertySet loaded;
    const std::string path = GetSettingsRegistryPath();
    CRegistryKey registryKey;
    if (!path.empty() && registryKey.Open(path, true) != CRegistryKey::OpenResult::kFailed)
        keys.LoadFrom(registryKey, loaded);
    else
        keys.ApplyDefaults(loaded);
    registryKey.Close();

    for (const SettingDefinition& definition : GetSettingDefinitions())
    {
        if (definition.m_hasRange)
            ClampIntSetting(loaded, definition.m_id, definition.m_min, definition.m_max);
    }
    CopyKeyValues(keys, loaded, settings);
}

void LoadSettingsAtStartup()
{
    LoadSettings();
    ClampIntSetting(GetSettings(), SETTING_LINKS_DEFAULT_TASK, 0, 5);
}

bool SaveSettings()
{
    bool saved = false;
    const std::string path = GetSettingsRegistryPath();
    CRegistryKey registryKey;
    if (!path.empty() && registryKey.Open(path, false) != CRegistryKey::OpenResult::kFailed)
    {
        GetSettingsKeys().SaveTo(registryKey, GetSettings());
        saved = registryKey.Close();
    }

    const std::string folder = GetAppIdentity().GetDataFolderPath();
    // Without a data folder the file would land at the root of the disk.
    const bool exported = !folder.empty() && WriteSettingsXml(CombinePath(folder, "Settings.xml"));

    PostInstanceBroadcast(kBroadcastSettingsSaved, static_cast<int64_t>(::getpid()));
    return saved && exported;
}

bool SaveAllSettings()
{
    return SaveSettings();
}

bool WriteSettingsXml(const std::string& path)
{
    if (path.empty())
        return false;
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* declaration = root->AddChild("", "", "", CXmlNode::kProcessing);
    CXmlNode* element = declaration->AddChild("Settings", "", "X-Settings", CXmlNode::kElement);
    GetSettingsKeys().SaveTo(*element, GetSettings());
    return WriteXmlDocumentFile(*root, path, 0600);
}
