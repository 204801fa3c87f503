#include "platform/core/Registry.h"

#include "platform/core/MemoryRegistryBackend.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
const char kAppKey[] = "Software\\Quorvat Software\\Tanglewarden";

struct MemoryStore
{
    MemoryStore()
    {
        auto owned = std::make_unique<CMemoryRegistryBackend>();
        backend = owned.get();
        store = std::make_unique<CRegistry>(std::move(owned));
        root = store->GetRootKey();
    }
    ~MemoryStore() { root.Close(); }

    CMemoryRegistryBackend* backend;
    std::unique_ptr<CRegistry> store;
    CRegistryHandle root;
};
} // namespace

TEST(Registry, OpenFailsUntilCreated)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    CRegistryHandle key;
    EXPECT_EQ(reg.OpenKey(m.root, kAppKey, false, key), RegResult::NotFound);
    EXPECT_FALSE(key.IsOpen());

    bool created = false;
    ASSERT_EQ(reg.CreateKey(m.root, std::string(kAppKey) + "\\Settings", key, &created), RegResult::Ok);
    EXPECT_TRUE(created);
    EXPECT_TRUE(key.IsWritable());
    ASSERT_EQ(reg.CreateKey(m.root, std::string(kAppKey) + "\\Settings", key, &created), RegResult::Ok);
    EXPECT_FALSE(created);

    // Names compare ignoring case and keep their first spelling.
    CRegistryHandle app;
    ASSERT_EQ(reg.OpenKey(m.root, "SOFTWARE\\quorvat software\\\\TANGLEWARDEN\\", false, app), RegResult::Ok);
    EXPECT_FALSE(app.IsWritable());
    std::string name;
    ASSERT_EQ(reg.EnumKey(app, 0, name), RegResult::Ok);
    EXPECT_EQ(name, "Settings");
    CRegistryHandle same;
    EXPECT_EQ(reg.OpenKey(app, "", true, same), RegResult::Ok);
    EXPECT_EQ(same.GetPath(), app.GetPath());
}

TEST(Registry, TypedValues)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    CRegistryHandle key;
    ASSERT_EQ(reg.CreateKey(m.root, "Software\\Test", key), RegResult::Ok);
    const uint8_t bytes[] = {0x00, 0xFF, 0x10, 0x00, 0x7F, 0x80, 0x01, 0x02};
    const RegistryValue values[] = {
        RegistryValue::MakeString("text"),
        RegistryValue::MakeString(std::string("with\0nul", 8)),
        RegistryValue::MakeDword(0xFFFFFFFFu),
        RegistryValue::MakeBinary(bytes, sizeof bytes),
        RegistryValue::MakeBinary(nullptr, 0),
    };
    for (size_t i = 0; i < std::size(values); ++i)
        ASSERT_EQ(reg.SetValue(key, "v" + std::to_string(i), values[i]), RegResult::Ok);
    ASSERT_EQ(reg.SetValue(key, "", RegistryValue::MakeString("default")), RegResult::Ok);

    for (size_t i = 0; i < std::size(values); ++i)
    {
        RegistryValue back;
        ASSERT_EQ(reg.QueryValue(key, "V" + std::to_string(i), back), RegResult::Ok);
        EXPECT_EQ(back, values[i]) << i;
    }
    uint32_t number = 0;
    RegistryValue back;
    ASSERT_EQ(reg.QueryValue(key, "v2", back), RegResult::Ok);
    ASSERT_TRUE(back.GetDword(number));
    EXPECT_EQ(number, 0xFFFFFFFFu);
    ASSERT_EQ(reg.QueryValue(key, "v3", back), RegResult::Ok);
    EXPECT_FALSE(back.GetDword(number)); // a byte block is not a number
    ASSERT_EQ(reg.QueryValue(key, "", back), RegResult::Ok);
    EXPECT_EQ(back.m_data, "default");

    EXPECT_EQ(reg.QueryValue(key, "absent", back), RegResult::NotFound);
    EXPECT_EQ(reg.SetValue(key, "bad", RegistryValue{RegistryType::Dword, "abc"}), RegResult::InvalidArgument);
    CRegistryHandle readOnly;
    ASSERT_EQ(reg.OpenKey(m.root, "Software\\Test", false, readOnly), RegResult::Ok);
    EXPECT_EQ(reg.SetValue(readOnly, "v0", RegistryValue::MakeString("changed")), RegResult::AccessDenied);
    EXPECT_EQ(reg.DeleteValue(readOnly, "v0"), RegResult::AccessDenied);
    ASSERT_EQ(reg.DeleteValue(key, "V0"), RegResult::Ok);
    EXPECT_EQ(reg.QueryValue(readOnly, "v0", back), RegResult::NotFound);
    EXPECT_EQ(reg.DeleteValue(key, "v0"), RegResult::NotFound);

    CRegistryHandle closed;
    EXPECT_EQ(reg.QueryValue(closed, "v1", back), RegResult::InvalidArgument);
    MemoryStore other;
    EXPECT_EQ(other.store->QueryValue(key, "v1", back), RegResult::InvalidArgument);
}

