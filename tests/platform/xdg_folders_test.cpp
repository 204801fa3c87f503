#include "platform/core/XdgFolders.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

TEST(XdgFolders, VariablesWithFallbackBelowHome)
{
    const char* oldHome = std::getenv("HOME");
    const std::optional<std::string> savedHome = oldHome ? std::optional<std::string>(oldHome) : std::nullopt;
    ASSERT_EQ(::setenv("HOME", "/home/tester", 1), 0);
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", "/tmp/config", 1), 0);
    ASSERT_EQ(::setenv("XDG_DATA_HOME", "relative/data", 1), 0); // invalid: must be ignored
    EXPECT_EQ(GetHomeFolder(), "/home/tester");
    EXPECT_EQ(GetXdgConfigHome(), "/tmp/config");
    EXPECT_EQ(GetXdgDataHome(), "/home/tester/.local/share");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(GetXdgConfigHome(), "/home/tester/.config");
    // Without HOME the account entry gives the home folder, never a relative path.
    ::unsetenv("HOME");
    const std::string home = GetHomeFolder();
    EXPECT_TRUE(home.empty() || home[0] == '/') << home;
    if (savedHome)
        ::setenv("HOME", savedHome->c_str(), 1);
}
