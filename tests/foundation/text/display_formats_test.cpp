#include "foundation/text/DisplayFormats.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/text/Escaping.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/StringResource.h"

namespace
{
struct Case
{
    const char* what;
    std::string got;
    std::string want;
};

std::vector<Case> FormatCases()
{
    const std::string fallback = "n/a";
    return {
        {"size -1", FormatSize(-1), ""},
        {"size 0", FormatSize(0), "0 Bytes"},
        {"size 1", FormatSize(1), "1 Byte"},
        {"size 998", FormatSize(998), "998 Bytes"},
        {"size 999", FormatSize(999), "0.98 KB"},
        {"size 1024", FormatSize(1024), "1.00 KB"},
        {"size below 999 KB", FormatSize(1022975), "999.00 KB"},
        {"size 999 KB", FormatSize(1022976), "0.98 MB"},
        {"size 1 MB", FormatSize(1048576), "1.00 MB"},
        {"size 999 MB", FormatSize(1047527424), "0.98 GB"},
        {"size 1.5 GB", FormatSize(1610612736), "1.50 GB"},
        {"size 999 GB", FormatSize(1072668082176LL), "0.98 TB"},
        {"size 2^50 in TB", FormatSize(1LL << 50), "1024.00 TB"},
        {"size largest", FormatSize(INT64_MAX), "8388608.00 TB"},

        {"speed -1", FormatSpeed(-1, fallback), "n/a"},
        {"speed 99", FormatSpeed(99, fallback), "99 B/s"},
        {"speed 100", FormatSpeed(100, fallback), "0.10 KB/s"},
        {"speed 100 KB", FormatSpeed(102400, fallback), "0.10 MB/s"},
        {"speed 2.5 MB", FormatSpeed(2621440, fallback), "2.50 MB/s"},
        {"speed 100 MB", FormatSpeed(104857600, fallback), "0.10 GB/s"},
        {"speed 100 GB", FormatSpeed(107374182400LL, fallback), "0.10 TB/s"},
        {"speed 100 TB", FormatSpeed(109951162777600LL, fallback), "INF"},

        {"with bytes negative", FormatSizeWithBytes(-5, 2, fallback), "n/a"},
        {"with bytes style 1", FormatSizeWithBytes(2048, 1, fallback), "2.00 KB"},
        {"with bytes style 2 small", FormatSizeWithBytes(998, 2, fallback), "998 Bytes"},
        {"with bytes style 2", FormatSizeWithBytes(1234567, 2, fallback), "1.18 MB (1234567 Bytes)"},
        {"with bytes style 3", FormatSizeWithBytes(1234567, 3, fallback), "1.18 MB (1,234,567 Bytes)"},
        {"with bytes style 3 small", FormatSizeWithBytes(1, 3, fallback), "1 Bytes"},
        {"with bytes style 4", FormatSizeWithBytes(1234567, 4, fallback), "1,234,567"},
        {"with bytes other style", FormatSizeWithBytes(1234567, 0, fallback), "1234567"},

        {"duration -1", FormatDuration(-1, fallback), "n/a"},
        {"duration 0", FormatDuration(0, fallback), "0:00:00"},
        {"duration 3661", FormatDuration(3661, fallback), "1:01:01"},
        {"duration hours not wrapped", FormatDuration(90000, fallback), "25:00:00"},

        {"count 0", FormatCount(0, ','), "0"},
        {"count 999", FormatCount(999, ','), "999"},
        {"count 1000", FormatCount(1000, ','), "1,000"},
        {"count grouped", FormatCount(1234567, ','), "1,234,567"},
        {"count negative", FormatCount(-1000, ','), "-1,000"},
        {"count no separator", FormatCount(-1234567, 0), "-1234567"},
        {"count other separator", FormatCount(INT32_MIN, '.'), "-2.147.483.648"},
        {"count64 smallest", FormatCount64(INT64_MIN, ','), "-9,223,372,036,854,775,808"},
        {"count64 largest", FormatCount64(INT64_MAX, 0), "9223372036854775807"},

        {"percent 0 of 0", FormatPercent(0, 0, fallback), "100.00 %"},
        {"percent 1 of 8", FormatPercent(1, 8, fallback), "12.50 %"},
        {"percent 0 of 8", FormatPercent(0, 8, fallback), "0.00 %"},
        {"percent whole", FormatPercent(8, 8, fallback), "100.00 %"},
        {"percent above whole", FormatPercent(5, 4, fallback), "n/a"},
        {"percent no whole", FormatPercent(1, 0, fallback), "n/a"},
        {"percent negative", FormatPercent(-1, 4, fallback), "n/a"},

        {"date", FormatDateTime(COleDateTime(2024, 3, 7, 9, 5, 2), fallback), "03/07/2024 09:05:02"},
        {"date before 1899-12-30", FormatDateTime(COleDateTime(1899, 12, 29, 18, 0, 0), fallback),
         "12/29/1899 18:00:00"},
        {"zero date", FormatDateTime(COleDateTime(0.0), fallback), "n/a"},
        {"invalid date", FormatDateTime(COleDateTime(2024, 2, 30, 0, 0, 0), fallback), "n/a"},
    };
}

void ExpectFormatTable(const char* where)
{
    for (const auto& c : FormatCases())
        EXPECT_EQ(c.got, c.want) << c.what << " (" << where << ")";
    EXPECT_DOUBLE_EQ(StrToDoubleSafe("1.25"), 1.25) << where;
}

const char* TestStrings(unsigned id)
{
    switch (id)
    {
    case 10:
        return "Downloaded %s: %d files, %I64d bytes, %.1f%%";
    case 11:
        return "%s";
    case 12:
        return "";
    default:
        return nullptr;
    }
}

// Compiles a German locale into a temporary folder and makes it the C
// library's locale for the test, so that a decimal comma or digit grouping
// leaking into the display texts shows up.
class GermanLocale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tw_locale_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + m_dir + "/de_DE.UTF-8' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << "localedef failed (package locales missing?)";
        ASSERT_EQ(setenv("LOCPATH", m_dir.c_str(), 1), 0);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "could not switch to the German locale";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.2f", 0.5);
        ASSERT_STREQ(probe, "0,50") << "the German locale is not in force";
    }

    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
        if (!m_dir.empty())
        {
            std::error_code ignored;
            std::filesystem::remove_all(m_dir, ignored);
        }
    }

    std::string m_dir;
};
} // namespace

