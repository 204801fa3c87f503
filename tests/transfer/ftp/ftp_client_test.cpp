#include "transfer/ftp/FtpClient.h"
#include "transfer/ftp/FtpCommandCache.h"
#include "transfer/ftp/FtpReplyParser.h"

#include "foundation/links/LinkItem.h"
#include "transfer/base/ResultCodes.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct ReplyCase
{
    const char* name;
    std::string buffer;
    FtpReplyParse parse;
    int code;
    std::string text;
    size_t consumed;
};

TEST(FtpReplyParser, FindsTheReplyAtTheFrontOfTheBuffer)
{
    const ReplyCase cases[] = {
        {"three bytes are never a reply", "220", FtpReplyParse::Incomplete, 0, "", 0},
        {"no line feed yet", "220 ready", FtpReplyParse::Incomplete, 0, "", 0},
        {"one line", "220 ready\r\n", FtpReplyParse::Complete, 220, "220 ready\r", 11},
        {"bytes after the reply stay", "220 ready\r\n331 pass\r\n", FtpReplyParse::Complete, 220,
         "220 ready\r", 11},
        {"multi-line", "230-Welcome\r\n230-more\r\n230 done\r\nnext", FtpReplyParse::Complete, 230,
         "230-Welcome\r\n230-more\r\n230 done\r", 33},
        {"an indented code is no final line", "211-Features\r\n 211 x\r\n211 End\r\n",
         FtpReplyParse::Complete, 211, "211-Features\r\n 211 x\r\n211 End\r", 31},
        {"multi-line without its end", "230-Welcome\r\n230-more\r\n", FtpReplyParse::Incomplete, 0, "", 0},
        {"final code differs", "550-No\r\n551 really\r\n", FtpReplyParse::Malformed, 550,
         "550-No\r\n551 really\r", 20},
        {"first line without a code", "Hello\r\n220 ready\r\n", FtpReplyParse::Malformed, 220,
         "Hello\r\n220 ready\r", 18},
        {"a code without its blank is not final", "220\r\n", FtpReplyParse::Incomplete, 0, "", 0},
    };
    for (const ReplyCase& c : cases)
    {
        FtpReplyScan scan;
        std::string text = "untouched";
        int code = -7;
        size_t consumed = 99;
        EXPECT_EQ(ParseReplyBuffer(c.buffer, scan, text, code, consumed), c.parse) << c.name;
        if (c.parse == FtpReplyParse::Incomplete)
        {
            EXPECT_EQ(text, "untouched") << c.name;
            continue;
        }
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
        EXPECT_EQ(consumed, c.consumed) << c.name;
    }
}

// A reply arriving in pieces: the scan resumes where it stopped and still
// finds the same reply as one parse of the whole text.
TEST(FtpReplyParser, ResumesAcrossPieces)
{
    const std::string whole = "230-Welcome\r\n230-more lines\r\n230 done\r\n221 next";
    FtpReplyScan scan;
    std::string text;
    int code = 0;
    size_t consumed = 0;
    FtpReplyParse parse = FtpReplyParse::Incomplete;
    size_t length = 0;
    for (length = 1; length <= whole.size(); ++length)
    {
        parse = ParseReplyBuffer(std::string_view(whole).substr(0, length), scan, text, code, consumed);
        if (parse != FtpReplyParse::Incomplete)
            break;
    }
    EXPECT_EQ(parse, FtpReplyParse::Complete);
    EXPECT_EQ(length, whole.find("221"));
    EXPECT_EQ(code, 230);
    EXPECT_EQ(text, "230-Welcome\r\n230-more lines\r\n230 done\r");
    EXPECT_EQ(consumed, whole.find("221"));
}

TEST(FtpCommandCache, AnswersRepeatedTypeAndRestZero)
{
    CFtpCommandCache cache;
    int code = 0;
    EXPECT_FALSE(cache.IsCachedCommand("TYPE I", code));
    cache.UpdateCommandCache("TYPE I", 200);
    EXPECT_TRUE(cache.IsCachedCommand("type i  ", code));
    EXPECT_EQ(code, 200);
    EXPECT_FALSE(cache.IsCachedCommand("TYPE A", code));

    // A refused TYPE leaves the type unknown.
    cache.UpdateCommandCache("TYPE A", 504);
    EXPECT_FALSE(cache.IsCachedCommand("TYPE I", code));
    EXPECT_FALSE(cache.IsCachedCommand("TYPE A", code));
    cache.UpdateCommandCache("TYPE A", 200);
    EXPECT_TRUE(cache.IsCachedCommand("TYPE A", code));
    cache.UpdateCommandCache("TYPE L 8", 200);
    EXPECT_FALSE(cache.IsCachedCommand("TYPE A", code));

    EXPECT_FALSE(cache.IsCachedCommand("REST 0", code));
    cache.UpdateCommandCache("REST 0", 502);
    EXPECT_TRUE(cache.IsCachedCommand("REST 0", code));
    EXPECT_EQ(code, 350);
    EXPECT_FALSE(cache.IsCachedCommand("REST 100", code));

    cache.Reset();
    EXPECT_FALSE(cache.IsCachedCommand("REST 0", code));
    EXPECT_FALSE(cache.IsCachedCommand("TYPE A", code));
}

// A restart offset other than 0 may stay pending at the server when no
// transfer consumes it, so "REST 0" must be sent again after it.
TEST(FtpCommandCache, OtherRestOffsetForgetsRestZero)
{
    CFtpCommandCache cache;
    int code = 0;
    cache.UpdateCommandCache("REST 0", 350);
    cache.UpdateCommandCache("REST 1000", 350);
    EXPECT_FALSE(cache.IsCachedCommand("REST 0", code));
}

TEST(FtpClient, ReplyClassMapping)
{
    EXPECT_EQ(CFtpClient::ReplyClassResult(421), kResultFtp4xx);
    EXPECT_EQ(CFtpClient::ReplyClassResult(530), kResultFtp5xx);
    EXPECT_EQ(CFtpClient::ReplyClassResult(331), kResultFtpError);
    EXPECT_EQ(CFtpClient::ReplyClassResult(0), kResultFtpError);
}

TEST(FtpClient, StoreReplyStatusKeepsWhatFollowsTheFirstLine)
{
    const struct
    {
        const char* reply;
        const char* status;
    } cases[] = {
        {"550 No such file.", "550 No such file."},
        {"  550 padded  ", "550 padded"},
        {"550-First\r\n550 Second", "550 Second"},
        {"\n550 leading line feed", "550 leading line feed"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        CLinkItem item;
        CFtpClient::StoreReplyStatus(item, c.reply);
        EXPECT_EQ(item.GetStringValue(LI_STATUS_LINE), c.status) << c.reply;
    }
}

TEST(FtpClient, UploadIsNotSupported)
{
    CFtpClient client;
    CLinkItem item;
    EXPECT_EQ(client.Upload(item, nullptr, nullptr), kResultNotSupported);
    client.SetAborted(1);
    EXPECT_EQ(client.Upload(item, nullptr, nullptr), kResultStopped);
}

} // namespace
