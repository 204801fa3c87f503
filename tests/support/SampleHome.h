#pragma once
// A home folder for tests of local start addresses: HOME is the temporary
// folder, which holds the folder "site" with the file "site/index.html", so
// "~/site" and "file://.../site" name something that exists.

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

inline void MakeSampleHome(ScopedEnvironment& env, const CTempFolder& temp)
{
    ASSERT_FALSE(temp.Path().empty());
    env.Set("HOME", temp.Path());
    ASSERT_EQ(::mkdir((temp / "site").c_str(), 0700), 0);
    std::ofstream(temp / "site/index.html") << "<html></html>";
}
