#include "transfer/http/HttpResponseHeader.h"

#include <gtest/gtest.h>

#include "tests/support/BufferText.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/text/ByteBuffer.h"
#include "transfer/base/ResultCodes.h"

namespace
{

} // namespace

TEST(HttpResponseHeader, FindsEveryValueOfAField)
{
    const struct
    {
        const char* name;
        std::string header;
        std::string_view field;
        std::vector<std::string> values;
    } cases[] = {
        {"value trimmed",
         "HTTP/1.1 200 OK\r\nContent-Length:   42  \r\n\r\n",
         HttpHeaderName::kContentLength,
         {"42"}},
        {"name ignores case",
         "HTTP/1.1 200 OK\r\ncontent-TYPE: text/html\r\n\r\n",
         HttpHeaderName::kContentType,
         {"text/html"}},
        {"name must begin a line",
         "HTTP/1.1 200 OK\r\nX-Content-Type: a\r\nContent-Type: b\r\n\r\n",
         HttpHeaderName::kContentType,
         {"b"}},
        {"name inside a value",
         "HTTP/1.1 200 OK\r\nX-Note: Location: no\r\n\r\n",
         HttpHeaderName::kLocation,
         {}},
        {"repeated field in order",
         "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nServer: x\r\nset-cookie: b=2; Path=/\r\n\r\n",
         HttpHeaderName::kSetCookie,
         {"a=1", "b=2; Path=/"}},
        {"continuation lines belong to the value",
         "HTTP/1.1 401 No\r\nWWW-Authenticate: Basic\r\n realm=\"a\",\r\n\tcharset=x\r\nServer: y\r\n\r\n",
         HttpHeaderName::kWwwAuthenticate,
         {"Basic\r\n realm=\"a\",\r\n\tcharset=x"}},
        {"empty value",
         "HTTP/1.1 200 OK\r\nETag:\r\nETag: \"v\"\r\n\r\n",
         HttpHeaderName::kETag,
         {"", "\"v\""}},
        {"bare line feeds",
         "HTTP/1.0 200 OK\nLocation: /x\nServer: y\r\n\r\n",
         HttpHeaderName::kLocation,
         {"/x"}},
        {"a name on a folded line is value",
         "HTTP/1.1 200 OK\r\nX-Note: a\r\n Location: /no\r\nLocation: /yes\r\n\r\n",
         HttpHeaderName::kLocation,
         {"/yes"}},
        {"a longer name is another field",
         "HTTP/1.1 200 OK\r\nLocation-X: /no\r\nLOCATION:/yes\r\n\r\n",
         HttpHeaderName::kLocation,
         {"/yes"}},
        {"a name without its colon matches as a prefix",
         "HTTP/1.1 200 OK\r\nX-Abc: 1\r\nX-A: 2\r\n\r\n",
         "X-A",
         {"bc: 1", ": 2"}},
        {"field at the very start", "Location: /a\r\n\r\n", HttpHeaderName::kLocation, {"/a"}},
        {"body after the blank line is no field",
         "HTTP/1.1 200 OK\r\nServer: x\r\n\r\nLocation: /body\r\n\r\n",
         HttpHeaderName::kLocation,
         {}},
        {"no blank line, no fields", "HTTP/1.1 200 OK\r\nLocation: /a\r\n", HttpHeaderName::kLocation, {}},
        {"empty buffer", "", HttpHeaderName::kLocation, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CByteBuffer header;
        Fill(header, c.header);
        std::vector<std::string> values{"stale"};
        EXPECT_EQ(FindHttpHeaderAll(header, c.field, values), static_cast<int>(c.values.size()));
        EXPECT_EQ(values, c.values);

        std::string first = "untouched";
        EXPECT_EQ(FindHttpHeader(header, c.field, first), !c.values.empty());
        EXPECT_EQ(first, c.values.empty() ? std::string("untouched") : c.values.front());

        // The fields read once find the same, first and every occurrence.
        const CHttpHeaderFields fields(header);
        values = {"stale"};
        EXPECT_EQ(fields.FindAll(c.field, values), static_cast<int>(c.values.size()));
        EXPECT_EQ(values, c.values);
        first = "untouched";
        EXPECT_EQ(fields.Find(c.field, first), !c.values.empty());
        EXPECT_EQ(first, c.values.empty() ? std::string("untouched") : c.values.front());
    }
}

// One reading of a block answers every name: a look-up for one field does
// not disturb the next, and an empty name matches nothing.
TEST(HttpResponseHeader, FieldsReadOnceAnswerEveryName)
{
    CByteBuffer header;
    Fill(header, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\ncontent-type: text/plain\r\nConnection: close\r\n"
                 "Content-Length: 5\r\n\r\nbody");
    const CHttpHeaderFields fields(header);
    std::string value;
    EXPECT_TRUE(fields.Find(HttpHeaderName::kContentType, value));
    EXPECT_EQ(value, "text/plain");
    EXPECT_TRUE(fields.Find(HttpHeaderName::kConnection, value));
    EXPECT_EQ(value, "close");
    std::vector<std::string> values;
    EXPECT_EQ(fields.FindAll(HttpHeaderName::kContentLength, values), 2);
    EXPECT_FALSE(fields.Find(HttpHeaderName::kLocation, value));
    EXPECT_EQ(value, "close");
    EXPECT_FALSE(fields.Find("", value));
}

TEST(HttpResponseHeader, SplitMovesOneBlockAndLeavesTheBody)
{
    CByteBuffer receive;
    CByteBuffer header;
    bool complete = true;

    Fill(receive, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r");
    EXPECT_EQ(SplitResponseHeader(receive, header, complete), kResultOk);
    EXPECT_FALSE(complete);
    EXPECT_EQ(header.GetLength(), 0);
    EXPECT_EQ(Bytes(receive), "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r");

    Fill(receive, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello\r\n\r\nHTTP/1.1");
    EXPECT_EQ(SplitResponseHeader(receive, header, complete), kResultOk);
    EXPECT_TRUE(complete);
    EXPECT_EQ(Bytes(header), std::string("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n\0", 39));
    EXPECT_EQ(Bytes(receive), "hello\r\n\r\nHTTP/1.1");
    EXPECT_EQ(receive.GetReadPos(), 0);
}

TEST(HttpResponseHeader, ContentRangeAfterTheBlankLineJoinsTheHeader)
{
    const std::string head = "HTTP/1.1 206 Partial\r\nContent-Length: 3\r\n\r\n";
    const std::string range = "Content-Range: bytes 10-12/100\r\n";
    CByteBuffer receive;
    CByteBuffer header;
    bool complete = true;

    // The misplaced line is there, its blank line not yet: wait for more.
    Fill(receive, head + range);
    EXPECT_EQ(SplitResponseHeader(receive, header, complete), kResultOk);
    EXPECT_FALSE(complete);
    EXPECT_EQ(Bytes(receive), head + range);

    Fill(receive, head + range + "\r\nabc");
    EXPECT_EQ(SplitResponseHeader(receive, header, complete), kResultOk);
    ASSERT_TRUE(complete);
    EXPECT_EQ(Bytes(header),
              "HTTP/1.1 206 Partial\r\nContent-Length: 3\r\n" + range + "\r\n" + std::string(1, '\0'));
    EXPECT_EQ(Bytes(receive), "abc");
    std::string value;
    EXPECT_TRUE(FindHttpHeader(header, HttpHeaderName::kContentRange, value));
    EXPECT_EQ(value, "bytes 10-12/100");
}

TEST(HttpResponseHeader, OversizedBlockIsAProtocolError)
{
    const std::string status = "HTTP/1.1 200 OK\r\n";
    // A header block of exactly `size` bytes, blank line included.
    const auto block = [&status](size_t size)
    { return status + "X-Fill: " + std::string(size - status.size() - 12, 'a') + "\r\n\r\n"; };
    const size_t cap = static_cast<size_t>(kMaxResponseHeaderSize);
    ASSERT_EQ(block(cap).size(), cap);

    const struct
    {
        const char* name;
        std::string bytes;
        int result;
        bool complete;
    } cases[] = {
        {"block at the cap", block(cap) + "body", kResultOk, true},
        {"block one byte over", block(cap + 1) + "body", kResultProtocolError, false},
        {"unfinished, the cap can still be met", std::string(cap - 1, 'x'), kResultOk, false},
        {"unfinished at the cap", std::string(cap, 'x'), kResultProtocolError, false},
        {"far beyond the cap", status + std::string(4 * cap, 'x'), kResultProtocolError, false},
        {"range block over the cap",
         "HTTP/1.1 206 P\r\n\r\nContent-Range: bytes 0-1/2\r\n" + std::string(cap, 'x') + "\r\n\r\n",
         kResultProtocolError, false},
        {"unfinished range block at the cap", "HTTP/1.1 206 P\r\n\r\nContent-Range: " + std::string(cap, 'x'),
         kResultProtocolError, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CByteBuffer receive;
        CByteBuffer header;
        Fill(receive, c.bytes);
        bool complete = !c.complete;
        EXPECT_EQ(SplitResponseHeader(receive, header, complete), c.result);
        EXPECT_EQ(complete, c.complete);
        if (c.complete)
        {
            EXPECT_EQ(header.GetLength(), kMaxResponseHeaderSize + 1);
            EXPECT_EQ(Bytes(receive), "body");
        }
        else
        {
            // A refused block leaves everything as it was for the caller to drop.
            EXPECT_EQ(header.GetLength(), 0);
            EXPECT_EQ(receive.GetLength(), static_cast<int32_t>(c.bytes.size()));
        }
    }
}

TEST(HttpResponseHeader, ReadsTheStatusLine)
{
    const struct
    {
        std::string header;
        bool ok;
        const char* version;
        const char* status;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", true, "1.1", "200 OK"},
        {"HTTP/1.0 404 Not Found\r\n\r\n", true, "1.0", "404 Not Found"},
        {"HTTP/1.1 204\r\n\r\n", true, "1.1", "204"},
        {"HTTP/2 301 Moved Permanently\r\n\r\n", true, "2", "301 Moved Permanently"},
        {"HTTP/1.1 20\r\n\r\n", false, "", ""},
        {"HTTP/1.1 2x0 OK\r\n\r\n", false, "", ""},
        {"HTTP/1.1 200 OK", false, "", ""},
        {"http/1.1 200 OK\r\n\r\n", false, "", ""},
        {"ICY 200 OK\r\n\r\n", false, "", ""},
        // The blank must be on the status line itself.
        {"HTTP/1.1\r\nX: 200 OK\r\n\r\n", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.header);
        CByteBuffer header;
        Fill(header, c.header);
        std::string version = "stale";
        std::string status = "stale";
        EXPECT_EQ(ParseStatusLine(header, version, status), c.ok);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(status, c.status);
    }
}
