#include "transfer/client/ServerDateText.h"
#include "transfer/ftp/FtpReplyText.h"
#include "transfer/net/HostAddress.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct PasvCase
{
    const char* reply;
    const char* address; // null: the reply must be refused
    int port;
};

const PasvCase kPasvCases[] = {
    {"227 Entering Passive Mode (192,168,1,2,4,1)", "192.168.1.2", 1025},
    {"227 Entering Passive Mode (10, 0, 0, 1, 4, 1).", "10.0.0.1", 1025},
    {"227 Entering Passive Mode 10,0,0,1,4,1.", "10.0.0.1", 1025},
    {"227 Entering Passive Mode 10,0,0,1,4,1)\r\n", "10.0.0.1", 1025},
    {"227 =127,0,0,1,200,10", "127.0.0.1", 51210},
    {"227 Entering Passive Mode (255,255,255,255,255,255)", "255.255.255.255", 65535},
    // Leading zeros are decimal, never octal.
    {"227 Entering Passive Mode (010,000,000,001,004,010)", "10.0.0.1", 1034},
    // Hostile or broken replies.
    {"227 Entering Passive Mode (256,0,0,1,4,1)", nullptr, 0},
    {"227 Entering Passive Mode (10,0,0,1,4,256)", nullptr, 0},
    {"227 Entering Passive Mode (10,0,0,1,999,1)", nullptr, 0},
    {"227 Entering Passive Mode (10,0,0,1,4)", nullptr, 0},
    {"227 Entering Passive Mode (10,0,0,1,4,-1)", nullptr, 0},
    {"227 Entering Passive Mode (10,0,0,1,4,+1)", nullptr, 0},
    {"227 Entering Passive Mode (1,2,3,4,5,0x10)", nullptr, 0},
    {"227 Entering Passive Mode (1111111111111111111111,0,0,1,4,1)", nullptr, 0},
    {"227 Entering Passive Mode (0001,0,0,1,4,1)", nullptr, 0},
    {"227 Entering Passive Mode (,,,,,)", nullptr, 0},
    {"227 Entering Passive Mode", nullptr, 0},
    {"227", nullptr, 0},
    {"", nullptr, 0},
};

TEST(FtpReplyTextTest, PasvReplyTable)
{
    for (const PasvCase& c : kPasvCases)
    {
        SCOPED_TRACE(c.reply);
        uint32_t address = 1;
        int port = 1;
        const bool ok = ParsePasvAddress(c.reply, address, port);
        EXPECT_EQ(c.address != nullptr, ok);
        if (c.address)
        {
            EXPECT_EQ(c.address, FormatIPv4(address));
            EXPECT_EQ(c.port, port);
        }
        else
        {
            EXPECT_EQ(0u, address);
            EXPECT_EQ(0, port);
        }
    }
}

TEST(FtpReplyTextTest, PasvReplyRefusesOverlongText)
{
    std::string reply = "227 Entering Passive Mode (" + std::string(100000, '9') + ",0,0,1,4,1)";
    std::array<int, 6> numbers{7, 7, 7, 7, 7, 7};
    EXPECT_FALSE(ParsePasvReply(reply, numbers));
    EXPECT_EQ(7, numbers[0]); // untouched
    EXPECT_FALSE(ParsePasvReply("227 " + std::string(100000, ' '), numbers));
}

TEST(FtpReplyTextTest, PortCommand)
{
    EXPECT_EQ("PORT 192,168,1,2,4,1", FormatPortCommand(ParseDottedQuad("192.168.1.2"), 1025));
    EXPECT_EQ("PORT 127,0,0,1,255,255", FormatPortCommand(ParseDottedQuad("127.0.0.1"), 65535));
    // What we offer in PORT reads back the same way as a PASV reply.
    uint32_t address = 0;
    int port = 0;
    ASSERT_TRUE(ParsePasvAddress("227 " + FormatPortCommand(ParseDottedQuad("10.20.30.40"), 50000).substr(5),
                                 address, port));
    EXPECT_EQ("10.20.30.40", FormatIPv4(address));
    EXPECT_EQ(50000, port);
}

