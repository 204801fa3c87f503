#include "foundation/properties/PropertyKeyTable.h"
#include "foundation/stores/RegistryKey.h"
#include "foundation/text/StringVisitors.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/RegistryFileBackend.h"

#include "tests/support/TempFolder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
const char kSettingsPath[] = "Software\\Quorvat Software\\Tanglewarden\\Settings";

// One store kind for the round-trip tests: a file under a temporary config
// home (each Reopen is another running copy reading the file), or memory
// (Reopen gives the same store, as nothing outlives it).
class KeyTableInRegistry : public ::testing::TestWithParam<bool>
{
protected:
    bool UsesFile() const { return GetParam(); }

    void SetUp() override
    {
        if (UsesFile())
        {
            m_environment.Set("XDG_CONFIG_HOME", m_dir / "config");
            m_registry = std::make_unique<CRegistry>(
                std::make_unique<CRegistryFileBackend>(GetDefaultRegistryFilePath()));
        }
        else
        {
            m_registry = std::make_unique<CRegistry>(std::make_unique<CMemoryRegistryBackend>());
        }
    }

    CRegistry& Reopen()
    {
        if (!UsesFile())
            return *m_registry;
        m_other =
            std::make_unique<CRegistry>(std::make_unique<CRegistryFileBackend>(GetDefaultRegistryFilePath()));
        return *m_other;
    }

    // Writes a raw value below the settings key.
    void Put(const std::string& subKey, const std::string& name, const RegistryValue& value)
    {
        CRegistryHandle key;
        ASSERT_EQ(
            m_registry->CreateKey(m_registry->GetRootKey(), std::string(kSettingsPath) + "\\" + subKey, key),
            RegResult::Ok);
        ASSERT_EQ(m_registry->SetValue(key, name, value), RegResult::Ok);
        ASSERT_EQ(key.Close(), RegResult::Ok);
    }

    CTempFolder m_dir;
    ScopedEnvironment m_environment;
    std::unique_ptr<CRegistry> m_registry;
    std::unique_ptr<CRegistry> m_other;
};

CPropValue Int64Value(int64_t v)
{
    CPropValue p;
    p.SetInt64(v);
    return p;
}

CPropertyKeyTable MakeSettingsKeys()
{
    CPropertyKeyTable keys;
    keys.Add("Connections/Max Connects", 28672, PropertyValue::InitInt(10), true);
    keys.Add("HTTP/User-Agent", 20996, PropertyValue::InitString("Noname"), false);
    keys.Add("Misc/Download Folder", 20480, PropertyValue::InitString("/home/u/Downloads"), false);
    keys.Add("Misc/Log Folder", 20481, PropertyValue::InitString("/home/u/Log"), true);
    keys.Add("Transfer/Byte Limit", 28700, Int64Value(5000000000), true);
    keys.Add("Top Level", 28701, PropertyValue::InitInt(3), true);
    keys.Add("HTTP/User Agent", 20996, PropertyValue::InitString("Tanglewarden 1.0"), false);
    return keys;
}

int IntOf(const CPropertySet& set, int id)
{
    int value = -12345;
    set.GetInt(id, value);
    return value;
}

int64_t Int64Of(const CPropertySet& set, int id)
{
    int64_t value = -12345;
    set.GetInt64(id, value);
    return value;
}

RegResult Query(CRegistry& registry, const std::string& subKey, const std::string& name, RegistryValue& value)
{
    CRegistryHandle key;
    const RegResult opened = registry.OpenKey(registry.GetRootKey(), subKey, false, key);
    return opened == RegResult::Ok ? registry.QueryValue(key, name, value) : opened;
}
} // namespace

