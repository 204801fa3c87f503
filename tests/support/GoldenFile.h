#pragma once
// Golden files: a test's output compared byte for byte with a reference file
// under tests/fixtures/. Set TW_UPDATE_GOLDEN=1 to rewrite the references
// from the code after an intended change; review the diff before committing.

#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

inline void ExpectGoldenFile(const std::string& path, const std::string& actual)
{
    if (const char* update = std::getenv("TW_UPDATE_GOLDEN"); update && std::string(update) == "1")
    {
        ::mkdir(path.substr(0, path.rfind('/')).c_str(), 0755);
        WriteWhole(path, actual);
    }
    EXPECT_EQ(actual, ReadWhole(path)) << "differs from " << path;
}
