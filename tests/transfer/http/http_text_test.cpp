// The small text tables of HTTP: month names in server dates, resource kinds
// and form query strings.
#include <gtest/gtest.h>

#include <string>

#include "foundation/links/LinkItem.h"
#include "transfer/http/FormQuery.h"
#include "transfer/client/MonthNameTranslation.h"
#include "transfer/client/ResourceKind.h"

TEST(MonthNameTranslation, RussianMonthsBecomeEnglishAbbreviations)
{
    const struct
    {
        std::string text;
        std::string translated;
    } cases[] = {
        {"5 марта 2004 г. 10:00", "5 Mar 2004  10:00"},
        {"1 января 2001, 31 декабря 2001", "1 Jan 2001, 31 декабря 2001"},
        {"мая мая", "May May"},
        {"31 декабря 1999 г.", "31 Dec 1999 "},
        {"Mon, 05 Mar 2004 10:00:00 GMT", "Mon, 05 Mar 2004 10:00:00 GMT"},
        // The same names in the Windows-1251 bytes of older servers.
        {"5 \xEC\xE0\xF0\xF2\xE0 2004 \xE3.", "5 Mar 2004 "},
        {"12 \xF1\xE5\xED\xF2\xFF\xE1\xF0\xFF", "12 Sep"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TranslateMonthNames(c.text), c.translated) << c.text;

    // Every month, in calendar order.
    const char* const russian[] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                   "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
    const char* const english[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int month = 0; month < 12; ++month)
        EXPECT_EQ(TranslateMonthNames(std::string("1 ") + russian[month]),
                  std::string("1 ") + english[month]);
}

TEST(ResourceKind, FromMimeTypeThenExtension)
{
    const struct
    {
        const char* mime;
        const char* path;
        int kind;
    } cases[] = {
        {"text/html; charset=utf-8", "/a.jpg", 3},
        {"Text/HTML", "/page.php", 3},
        {"text/plain", "/a.html", 1},
        {"application/octet-stream", "/a.zip", 1},
        {"application/x-javascript", "", 1},
        {"image/png", "/x", 4},
        {"video/mp4", "/x", 6},
        {"audio/mpeg", "/x", 5},
        {"application/zip", "/x", 7},
        {"application/vnd.rar", "/a.rar", 7},
        {"application/x-tar", "/x", 7},
        {"application/pdf", "/a.htm", 3},
        {"", "/pics/A.JPG", 4},
        {"", "/index.shtml", 3},
        {"", "/style.css", 3},
        {"", "/readme.txt", 1},
        {"", "/src/main.cpp", 1},
        {"", "/a.tar.gz", 7},
        {"", "/song.mp3", 5},
        {"", "/clip.mpeg", 6},
        {"", "/setup.exe", 2},
        {"", "/folder.d/file", 2},
        {"", "C:\\dir.x\\file", 2},
        {"", "/noext", 2},
        {"", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetResourceKind(c.mime, c.path), c.kind) << c.mime << " " << c.path;
}

TEST(ResourceKind, NamesBothWays)
{
    const char* const names[] = {"UNKNOWN", "TEXT",       "FILE",    "HTML",    "IMAGE",       "AUDIO",
                                 "VIDEO",   "ARCHIVE",    "FTPLIST", "FTPLINK", "LOCALFOLDER", "HTTPREDIRECT",
                                 "FORM",    "GENERICURL", "URLLIST", "MAILTO",  "SCRIPT",      "ANCHOR"};
    static_assert(std::size(names) == kResourceTypeCount);
    for (int kind = 0; kind < kResourceTypeCount; ++kind)
    {
        EXPECT_EQ(LinkTypeName(kind), names[kind]);
        EXPECT_EQ(GetResourceKindByName(names[kind]), kind);
    }
    EXPECT_EQ(GetResourceKindByName("httpRedirect"), 11);
    EXPECT_EQ(LinkTypeName(-1), "");
    EXPECT_EQ(LinkTypeName(18), "");
    EXPECT_EQ(GetResourceKindByName(""), 0);
    EXPECT_EQ(GetResourceKindByName("PICTURE"), 0);
}

TEST(FormQuery, EncodesFieldsIntoAQueryString)
{
    std::string query;
    AppendFormParam(query, "q", "a b&c");
    EXPECT_EQ(query, "?q=a+b%26c");
    AppendFormParam(query, "sum", "1+1=2 #3");
    EXPECT_EQ(query, "?q=a+b%26c&sum=1%2B1%3D2+%233");
    AppendFormParam(query, "text", "line\r\nnext 100%\ttab");
    EXPECT_EQ(query, "?q=a+b%26c&sum=1%2B1%3D2+%233&text=line%0D%0Anext+100%25%09tab");

    std::string other;
    AppendFormParam(other, "name", "\xD0\x96\x7F\x01~/:;?");
    AppendFormParam(other, "empty", nullptr);
    AppendFormParam(other, "", "ignored");
    AppendFormParam(other, nullptr, "ignored");
    AppendFormParam(other, "a&b=c", "");
    EXPECT_EQ(other, "?name=%D0%96%7F%01~/:;?&empty=&a%26b%3Dc=");
}