TEST(DisplayFormats, Table)
{
    ExpectFormatTable("C locale");
}

TEST_F(GermanLocale, DisplayFormatsDoNotFollowTheLocale)
{
    ExpectFormatTable("German locale");
}

TEST(DisplayFormats, FormatResourceString)
{
    SetStringTableLookup(&TestStrings);
    EXPECT_EQ(FormatResourceString(10, "site", 3, static_cast<long long>(5000000000LL), 12.5),
              "Downloaded site: 3 files, 5000000000 bytes, 12.5%");
    EXPECT_EQ(FormatResourceString(12), "");
    EXPECT_EQ(FormatResourceString(99, "x"), "") << "a missing resource gives an empty text";

    const std::string longText = std::string(511, 'a') + "\xC3\xA9" + "tail";
    EXPECT_EQ(FormatResourceString(11, longText.c_str()), std::string(511, 'a'))
        << "cut at 512 bytes without splitting a character";
    const std::string exact = std::string(510, 'b') + "\xC3\xA9" + "tail";
    EXPECT_EQ(FormatResourceString(11, exact.c_str()), std::string(510, 'b') + "\xC3\xA9");

    SetStringTableLookup(nullptr);
    EXPECT_EQ(FormatResourceString(10, "site", 3, 0LL, 0.0), "");
}