TEST_P(KeyTableInRegistry, KeyTableRoundTripsWithGroupsAsSubkeys)
{
    const CPropertyKeyTable keys = MakeSettingsKeys();
    CPropertySet settings;
    keys.ApplyDefaults(settings);
    settings.SetInt(28672, 25);
    settings.SetString(20480, "  /data/dl\t");
    settings.SetString(20481, "   ");
    settings.SetInt64(28700, -7);
    settings.SetInt(28701, 0);

    {
        CRegistryKey key(*m_registry);
        ASSERT_EQ(key.Open(kSettingsPath, false), CRegistryKey::OpenResult::kCreated);
        keys.SaveTo(key, settings);
        EXPECT_TRUE(key.Close());
    }
    if (UsesFile())
    {
        struct stat st
        {
        };
        EXPECT_EQ(::stat((m_dir / "config/Quorvat Software/Tanglewarden/registry.txt").c_str(), &st), 0);
    }

    // As stored: one subkey per group, typed values, the replaced key under its later name only.
    CRegistry& stored = Reopen();
    const std::string settingsPath = kSettingsPath;
    RegistryValue value;
    ASSERT_EQ(Query(stored, settingsPath + "\\Connections", "Max Connects", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeDword(25));
    ASSERT_EQ(Query(stored, settingsPath + "\\HTTP", "User Agent", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeString("Tanglewarden 1.0"));
    EXPECT_EQ(Query(stored, settingsPath + "\\HTTP", "User-Agent", value), RegResult::NotFound);
    ASSERT_EQ(Query(stored, settingsPath + "\\Transfer", "Byte Limit", value), RegResult::Ok);
    const uint8_t minusSeven[] = {0xF9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(value, RegistryValue::MakeBinary(minusSeven, 8));
    ASSERT_EQ(Query(stored, settingsPath, "Top Level", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeDword(0));

    CRegistryKey key(stored);
    ASSERT_EQ(key.Open(kSettingsPath, true), CRegistryKey::OpenResult::kExisting);
    CPropertySet loaded;
    EXPECT_EQ(keys.LoadFrom(key, loaded), 6);
    EXPECT_EQ(IntOf(loaded, 28672), 25);
    EXPECT_EQ(loaded.GetStringValue(20996), "Tanglewarden 1.0");
    EXPECT_EQ(loaded.GetStringValue(20480), "/data/dl"); // trimmed
    EXPECT_EQ(loaded.GetStringValue(20481), "   ");      // kept as it is
    EXPECT_EQ(Int64Of(loaded, 28700), -7);
    EXPECT_EQ(IntOf(loaded, 28701), 0);
}

TEST_P(KeyTableInRegistry, MissingKeyAndMissingValuesGiveTheDefaults)
{
    const CPropertyKeyTable keys = MakeSettingsKeys();
    CRegistryKey key(*m_registry);
    // First run: nothing to open read-only, and nothing is created by trying.
    EXPECT_EQ(key.Open(kSettingsPath, true), CRegistryKey::OpenResult::kFailed);
    EXPECT_EQ(key.Open(kSettingsPath, true), CRegistryKey::OpenResult::kFailed);

    Put("Misc", "Unrelated", RegistryValue::MakeString("x"));
    ASSERT_EQ(key.Open(kSettingsPath, true), CRegistryKey::OpenResult::kExisting);
    CPropertySet loaded;
    loaded.SetInt(28672, 77);
    EXPECT_EQ(keys.LoadFrom(key, loaded), 0);
    EXPECT_EQ(IntOf(loaded, 28672), 10);
    EXPECT_EQ(loaded.GetStringValue(20996), "Tanglewarden 1.0");
    EXPECT_EQ(loaded.GetStringValue(20480), "/home/u/Downloads");
    EXPECT_EQ(loaded.GetStringValue(20481), "/home/u/Log");
    EXPECT_EQ(Int64Of(loaded, 28700), 5000000000);
    EXPECT_EQ(IntOf(loaded, 28701), 3);
}

TEST_P(KeyTableInRegistry, HostileStoredValuesLoadCleanly)
{
    const std::string huge(1 << 20, 'h');
    Put("Connections", "Max Connects", RegistryValue::MakeString("25")); // text for an integer
    Put("HTTP", "User Agent", RegistryValue::MakeDword(5));              // integer for a text
    Put("Misc", "Download Folder", RegistryValue::MakeString(std::string("/a\0/b", 5)));
    Put("Misc", "Log Folder", RegistryValue::MakeString(huge));
    Put("Transfer", "Byte Limit", RegistryValue::MakeBinary(huge.data(), huge.size())); // not 8 bytes
    Put("", "Top Level", RegistryValue::MakeDword(0xFFFFFFFFu));

    {
        CRegistryKey key(Reopen());
        ASSERT_EQ(key.Open(kSettingsPath, true), CRegistryKey::OpenResult::kExisting);
        CPropertySet loaded;
        EXPECT_EQ(MakeSettingsKeys().LoadFrom(key, loaded), 3);
        EXPECT_EQ(IntOf(loaded, 28672), 10);
        EXPECT_EQ(loaded.GetStringValue(20996), "Tanglewarden 1.0");
        EXPECT_EQ(loaded.GetStringValue(20480), "/a"); // a text ends at its NUL
        EXPECT_EQ(loaded.GetStringValue(20481), huge);
        EXPECT_EQ(Int64Of(loaded, 28700), 5000000000);
        EXPECT_EQ(IntOf(loaded, 28701), -1);
        std::string text;
        EXPECT_TRUE(key.GetString("Misc/Download Folder", text));
        EXPECT_EQ(text, "/a");
    }

    // Seven or nine bytes, or a Dword, are no 64-bit value either.
    for (const RegistryValue& wrong :
         {RegistryValue::MakeBinary("1234567", 7), RegistryValue::MakeBinary("123456789", 9),
          RegistryValue::MakeDword(7)})
    {
        Put("Transfer", "Byte Limit", wrong);
        CRegistryKey again(Reopen());
        ASSERT_EQ(again.Open(kSettingsPath, true), CRegistryKey::OpenResult::kExisting);
        int64_t out = 42;
        EXPECT_FALSE(again.GetInt64("Transfer/Byte Limit", out));
        EXPECT_EQ(out, 42);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, KeyTableInRegistry, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "File" : "Memory"; });

TEST(RegistryKey, OpenCreatesOnlyForWriting)
{
    CRegistry registry(std::make_unique<CMemoryRegistryBackend>());
    CRegistryKey key(registry);
    EXPECT_EQ(key.Open("Software\\New", true), CRegistryKey::OpenResult::kFailed);
    EXPECT_FALSE(key.IsOpen());
    int out = 5;
    EXPECT_FALSE(key.GetInt("x", out));
    EXPECT_FALSE(key.SetInt("x", 1));
    EXPECT_EQ(out, 5);

    EXPECT_EQ(key.Open("Software\\New", false), CRegistryKey::OpenResult::kCreated);
    EXPECT_TRUE(key.SetInt("x", 1));
    EXPECT_TRUE(key.GetInt("x", out)); // a created key reads too
    EXPECT_EQ(out, 1);
    EXPECT_EQ(key.Open("Software\\New", false), CRegistryKey::OpenResult::kExisting);
    EXPECT_EQ(key.Open("Software\\New", true), CRegistryKey::OpenResult::kExisting);

    // Read-only: no value written, no subkey created.
    EXPECT_FALSE(key.SetInt("x", 2));
    EXPECT_FALSE(key.SetString("Group/y", "t"));
    EXPECT_TRUE(key.GetInt("x", out));
    EXPECT_EQ(out, 1);
    CRegistryHandle group;
    EXPECT_EQ(registry.OpenKey(registry.GetRootKey(), "Software\\New\\Group", false, group),
              RegResult::NotFound);

    // A child opened below the wrapper's own key.
    CRegistryKey child(registry);
    EXPECT_EQ(child.OpenChild("Sub", false, key), CRegistryKey::OpenResult::kCreated);
    EXPECT_EQ(key.OpenChild("Sub", true, key), CRegistryKey::OpenResult::kExisting);
}

TEST(RegistryKey, ValueNamesSplitAtTheirLastSeparator)
{
    CRegistry registry(std::make_unique<CMemoryRegistryBackend>());
    CRegistryKey key(registry);
    ASSERT_EQ(key.Open("Software\\T", false), CRegistryKey::OpenResult::kCreated);
    EXPECT_TRUE(key.SetString("A/B\\C/Name", "deep"));
    EXPECT_TRUE(key.SetString("/Lead", "here"));
    EXPECT_TRUE(key.SetString("", "default"));
    EXPECT_TRUE(key.SetString("G/", "group default"));
    ASSERT_TRUE(key.Close());

    RegistryValue value;
    EXPECT_EQ(Query(registry, "Software\\T\\A\\B\\C", "Name", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeString("deep"));
    EXPECT_EQ(Query(registry, "Software\\T", "Lead", value), RegResult::Ok);
    EXPECT_EQ(Query(registry, "Software\\T", "", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeString("default"));
    EXPECT_EQ(Query(registry, "Software\\T\\G", "", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeString("group default"));

    ASSERT_EQ(key.Open("Software\\T", true), CRegistryKey::OpenResult::kExisting);
    std::string text;
    EXPECT_TRUE(key.GetString("A\\B/C\\Name", text));
    EXPECT_EQ(text, "deep");
    text = "unchanged";
    EXPECT_FALSE(key.GetString("A/B/Missing", text));
    EXPECT_FALSE(key.GetString("Nowhere/Name", text));
    EXPECT_EQ(text, "unchanged");
}

TEST(RegistryKey, ByteBlocksAndSizes)
{
    CRegistry registry(std::make_unique<CMemoryRegistryBackend>());
    CRegistryKey key(registry);
    ASSERT_EQ(key.Open("Software\\T", false), CRegistryKey::OpenResult::kCreated);
    const uint8_t bytes[] = {9, 8, 7, 6, 5};
    EXPECT_TRUE(key.SetBytes("Blocks/Five", bytes, 5));
    EXPECT_TRUE(key.SetBytes("Blocks/None", nullptr, 0));
    EXPECT_FALSE(key.SetBytes("Blocks/Bad", nullptr, 3));
    EXPECT_TRUE(key.SetInt("Blocks/Number", 3));

    // The size of a grouped name is that of the value GetBytes reads.
    unsigned size = 0;
    EXPECT_TRUE(key.GetBytesSize("Blocks/Five", size));
    EXPECT_EQ(size, 5u);
    uint8_t buffer[8] = {};
    int length = 3;
    EXPECT_TRUE(key.GetBytes("Blocks/Five", buffer, length));
    EXPECT_EQ(length, 3);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), (std::vector<uint8_t>{9, 8, 7, 0}));
    length = 8;
    EXPECT_TRUE(key.GetBytes("Blocks/Five", buffer, length));
    EXPECT_EQ(length, 5);
    length = -4;
    EXPECT_TRUE(key.GetBytes("Blocks/Five", buffer, length));
    EXPECT_EQ(length, 0);

    // Another type, or a missing value, leaves the outputs alone.
    size = 77;
    length = 8;
    EXPECT_FALSE(key.GetBytesSize("Blocks/Number", size));
    EXPECT_FALSE(key.GetBytes("Blocks/Number", buffer, length));
    EXPECT_FALSE(key.GetBytes("Blocks/Missing", buffer, length));
    EXPECT_FALSE(key.GetBytes("Blocks/Five", nullptr, length));
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(length, 8);
    EXPECT_TRUE(key.GetBytesSize("Blocks/None", size));
    EXPECT_EQ(size, 0u);
}

TEST(RegistryKey, DeleteKeyRemovesTheWholeSubtree)
{
    CRegistry registry(std::make_unique<CMemoryRegistryBackend>());
    CRegistryKey key(registry);
    ASSERT_EQ(key.Open("Software\\T", false), CRegistryKey::OpenResult::kCreated);
    key.SetInt("Tree/A/One/v", 1);
    key.SetInt("Tree/A/Two/v", 2);
    key.SetInt("Tree/B/v", 3);
    key.SetInt("Kept/v", 4);

    EXPECT_TRUE(key.DeleteKey("Tree/A"));
    int out = 0;
    EXPECT_FALSE(key.GetInt("Tree/A/One/v", out));
    EXPECT_TRUE(key.GetInt("Tree/B/v", out));
    EXPECT_TRUE(key.DeleteKey("Tree"));
    EXPECT_FALSE(key.GetInt("Tree/B/v", out));
    EXPECT_TRUE(key.GetInt("Kept/v", out));
    EXPECT_EQ(out, 4);

    EXPECT_FALSE(key.DeleteKey("Tree"));
    EXPECT_FALSE(key.DeleteKey(""));
    EXPECT_FALSE(key.DeleteKey("\\"));
    EXPECT_TRUE(key.GetInt("Kept/v", out)); // the key itself stays

    CRegistryKey closed(registry);
    EXPECT_FALSE(closed.DeleteKey("Kept"));
}

TEST(RegistryKey, FailedSaveIsReportedWhenTheKeyCloses)
{
    auto backend = std::make_unique<CMemoryRegistryBackend>();
    CMemoryRegistryBackend* memory = backend.get();
    CRegistry registry(std::move(backend));
    CRegistryKey key(registry);
    ASSERT_EQ(key.Open("Software\\T", false), CRegistryKey::OpenResult::kCreated);
    ASSERT_TRUE(key.Close());

    memory->SetFailSaves(true);
    ASSERT_EQ(key.Open("Software\\T", false), CRegistryKey::OpenResult::kExisting);
    EXPECT_TRUE(key.SetInt("Group/v", 1)); // recorded; the save comes at the close
    EXPECT_FALSE(key.Close());

    memory->SetFailSaves(false);
    const int saves = memory->GetSaveCount();
    ASSERT_EQ(key.Open("Software\\T", false), CRegistryKey::OpenResult::kExisting);
    ASSERT_TRUE(key.Close());
    EXPECT_EQ(memory->GetSaveCount(), saves + 1); // the pending change went with the next save
}

TEST(RegistryKey, SubkeyWalks)
{
    CRegistry registry(std::make_unique<CMemoryRegistryBackend>());
    {
        CRegistryKey zones(registry);
        ASSERT_EQ(zones.Open("Software\\Zones", false), CRegistryKey::OpenResult::kCreated);
        zones.SetString("Berlin/Display", "(UTC+01:00) Berlin");
        zones.SetString("Azores/Display", "(UTC-01:00) Azores");
        zones.SetInt("Quiet/Display", 4); // not a text: skipped
        zones.SetString("Lima/Other", "x");
        zones.SetString("Cairo/Display", "(UTC+02:00) Cairo");
    }

    std::vector<std::string> names;
    CStringArrayVisitor collector(names);
    const CRegistryHandle root = registry.GetRootKey();
    EXPECT_TRUE(ForEachSubkeyValue(collector, registry, root, "Software\\Zones", "Display"));
    EXPECT_EQ(names,
              (std::vector<std::string>{"(UTC-01:00) Azores", "(UTC+01:00) Berlin", "(UTC+02:00) Cairo"}));
    EXPECT_FALSE(ForEachSubkeyValue(collector, registry, root, "Software\\Missing", "Display"));

    CRegistryKey zones(registry);
    ASSERT_EQ(zones.Open("Software\\Zones", true), CRegistryKey::OpenResult::kExisting);
    int maxLength = 0;
    std::string name;
    EXPECT_TRUE(zones.EnumSubkeyName(1, name, maxLength));
    EXPECT_EQ(name, "Berlin");
    EXPECT_EQ(maxLength, 6);
    EXPECT_FALSE(zones.EnumSubkeyName(5, name, maxLength));
    EXPECT_FALSE(zones.EnumSubkeyName(-1, name, maxLength));

    CRegistryKey empty(registry);
    ASSERT_EQ(empty.OpenChild("Berlin", true, zones), CRegistryKey::OpenResult::kExisting);
    maxLength = 0;
    EXPECT_FALSE(empty.EnumSubkeyName(0, name, maxLength));
    EXPECT_EQ(maxLength, 200);
}
