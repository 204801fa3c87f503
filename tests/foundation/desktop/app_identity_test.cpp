#include "foundation/desktop/AppIdentity.h"

#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace
{
class AppIdentityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        UseTemporaryDataFolder(m_env, m_temp, m_identity);
        m_identity.SetString(CAppIdentity::kVersion, "1.4.0");
    }

    std::string DataFolder() const { return m_temp / "data/Quorvat Software/Tanglewarden"; }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CAppIdentity m_identity;
};

mode_t ModeOf(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? st.st_mode & 0777 : 0;
}
} // namespace

TEST(AppIdentity, StartsWithTheNonameStrings)
{
    CAppIdentity identity;
    EXPECT_EQ(identity.GetString(CAppIdentity::kCompany), "Noname company");
    EXPECT_EQ(identity.GetString(CAppIdentity::kProduct), "Noname product");
    EXPECT_EQ(identity.GetString(CAppIdentity::kVersion), "1.0");
    EXPECT_EQ(identity.GetString(CAppIdentity::kSection), "Common");
    EXPECT_EQ(identity.GetString(CAppIdentity::kSection2), "Common");
    EXPECT_EQ(identity.GetString(CAppIdentity::kWebSite), "");
}

TEST_F(AppIdentityTest, IndexOutsideTheStringsFailsWithEmptyOutput)
{
    std::string out = "left over";
    EXPECT_FALSE(m_identity.GetStringInto(11, out));
    EXPECT_EQ(out, "");
    out = "left over";
    EXPECT_FALSE(m_identity.GetStringInto(-1, out));
    EXPECT_EQ(out, "");
    m_identity.SetString(11, "ignored");
    EXPECT_TRUE(m_identity.GetStringInto(CAppIdentity::kWebSite, out));
    EXPECT_EQ(out, "");
}

TEST_F(AppIdentityTest, DataFolderIsCreatedOwnerOnly)
{
    EXPECT_EQ(ModeOf(DataFolder()), 0u);
    EXPECT_EQ(m_identity.GetDataFolderPath(), DataFolder());
    EXPECT_EQ(ModeOf(DataFolder()), 0700u);
    std::string out;
    EXPECT_TRUE(m_identity.GetStringInto(CAppIdentity::kDataFolder, out));
    EXPECT_EQ(out, DataFolder());

    // Removed while the program runs: asked again, it is there again.
    ASSERT_EQ(::rmdir(DataFolder().c_str()), 0);
    EXPECT_EQ(m_identity.GetDataFolderPath("Cache"), DataFolder() + "/Cache");
    EXPECT_EQ(ModeOf(DataFolder()), 0700u);
    EXPECT_EQ(ModeOf(DataFolder() + "/Cache"), 0u);
}

TEST_F(AppIdentityTest, DataFolderSubPaths)
{
    struct Case
    {
        const char* sub;
        bool withVersion;
        const char* expected; // below the data folder
    };
    const Case cases[] = {
        {"Cache", false, "/Cache"},   {"\\Cache\\", false, "/Cache"},
        {"/Cache/", false, "/Cache"}, {"", false, ""},
        {"\\/", false, ""},           {"Cache", true, "/1.4.0/Cache"},
        {"", true, "/1.4.0"},         {"a/b", false, "/a/b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_identity.GetDataFolderPath(c.sub, c.withVersion), DataFolder() + c.expected) << c.sub;

    m_identity.SetString(CAppIdentity::kVersion, "");
    EXPECT_EQ(m_identity.GetDataFolderPath("Cache", true), DataFolder() + "/Cache");
}

TEST_F(AppIdentityTest, RegistryPath)
{
    EXPECT_EQ(m_identity.GetRegistryPath(), "Software\\Quorvat Software\\Tanglewarden");
    EXPECT_EQ(m_identity.GetRegistryPath("Settings"), "Software\\Quorvat Software\\Tanglewarden\\Settings");
    EXPECT_EQ(m_identity.GetRegistryPath("\\Settings\\"),
              "Software\\Quorvat Software\\Tanglewarden\\Settings");
    EXPECT_EQ(m_identity.GetRegistryPath("Settings", true),
              "Software\\Quorvat Software\\Tanglewarden\\1.4.0\\Settings");
}

TEST_F(AppIdentityTest, ChangingTheNameDerivesThePathsAgain)
{
    EXPECT_EQ(m_identity.GetDataFolderPath(), DataFolder());
    m_identity.SetString(CAppIdentity::kProduct, "Other");
    EXPECT_EQ(m_identity.GetDataFolderPath(), m_temp / "data/Quorvat Software/Other");
    EXPECT_EQ(m_identity.GetRegistryPath(), "Software\\Quorvat Software\\Other");
    m_identity.SetString(CAppIdentity::kCompany, "Maker");
    EXPECT_EQ(m_identity.GetRegistryPath(), "Software\\Maker\\Other");
    EXPECT_EQ(m_identity.GetDataFolderPath(), m_temp / "data/Maker/Other");

    // Another base folder is picked up only when the path is derived again.
    m_env.Set("XDG_DATA_HOME", m_temp / "elsewhere");
    EXPECT_EQ(m_identity.GetDataFolderPath(), m_temp / "data/Maker/Other");
    m_identity.SetString(CAppIdentity::kCompany, "Maker");
    EXPECT_EQ(m_identity.GetDataFolderPath(), m_temp / "elsewhere/Maker/Other");
}

TEST_F(AppIdentityTest, EmptyNameCannotBeDerived)
{
    m_identity.SetString(CAppIdentity::kCompany, "");
    std::string out = "left over";
    EXPECT_FALSE(m_identity.GetStringInto(CAppIdentity::kDataFolder, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(m_identity.GetStringInto(CAppIdentity::kRegistryPath, out));
    EXPECT_EQ(m_identity.GetDataFolderPath("Cache"), "");
    EXPECT_EQ(m_identity.GetRegistryPath("Settings"), "");
    EXPECT_EQ(ModeOf(m_temp / "data"), 0u);
}

TEST_F(AppIdentityTest, BaseDataFolderFollowsTheEnvironment)
{
    std::string out;
    m_env.Set("XDG_DATA_HOME", m_temp / "data//");
    EXPECT_TRUE(GetAppDataFolder(out));
    EXPECT_EQ(out, m_temp / "data");

    // A relative value is not valid and falls back below the home folder.
    m_env.Set("XDG_DATA_HOME", "relative/data");
    EXPECT_TRUE(GetAppDataFolder(out));
    EXPECT_EQ(out, m_temp / "home/.local/share");
}
