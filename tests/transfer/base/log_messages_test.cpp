#include "transfer/base/LogMessages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

TEST(LogMessages, FormatsTemplatesWithTheirArguments)
{
    EXPECT_EQ(FormatLogMessage(0, 5), "Cannot socket (error: 5).");
    EXPECT_EQ(FormatLogMessage(2, "example.org", 80, 10061),
              "Cannot connect to example.org:80 (error: 10061).");
    EXPECT_EQ(FormatLogMessage(5, "nohost"), "Cannot find server or DNS Error, host name: \"nohost\".");
    EXPECT_EQ(FormatLogMessage(44, "a.txt", static_cast<int64_t>(5000000000LL), "today"),
              "File: \"a.txt\", size: 5000000000, modified: today.");
    EXPECT_EQ(FormatLogMessage(52), "Server certificate denied by user.");
}

// Every template with arguments of its conversions, as the log shows it.
TEST(LogMessages, EveryTemplateReadsAsDocumented)
{
    const char* const s1 = "a";
    const char* const s2 = "b";
    const std::string expected[kLogMessageCount] = {
        "Cannot socket (error: 7).",
        "Cannot connect to a:7.",
        "Cannot connect to a:7 (error: 8).",
        "Connecting to a:7...",
        "Connected to a:7.",
        "Cannot find server or DNS Error, host name: \"a\".",
        "Host name resolved: \"a\" => \"b\".",
        "Incorrect parameter \"a\".",
        "Login type is not supported: \"a\".",
        "Skey pass phrase generated \"a\".",
        "File not found \"a\".",
        "Directory not found \"a\".",
        "Access denied \"a\".",
        "Cannot get file info \"a\".",
        "Getting file info \"a\".",
        "Transfer finished.",
        "Transfer failed.",
        "Transferring...",
        "Connection failed.",
        "Connecting...",
        "Removing file \"a\".",
        "Removing dir \"a\".",
        "Cannot remove file \"a\".",
        "Cannot remove dir \"a\".",
        "Connection closed.",
        "Control connection closed.",
        "Control connection closed (7).",
        "Data connection closed.",
        "Data connection closed (7).",
        "Cannot open file \"a\".",
        "Cannot create dir \"a\".",
        "Cannot copy file \"a\" to \"b\".",
        "Cannot copy dir \"a\" to \"b\".",
        "Cannot connect to a:7 via proxy.",
        "Cannot connect to a:7 via proxy (error: 8).",
        "Reusing existing connection.",
        "Protocol or operation is not supported or implemented: \"a\".",
        "Timeout on: \"a\".",
        "Sending request.",
        "Sending request: \"a\".",
        "Received reply.",
        "Received reply: \"a\".",
        "--- Retry #7 ---",
        "--- Retry #7 from 8 ---",
        "File: \"a\", size: 7, modified: b.",
        "Waiting 7 milliseconds...",
        "Waiting 7 seconds...",
        "Transfer retry #7.",
        "Protocol error: a.",
        "Transfer aborted: a, bytes expected b, received a.",
        "Server certificate was auto accepted.",
        "Server certificate info: valid from a, to b.",
        "Server certificate denied by user.",
    };
    for (int index = 0; index < kLogMessageCount; ++index)
    {
        // Arguments in the order of the template's conversions.
        const std::string_view format = LogMessageTemplate(index);
        std::string shown;
        if (index == 44)
            shown = FormatLogMessage(index, s1, static_cast<int64_t>(7), s2);
        else if (index == 49)
            shown = FormatLogMessage(index, s1, s2, s1);
        else if (format.find("%s:%d") != std::string_view::npos)
            shown = FormatLogMessage(index, s1, 7, 8);
        else if (format.find("%s") != std::string_view::npos)
            shown = FormatLogMessage(index, s1, s2);
        else
            shown = FormatLogMessage(index, 7, 8);
        EXPECT_EQ(shown, expected[index]) << "template " << index;
    }
}

TEST(LogMessages, IndexOutsideTheTableGivesEmptyText)
{
    for (int index : {-1, kLogMessageCount, 1000})
    {
        EXPECT_EQ(LogMessageTemplate(index), nullptr) << index;
        EXPECT_EQ(FormatLogMessage(index, 1, 2), "") << index;
    }
    for (int index = 0; index < kLogMessageCount; ++index)
        EXPECT_NE(LogMessageTemplate(index), nullptr) << index;
}

TEST(LogMessages, PassCommandHidesThePassword)
{
    const struct
    {
        const char* text;
        const char* shown;
    } cases[] = {
        {"PASS secret", "PASS ****"},
        {"pass secret\r\n", "pass ****\r\n"},
        {"Pass x", "Pass ****"},
        {"PASS ", "PASS "},
        {"PASS \r\n", "PASS \r\n"},
        {"PASSWORD", "PASSWORD"},
        {"USER bob", "USER bob"},
        {" PASS secret", " PASS secret"},
        {"USER bob\r\nPASS secret\r\nSYST", "USER bob\r\nPASS ****\r\nSYST"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(MaskPasswordCommand(c.text), c.shown) << c.text;
        EXPECT_EQ(MaskPasswordCommand(c.shown), c.shown) << c.text;
        // The quick look must never let a password through.
        if (std::string_view(c.text) != c.shown)
        {
            EXPECT_TRUE(MayHoldPasswordCommand(c.text)) << c.text;
        }
    }
    for (const char* plain : {"USER bob", " PASS secret", "PASSWORD", "", "xPASS y\r\nUSER z\r\n PASS w"})
        EXPECT_FALSE(MayHoldPasswordCommand(plain)) << plain;
}