// The size a transfer's "150" reply announces, as servers write it, and the
// texts that announce nothing.
TEST(FtpReplyTextTest, TransferSizeTable)
{
    const struct
    {
        const char* reply;
        int64_t size; // -1: nothing announced
    } cases[] = {
        {"150 Opening BINARY mode data connection for /pub/a.bin (5000 bytes).", 5000},
        {"150 Opening data connection for a (b) ( 12 BYTES)", 12},
        {"150 Opening ASCII mode data connection for x (0 bytes)", 0},
        {"150 Opening data connection for big (999999999999999999 bytes)", 999999999999999999},
        {"150 Opening data connection for huge (9999999999999999999 bytes)", -1},
        {"150 Opening data connection for (5000 bytes) of (notes)", -1},
        {"150 Opening data connection (5000)", -1},
        {"150 Opening data connection (-5 bytes)", -1},
        {"150 Opening data connection (bytes)", -1},
        {"150 Opening data connection.", -1},
        {"", -1},
    };
    for (const auto& c : cases)
    {
        int64_t size = -1;
        EXPECT_EQ(ParseTransferSize(c.reply, size), c.size >= 0) << c.reply;
        EXPECT_EQ(size, c.size) << c.reply;
    }
}

struct DateCase
{
    const char* text;
    bool ok;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

void ExpectDate(const DateCase& c, bool ok, const COleDateTime& date)
{
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.ok, ok);
    EXPECT_EQ(c.ok, date.IsValid());
    if (!c.ok)
        return;
    int year, month, day, hour, minute, second;
    ASSERT_TRUE(date.GetParts(year, month, day, hour, minute, second));
    EXPECT_EQ(c.year, year);
    EXPECT_EQ(c.month, month);
    EXPECT_EQ(c.day, day);
    EXPECT_EQ(c.hour, hour);
    EXPECT_EQ(c.minute, minute);
    EXPECT_EQ(c.second, second);
}

const DateCase kMdtmCases[] = {
    {"213 20240131235958", true, 2024, 1, 31, 23, 59, 58},
    {"213 20240131235958.123", true, 2024, 1, 31, 23, 59, 58},
    {"213 20240229000000\r\n", true, 2024, 2, 29, 0, 0, 0},
    {"19980615100045", true, 1998, 6, 15, 10, 0, 45},
    {"213 2024013123595", false},
    {"213 202401312359580", false},
    {"213 2024013123595x", false},
    {"213 -2024013123595", false},
    {"213 20230229000000", false},
    {"213 20241301000000", false},
    {"213 20240101240000", false},
    {"213 20240101006000", false},
    {"213 ", false},
    {"", false},
};

TEST(FtpReplyTextTest, MdtmTimeTable)
{
    for (const DateCase& c : kMdtmCases)
    {
        COleDateTime date(2000, 1, 1, 0, 0, 0);
        const bool ok = ParseMdtmTime(c.text, date);
        ExpectDate(c, ok, date);
    }
}

const DateCase kDateTextCases[] = {
    // HTTP dates: RFC 1123 and RFC 850.
    {"Sun, 06 Nov 1994 08:49:37 GMT", true, 1994, 11, 6, 8, 49, 37},
    {"Sunday, 06-Nov-94 08:49:37 GMT", true, 1994, 11, 6, 8, 49, 37},
    // asctime, which HTTP recipients must read, and a two-digit year read by
    // HTTP's fifty-year rule (2060 is no more than 50 years ahead until 2110).
    {"Sun Nov  6 08:49:37 1994", true, 1994, 11, 6, 8, 49, 37},
    {"Nov 6 08:49:37 1994", true, 1994, 11, 6, 8, 49, 37},
    {"Tuesday, 06-Jul-60 08:49:37 GMT", true, 2060, 7, 6, 8, 49, 37},
    {"  12/31/2024 23:59:59 ", true, 2024, 12, 31, 23, 59, 59},
    {"2024-12-31 23:59", true, 2024, 12, 31, 23, 59, 0},
    // Russian month names, in UTF-8 and in Windows-1251, with the year mark.
    {"5 марта 2004 г. 10:30", true, 2004, 3, 5, 10, 30, 0},
    {"5 \xEC\xE0\xF0\xF2\xE0 2004 \xE3. 10:30", true, 2004, 3, 5, 10, 30, 0},
    // day.month.year hour:minute, which the English reader refuses.
    {"31.12.2024 23:59", true, 2024, 12, 31, 23, 59, 0},
    {"13.05.2024 10:00", true, 2024, 5, 13, 10, 0, 0},
    {"05.13.2024 10:00", true, 2024, 5, 13, 10, 0, 0},
    {"32.13.2024 10:00", false},
    {"31.12.2024", false},
    {"31.12.99999999999 10:00", false},
    {"", false},
    {"   ", false},
    {"GMT", false},
    {"not a date", false},
};

TEST(FtpReplyTextTest, DateTextTable)
{
    for (const DateCase& c : kDateTextCases)
    {
        COleDateTime date(2000, 1, 1, 0, 0, 0);
        const bool ok = ParseDateText(c.text, date);
        ExpectDate(c, ok, date);
    }
}

} // namespace
