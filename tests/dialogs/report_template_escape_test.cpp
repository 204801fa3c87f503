// The report template as the Report options dialog edits it: tabs, line
// breaks and backslashes are shown escaped and read back by the exact
// inverse, so that a template survives being shown and read again.

#include "dialogs/ReportOptionsDlg.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
TEST(ReportTemplateEscape, ShowsTabsLineBreaksAndBackslashesEscapedOnce)
{
    const struct
    {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"Link %order%: %link% (%status%)", "Link %order%: %link% (%status%)"},
        {"Link %order%\t%link%\r\n", "Link %order%\\t%link%\\n"},
        {"a\\nb", "a\\\\nb"}, // a literal backslash and n
        {"C:\\dir\\", "C:\\\\dir\\\\"},
        {"one\ntwo\rthree", "one\\ntwo\\nthree"}, // lone LF and CR are line breaks too
        {"", ""},
    };
    for (const auto& each : cases)
        EXPECT_EQ(EscapeReportTemplate(each.stored), each.shown) << each.stored;
}

TEST(ReportTemplateEscape, ReadsTypedSequencesInOnePassFromTheLeft)
{
    const struct
    {
        const char* typed;
        const char* stored;
    } cases[] = {
        {"Link %order%\\t%link%\\n", "Link %order%\t%link%\r\n"},
        {"\\\\n", "\\n"},      // a doubled backslash is one; the n stays a letter
        {"\\\\\\n", "\\\r\n"}, // a backslash, then a line break
        {"\\x\\", "\\x\\"},    // any other backslash stays as it is
        {"\\t\\t", "\t\t"},
    };
    for (const auto& each : cases)
        EXPECT_EQ(UnescapeReportTemplate(each.typed), each.stored) << each.typed;
}

TEST(ReportTemplateEscape, EveryTemplateWithCrLfBreaksRoundTrips)
{
    const char* templates[] = {
        "Link %order%\t%link%\r\n",   "\\n and \\t and \\\\ typed literally\r\n",
        "ends in a backslash \\",     "\\\t\\\r\n\\",
        "%link%\r\n\r\n\t(%status%)",
    };
    for (const char* each : templates)
        EXPECT_EQ(UnescapeReportTemplate(EscapeReportTemplate(each)), each) << each;
}
} // namespace