TEST(Registry, EnumerationAndInfo)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    CRegistryHandle key;
    ASSERT_EQ(reg.CreateKey(m.root, "Settings", key), RegResult::Ok);
    for (const char* group : {"Misc", "connections", "HTTP"})
    {
        CRegistryHandle sub;
        ASSERT_EQ(reg.CreateKey(key, group, sub), RegResult::Ok);
    }
    ASSERT_EQ(reg.SetValue(key, "b", RegistryValue::MakeDword(1)), RegResult::Ok);
    ASSERT_EQ(reg.SetValue(key, "Alpha", RegistryValue::MakeString("12345")), RegResult::Ok);

    std::vector<std::string> names;
    std::string name;
    for (size_t i = 0; reg.EnumKey(key, i, name) == RegResult::Ok && i < 10; ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"connections", "HTTP", "Misc"}));
    EXPECT_EQ(reg.EnumKey(key, 3, name), RegResult::NoMoreItems);

    RegistryValue value;
    ASSERT_EQ(reg.EnumValue(key, 0, name, value), RegResult::Ok);
    EXPECT_EQ(name, "Alpha");
    EXPECT_EQ(value.m_data, "12345");
    ASSERT_EQ(reg.EnumValue(key, 1, name, value), RegResult::Ok);
    EXPECT_EQ(name, "b");
    EXPECT_EQ(reg.EnumValue(key, 2, name, value), RegResult::NoMoreItems);

    RegistryKeyInfo info;
    ASSERT_EQ(reg.QueryInfo(key, info), RegResult::Ok);
    EXPECT_EQ(info.m_subkeyCount, 3u);
    EXPECT_EQ(info.m_maxSubkeyNameLength, 11u);
    EXPECT_EQ(info.m_valueCount, 2u);
    EXPECT_EQ(info.m_maxValueNameLength, 5u);
    EXPECT_EQ(info.m_maxValueDataLength, 5u);
}

TEST(Registry, DeleteKeys)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    CRegistryHandle deep;
    ASSERT_EQ(reg.CreateKey(m.root, "Tree\\A\\B\\C", deep), RegResult::Ok);
    ASSERT_EQ(reg.SetValue(deep, "v", RegistryValue::MakeDword(3)), RegResult::Ok);
    CRegistryHandle tree;
    ASSERT_EQ(reg.OpenKey(m.root, "Tree", true, tree), RegResult::Ok);

    EXPECT_EQ(reg.DeleteKey(tree, "A", false), RegResult::HasSubkeys);
    EXPECT_EQ(reg.DeleteKey(tree, "A\\B\\C", false), RegResult::Ok); // a leaf goes without withSubkeys
    ASSERT_EQ(reg.CreateKey(tree, "A\\B\\C\\D", deep), RegResult::Ok);
    EXPECT_EQ(reg.DeleteKey(tree, "a", true), RegResult::Ok);
    CRegistryHandle gone;
    EXPECT_EQ(reg.OpenKey(m.root, "Tree\\A", false, gone), RegResult::NotFound);
    // A handle to a deleted key fails instead of touching another key.
    RegistryValue value;
    EXPECT_EQ(reg.SetValue(deep, "v", RegistryValue::MakeDword(4)), RegResult::NotFound);
    EXPECT_EQ(reg.DeleteKey(tree, "A", true), RegResult::NotFound);
    EXPECT_EQ(reg.DeleteKey(tree, "", true), RegResult::InvalidArgument);
    std::string name;
    EXPECT_EQ(reg.EnumKey(tree, 0, name), RegResult::NoMoreItems);
}

