#include "platform/ui/FileFilter.h"

#include <gtest/gtest.h>

namespace
{
TEST(FileFilterTest, TheProgramsFiltersBecomeQtNameFilters)
{
    const struct
    {
        const char* m_filter;
        std::vector<std::string> m_expected;
    } cases[] = {
        {"Project files (*.vbb)|*.vbb|All files (*.*)|*.*||", {"Project files (*.vbb)", "All files (*)"}},
        {"Web pages|*.htm;*.html|Text|*.txt||", {"Web pages (*.htm *.html)", "Text (*.txt)"}},
        // A description that says something else in parentheses is told the
        // truth; a pair without patterns is left out.
        {"Pictures (all)|*.png; *.gif|Nothing||", {"Pictures (*.png *.gif)"}},
        {"|*.log||", {"(*.log)"}},
        {"Logs|*.log", {"Logs (*.log)"}},
        {"", {}},
        {"||", {}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(ConvertFileFilter(test.m_filter), test.m_expected) << test.m_filter;
}
} // namespace
