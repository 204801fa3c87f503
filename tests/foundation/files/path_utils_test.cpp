#include "foundation/files/PathUtils.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace
{
std::string OrNull(const char* p)
{
    return p ? std::string(p) : std::string("<null>");
}
} // namespace

TEST(PathUtils, RecognisesLocalPaths)
{
    const struct
    {
        const char* text;
        bool local;
    } cases[] = {
        {"/home/a", true}, {"//srv/x", true}, {"~/notes", true},   {"file:x", true},  {"file:///a", true},
        {"FILE:x", false}, {"File:x", false}, {"http://h/", false}, {"", false},       {"~x", false},
        {"a/b", false},    {"C:x", false},    {"\\\\srv\\x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLocalPath(c.text), c.local) << c.text;
}

TEST(PathUtils, SplitsAndCombinesPaths)
{
    const struct
    {
        const char* path;
        const char* extension;
        const char* name;
        const char* folder;
    } splits[] = {
        {"a/b.c/d", "<null>", "d", "a/b.c/"},
        {"dir\\name.tar.gz", ".gz", "name.tar.gz", "dir\\"},
        {"/a/b.txt", ".txt", "b.txt", "/a/"},
        {"b.txt", ".txt", "<null>", "b.txt"},
        {"a\\b/c", "<null>", "c", "a\\b/"},
        {"a/", "<null>", "", "a/"},
        {"", "<null>", "<null>", ""},
    };
    for (const auto& c : splits)
    {
        EXPECT_EQ(OrNull(FindFileExtension(c.path)), c.extension) << c.path;
        EXPECT_EQ(OrNull(FindFileName(c.path)), c.name) << c.path;
        EXPECT_EQ(GetDirectoryPart(c.path), c.folder) << c.path;
    }
    EXPECT_EQ(FindFileExtension(nullptr), nullptr);
    EXPECT_EQ(FindFileName(nullptr), nullptr);

    const struct
    {
        const char* folder;
        const char* name;
        const char* joined;
    } joins[] = {
        {"/a/", "b/c/", "/a/b/c"},
        {"/a\\b\\", "\\c\\d", "/a/b/c/d"},
        {"/a", "/x/y/", "/x/y/"},       // a local name stands for itself
        {"/a", "file:z", "file:z"},
        {"/a", "~/z", "~/z"},
        {"/", "a", "/a"},
        {"", "a", "a"},                 // never a path at the root
        {"/a", "", "/a/"},
        {"rel", "x.txt", "rel/x.txt"},
    };
    for (const auto& c : joins)
        EXPECT_EQ(CombinePath(c.folder, c.name), c.joined) << c.folder << " + " << c.name;
}

TEST(PathUtils, FindsTheProgramAndItsFolder)
{
    char real[PATH_MAX];
    ASSERT_NE(::realpath("/proc/self/exe", real), nullptr);
    EXPECT_EQ(GetModulePath(), real);
    const std::string folder = GetModuleDirectory();
    EXPECT_EQ(folder + "/" + FindFileName(real), real);
    EXPECT_EQ(GetModuleFilePath("Default.html"), folder + "/Default.html");

    // An address inside a shared object names that object.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::dladdr), &info), 0);
    const std::string library = GetModulePath(reinterpret_cast<void*>(&::dladdr));
    EXPECT_EQ(library, info.dli_fname);
    EXPECT_NE(library, real);
    EXPECT_EQ(GetModulePath(reinterpret_cast<void*>(&OrNull)), real);
}
