#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/Registry.h"
#include "platform/core/RegistryFileBackend.h"
#include "platform/core/RegistryText.h"

#include "tests/support/TempFolder.h"
#include "tests/support/FileContents.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace
{
std::unique_ptr<CRegistry> StoreOver(const std::string& path)
{
    return std::make_unique<CRegistry>(std::make_unique<CRegistryFileBackend>(path));
}

RegResult Query(CRegistry& reg, const std::string& keyPath, const std::string& name, RegistryValue& value)
{
    const CRegistryHandle root = reg.GetRootKey();
    CRegistryHandle key;
    const RegResult opened = reg.OpenKey(root, keyPath, false, key);
    return opened == RegResult::Ok ? reg.QueryValue(key, name, value) : opened;
}

RegResult Set(CRegistry& reg, const std::string& keyPath, const std::string& name, const RegistryValue& value)
{
    const CRegistryHandle root = reg.GetRootKey();
    CRegistryHandle key;
    const RegResult created = reg.CreateKey(root, keyPath, key);
    if (created != RegResult::Ok)
        return created;
    const RegResult set = reg.SetValue(key, name, value);
    const RegResult closed = key.Close();
    return set != RegResult::Ok ? set : closed;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}
} // namespace

TEST(RegistryFile, ProcessStoreLivesUnderTheConfigHome)
{
    CTempFolder dir;
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1), 0);
    CRegistry& reg = GetRegistry();
    reg.SetBackend(nullptr);
    const std::string settings = "Software\\Quorvat Software\\Tanglewarden\\Settings";
    ASSERT_EQ(Set(reg, settings + "\\Connections", "Max Connects", RegistryValue::MakeDword(10)), RegResult::Ok);
    ASSERT_EQ(Set(reg, settings + "\\HTTP", "User Agent", RegistryValue::MakeString("Tanglewarden 1.0")),
              RegResult::Ok);
    const uint8_t eight[] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(Set(reg, settings + "\\Misc", "Big", RegistryValue::MakeBinary(eight, 8)), RegResult::Ok);

    const std::string folder = dir / "config/Quorvat Software";
    const std::string file = folder + "/Tanglewarden/registry.txt";
    EXPECT_EQ(GetDefaultRegistryFilePath(), file);
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(ModeOf(folder + "/Tanglewarden"), 0700u);
    EXPECT_EQ(ModeOf(file), 0600u);

    // A fresh store (another running copy) reads the same typed values.
    const auto other = StoreOver(file);
    RegistryValue value;
    ASSERT_EQ(Query(*other, settings + "\\connections", "max connects", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeDword(10));
    ASSERT_EQ(Query(*other, settings + "\\HTTP", "User Agent", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeString("Tanglewarden 1.0"));
    ASSERT_EQ(Query(*other, settings + "\\Misc", "Big", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeBinary(eight, 8));

    reg.SetBackend(std::make_unique<CMemoryRegistryBackend>());
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(RegistryFile, HostileContentRoundTrips)
{
    CTempFolder dir;
    const std::string file = dir / "registry.txt";
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    const std::string texts[] = {
        "line one\nline two\r\n",
        std::string("nul\0inside", 10),
        "\"quoted\" 'single' %41 %% \\server\\share",
        "tab\there, trailing space ",
        "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x8C\x90",
        "\xFF\xFE invalid UTF-8 \x80",
        "# not a comment",
        "K\tnot a key",
        allBytes,
        "",
    };
    const std::string keyName = "Key \"with\" %odd\tnames\n\xC3\xA9";
    {
        const auto reg = StoreOver(file);
        for (size_t i = 0; i < std::size(texts); ++i)
        {
            // The text also serves as a value name, with a counter to keep names apart.
            ASSERT_EQ(Set(*reg, keyName, std::to_string(i) + texts[i], RegistryValue::MakeString(texts[i])),
                      RegResult::Ok);
        }
        ASSERT_EQ(Set(*reg, keyName, "bytes", RegistryValue::MakeBinary(allBytes.data(), allBytes.size())),
                  RegResult::Ok);
    }
    // Every line is one record: nothing of a value leaked onto a line of its own.
    std::istringstream lines(ReadWhole(file));
    std::string line;
    size_t records = 0;
    while (std::getline(lines, line))
    {
        ASSERT_FALSE(line.empty());
        EXPECT_NE(std::string("#KSDB").find(line[0]), std::string::npos) << line;
        ++records;
    }
    EXPECT_EQ(records, 1 + 1 + std::size(texts) + 1);

    const auto reg = StoreOver(file);
    RegistryValue value;
    for (size_t i = 0; i < std::size(texts); ++i)
    {
        ASSERT_EQ(Query(*reg, keyName, std::to_string(i) + texts[i], value), RegResult::Ok) << i;
        EXPECT_EQ(value, RegistryValue::MakeString(texts[i])) << i;
    }
    ASSERT_EQ(Query(*reg, keyName, "bytes", value), RegResult::Ok);
    EXPECT_EQ(value.m_type, RegistryType::Binary);
    EXPECT_EQ(value.m_data, allBytes);
}

TEST(RegistryFile, ChangesOfAnotherCopyAreSeenAndKept)
{
    CTempFolder dir;
    const std::string file = dir / "registry.txt";
    const auto first = StoreOver(file);
    const auto second = StoreOver(file);
    RegistryValue value;

    ASSERT_EQ(Set(*first, "Settings", "x", RegistryValue::MakeDword(1)), RegResult::Ok);
    ASSERT_EQ(Query(*second, "Settings", "x", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeDword(1));
    ASSERT_EQ(Set(*second, "Settings", "x", RegistryValue::MakeDword(2)), RegResult::Ok);
    ASSERT_EQ(Query(*first, "Settings", "x", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeDword(2));

    // The first copy is in the middle of a batch when the second saves: both
    // copies' writes survive, in memory and on disk.
    {
        const CRegistryHandle root = first->GetRootKey();
        CRegistryHandle batch;
        ASSERT_EQ(first->CreateKey(root, "Settings", batch), RegResult::Ok);
        ASSERT_EQ(first->SetValue(batch, "a", RegistryValue::MakeString("from first")), RegResult::Ok);
        ASSERT_EQ(Set(*second, "Settings", "b", RegistryValue::MakeString("from second")), RegResult::Ok);
        ASSERT_EQ(first->QueryValue(batch, "b", value), RegResult::Ok);
        ASSERT_EQ(first->QueryValue(batch, "a", value), RegResult::Ok);
        EXPECT_EQ(first->SetValue(batch, "x", RegistryValue::MakeDword(3)), RegResult::Ok);
        EXPECT_EQ(Query(*second, "Settings", "a", value), RegResult::NotFound); // not saved yet
    }
    const auto third = StoreOver(file);
    ASSERT_EQ(Query(*third, "Settings", "a", value), RegResult::Ok);
    EXPECT_EQ(value.m_data, "from first");
    ASSERT_EQ(Query(*third, "Settings", "b", value), RegResult::Ok);
    EXPECT_EQ(value.m_data, "from second");
    ASSERT_EQ(Query(*third, "Settings", "x", value), RegResult::Ok);
    EXPECT_EQ(value, RegistryValue::MakeDword(3));
    ASSERT_EQ(Query(*second, "Settings", "a", value), RegResult::Ok);
}

TEST(RegistryFile, AFileThatCannotBeReadIsNotOverwritten)
{
    CTempFolder dir;
    const std::string file = dir / "registry.txt";
    ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
    const auto reg = StoreOver(file);
    EXPECT_EQ(Set(*reg, "Settings", "x", RegistryValue::MakeDword(1)), RegResult::SaveFailed);
    RegistryValue value;
    EXPECT_EQ(Query(*reg, "Settings", "x", value), RegResult::Ok); // kept in memory
    struct stat st{};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(RegistryFile, ReaderSkipsWhatItCannotRead)
{
    struct Case
    {
        const char* text;
        size_t skipped;
        const char* key;   // where the value should be, or null when none
        const char* name;
        const char* data;
    };
    const Case cases[] = {
        {"K\tA\nS\tn\tv\n", 0, "A", "n", "v"},
        {"K\tA\r\nS\tn\tv%0A\r\n", 0, "A", "n", "v\n"},
        {"S\tn\tv\n", 1, nullptr, nullptr, nullptr},             // a value before any key
        {"K\tA\tB\nS\tn\tv\n", 2, nullptr, nullptr, nullptr},    // a bad key takes its values along
        {"K\tA%ZZ\nS\tn\tv\n", 2, nullptr, nullptr, nullptr},
        {"K\tA\nS\tn\tv%4\n", 1, "A", nullptr, nullptr},
        {"K\tA\nD\tn\t4294967296\nD\tm\t-1\nD\tk\t0x1\n", 3, "A", nullptr, nullptr},
        {"K\tA\nB\tn\tabc\nB\tm\tzz\n", 2, "A", nullptr, nullptr},
        {"K\tA\nX\tn\tv\nS\tn\n\nS\tn\tv\tw\n", 3, "A", nullptr, nullptr},
        {"K\tA\nS\tn\tfirst\nK\ta\nS\tN\tsecond\n", 0, "A", "n", "second"},
        {"# only a comment\n\n", 0, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases)
    {
        CRegistryNode root;
        EXPECT_EQ(ParseRegistryText(c.text, root), c.skipped) << c.text;
        const CRegistryNode* key = c.key ? root.Find({c.key}) : nullptr;
        if (!c.key)
        {
            EXPECT_TRUE(root.IsEmpty()) << c.text;
            continue;
        }
        ASSERT_NE(key, nullptr) << c.text;
        if (!c.name)
        {
            EXPECT_TRUE(key->m_values.empty()) << c.text;
            continue;
        }
        const auto it = key->m_values.find(c.name);
        ASSERT_NE(it, key->m_values.end()) << c.text;
        EXPECT_EQ(it->second.m_data, c.data) << c.text;
    }

    // A key deeper than the store keeps is refused rather than recursed into.
    std::string deep = "K\t";
    for (size_t i = 0; i <= kMaxRegistryDepth; ++i)
        deep += "k\\";
    CRegistryNode root;
    EXPECT_EQ(ParseRegistryText(deep + "\nS\tn\tv\n", root), 2u);
    EXPECT_TRUE(root.IsEmpty());
}

TEST(RegistryFile, TextFormat)
{
    CRegistryNode root;
    CRegistryNode& settings = root.FindOrCreate({"Software", "Settings"});
    settings.m_values.emplace("Max Connects", RegistryValue::MakeDword(10));
    settings.m_values.emplace("Agent", RegistryValue::MakeString("a\tb% "));
    settings.m_values.emplace("", RegistryValue::MakeBinary("\x01\xAB", 2));
    root.FindOrCreate({"Software", "Empty"});
    EXPECT_EQ(FormatRegistryText(root), "# Tanglewarden registry, format 1\n"
                                        "K\tSoftware\n"
                                        "K\tSoftware\\Empty\n"
                                        "K\tSoftware\\Settings\n"
                                        "B\t\t01ab\n"
                                        "S\tAgent\ta%09b%25%20\n"
                                        "D\tMax Connects\t10\n");
}
