#include "checker/MirrorPath.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Whatever the URL holds, the name stays below the download folder.
TEST(MirrorPathBelow, NamesNeverLeaveTheFolder)
{
    const struct
    {
        const char* relative;
        const char* expected;
    } cases[] = {
        {"dir/page.html", "/dl/dir/page.html"},
        {"../../etc/passwd", "/dl/etc/passwd"},
        {"a/./b/../c", "/dl/a/b/c"},
        {"..\\..\\x", "/dl/x"},
        {"/abs/path", "/dl/abs/path"},
        {"~/home", "/dl/_/home"},
        {"q?x=1&y=<2>", "/dl/q_x=1&y=_2_"},
        {"a:b|c*\"d\"", "/dl/a_b_c__d_"},
        {"", "/dl/[default].html"},
        {"../..", "/dl/[default].html"},
        {"tab\there", "/dl/tab_here"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MirrorPathBelow("/dl", c.relative), c.expected) << c.relative;
}
} // namespace