TEST(Registry, SavesWhenTheLastWritableKeyCloses)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    {
        CRegistryHandle settings;
        ASSERT_EQ(reg.CreateKey(m.root, "Settings", settings), RegResult::Ok);
        for (uint32_t i = 0; i < 50; ++i)
        {
            // Each write opens its group for the one operation, as the key wrapper does.
            CRegistryHandle group;
            ASSERT_EQ(reg.CreateKey(settings, "Group" + std::to_string(i % 5), group), RegResult::Ok);
            ASSERT_EQ(reg.SetValue(group, "Value" + std::to_string(i), RegistryValue::MakeDword(i)), RegResult::Ok);
        }
        CRegistryHandle copy = settings;
        EXPECT_EQ(settings.Close(), RegResult::Ok);
        EXPECT_EQ(m.backend->GetSaveCount(), 0);
    }
    EXPECT_EQ(m.backend->GetSaveCount(), 1);

    // Read-only keys hold nothing back; writes through the root save at once.
    CRegistryHandle reader;
    ASSERT_EQ(reg.OpenKey(m.root, "Settings", false, reader), RegResult::Ok);
    ASSERT_EQ(reg.SetValue(m.root, "Top", RegistryValue::MakeString("x")), RegResult::Ok);
    EXPECT_EQ(m.backend->GetSaveCount(), 2);
    EXPECT_EQ(reg.Flush(), RegResult::Ok);
    EXPECT_EQ(m.backend->GetSaveCount(), 2); // nothing pending
}

TEST(Registry, AFailedSaveIsReportedAndRetried)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    m.backend->SetFailSaves(true);
    EXPECT_EQ(reg.SetValue(m.root, "Kept", RegistryValue::MakeDword(7)), RegResult::SaveFailed);
    RegistryValue value;
    ASSERT_EQ(reg.QueryValue(m.root, "Kept", value), RegResult::Ok);

    CRegistryHandle key;
    ASSERT_EQ(reg.CreateKey(m.root, "Sub", key), RegResult::Ok);
    EXPECT_EQ(key.Close(), RegResult::SaveFailed);
    m.backend->SetFailSaves(false);
    EXPECT_EQ(reg.Flush(), RegResult::Ok);
    EXPECT_EQ(m.backend->GetSaveCount(), 1);
    EXPECT_EQ(reg.Flush(), RegResult::Ok);
    EXPECT_EQ(m.backend->GetSaveCount(), 1);
}

TEST(Registry, ThreadsShareOneStore)
{
    MemoryStore m;
    CRegistry& reg = *m.store;
    constexpr int kThreads = 4;
    constexpr int kValues = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&reg, &m, t]
            {
                CRegistryHandle key;
                if (reg.CreateKey(m.root, "Threads\\T" + std::to_string(t), key) != RegResult::Ok)
                    return;
                for (int i = 0; i < kValues; ++i)
                    reg.SetValue(key, std::to_string(i), RegistryValue::MakeDword(static_cast<uint32_t>(i)));
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
    {
        CRegistryHandle key;
        ASSERT_EQ(reg.OpenKey(m.root, "Threads\\T" + std::to_string(t), false, key), RegResult::Ok);
        RegistryKeyInfo info;
        ASSERT_EQ(reg.QueryInfo(key, info), RegResult::Ok);
        EXPECT_EQ(info.m_valueCount, static_cast<size_t>(kValues));
    }
    EXPECT_GE(m.backend->GetSaveCount(), 1);
}
