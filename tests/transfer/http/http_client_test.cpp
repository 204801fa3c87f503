// The parts of the HTTP client that need no server: where a redirect leads,
// the authentication steps, and how a POST body is given.
#include <gtest/gtest.h>

#include <string>

#include "foundation/text/Base64.h"
#include "foundation/text/ByteBuffer.h"
#include "foundation/links/LinkItem.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/properties/PropertySet.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/TempFolder.h"
#include "transfer/http/HttpAuthentication.h"
#include "transfer/http/HttpClient.h"
#include "transfer/http/HttpPostBody.h"
#include "transfer/base/ResultCodes.h"

namespace
{
void SetHeader(CByteBuffer& header, const std::string& text)
{
    header.SetLength(0);
    for (char c : text)
        header.AppendByte(static_cast<uint8_t>(c));
    header.AppendByte(0);
}

struct RedirectCase
{
    const char* url;          // the request's URL
    const char* earlierPath;  // LI_REDIRECT_PATH from an earlier redirect ("" none)
    const char* location;     // the Location the server sent
    int result;               // 0 same site, 1014 to be followed by the caller
    const char* redirectPath; // LI_REDIRECT_PATH afterwards (result 0)
    const char* redirectUrl;  // LI_REDIRECT_URL afterwards (result 1014)
};

TEST(HttpClient, RedirectTargets)
{
    const RedirectCase cases[] = {
        {"http://example.org/a/page", "", "other", 0, "/a/other", ""},
        {"http://example.org/a/page", "", "/root/x?q=1", 0, "/root/x?q=1", ""},
        {"http://example.org/a/page", "", "../up", 0, "/up", ""},
        // Relative to the URL that was actually requested, not the first one.
        {"http://example.org/a/page", "/b/step", "final.txt", 0, "/b/final.txt", ""},
        {"http://example.org/a/page", "", "http://EXAMPLE.org:80/c", 0, "/c", ""},
        {"http://example.org/a/page", "", "http://example.org/d", 0, "/d", ""},
        // The same host is not the same site on another scheme or port.
        {"http://example.org/a/page", "", "https://example.org/a/page", kResultRedirectOutside, "",
         "https://example.org/a/page"},
        {"https://example.org/a/page", "", "http://example.org/a/page", kResultRedirectOutside, "",
         "http://example.org/a/page"},
        {"http://example.org/a/page", "", "http://example.org:8080/a/page", kResultRedirectOutside, "",
         "http://example.org:8080/a/page"},
        {"http://example.org/a/page", "", "http://other.example/x", kResultRedirectOutside, "",
         "http://other.example/x"},
        // A relative location to another site is handed on made absolute.
        {"http://example.org/a/page", "/b/step", "//other.example/y", kResultRedirectOutside, "",
         "http://other.example/y"},
    };
    for (const RedirectCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.url) + " + " + c.earlierPath + " -> " + c.location);
        CHttpClient client(1);
        CLinkItem item;
        ASSERT_TRUE(item.SetUrl(c.url, true));
        item.SetString(LI_REDIRECT_PATH, c.earlierPath);
        EXPECT_EQ(client.HandleRedirect(item, c.location, nullptr), c.result);
        if (c.result == kResultOk)
            EXPECT_EQ(item.GetStringValue(LI_REDIRECT_PATH), c.redirectPath);
        else
            EXPECT_EQ(item.GetStringValue(LI_REDIRECT_URL), c.redirectUrl);
    }
}

class HttpAuthenticationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int id : {SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION, SETTING_HTTP_ENABLE_NTLM_AUTHENTICATION,
                       SETTING_HTTP_ENABLE_NEGOTIATE_AUTHENTICATION})
            m_settings.SetInt(id, 1);
    }

    CPropertySet m_settings;
};

TEST_F(HttpAuthenticationTest, BasicValueAndItsSteps)
{
    CByteBuffer header;
    SetHeader(header, "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: basic realm=\"x\"\r\n\r\n");
    CHttpAuthentication auth;
    auth.ReadEnabledSchemes(m_settings);
    ASSERT_EQ(auth.OnUnauthorized(header, "bob@corp", "pw"), CHttpAuthentication::kRetry);
    EXPECT_EQ(auth.Authorization(), "Basic " + Base64Encode("corp\\bob:pw", 11));
    EXPECT_TRUE(auth.MaskInLog());
    // The same credentials refused again: ask the user.
    EXPECT_EQ(auth.OnUnauthorized(header, "bob@corp", "pw"), CHttpAuthentication::kPrompt);
    EXPECT_EQ(auth.Authorization(), "");
    EXPECT_FALSE(auth.IsAuthenticated());
    EXPECT_FALSE(auth.MaskInLog());

    CHttpAuthentication noUser;
    noUser.ReadEnabledSchemes(m_settings);
    EXPECT_EQ(noUser.OnUnauthorized(header, "", ""), CHttpAuthentication::kPrompt);

    m_settings.SetInt(SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION, 0);
    CHttpAuthentication disabled;
    disabled.ReadEnabledSchemes(m_settings);
    EXPECT_EQ(disabled.OnUnauthorized(header, "bob", "pw"), CHttpAuthentication::kGiveUp);
}

TEST_F(HttpAuthenticationTest, UnknownSchemeIsFinal)
{
    CByteBuffer header;
    SetHeader(header, "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest realm=\"x\"\r\n\r\n");
    CHttpAuthentication auth;
    auth.ReadEnabledSchemes(m_settings);
    EXPECT_EQ(auth.OnUnauthorized(header, "bob", "pw"), CHttpAuthentication::kGiveUp);
}

TEST_F(HttpAuthenticationTest, NtlmBeforeBasic)
{
    CByteBuffer header;
    SetHeader(header, "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                      "WWW-Authenticate: NTLM\r\n\r\n");
    CHttpAuthentication auth;
    auth.ReadEnabledSchemes(m_settings);
    ASSERT_EQ(auth.OnUnauthorized(header, "bob", "pw"), CHttpAuthentication::kRetry);
    EXPECT_EQ(auth.GetScheme(), CHttpAuthentication::kSchemeNtlm);
    EXPECT_EQ(auth.Authorization().rfind("NTLM ", 0), 0u) << auth.Authorization();
    EXPECT_FALSE(auth.MaskInLog());
}

struct BodyCase
{
    std::string given;
    std::string sent;
};

TEST(HttpPostBody, GivenForms)
{
    const BodyCase cases[] = {
        {"data:?a=1&b=2", "a=1&b=2"},
        {"data:a=1", "a=1"},
        {"data:", ""},
        {"data:??x", "?x"},
        {"dat", "dat"},
        {"plain text", "plain text"},
        {std::string("bin\0ary", 7), std::string("bin\0ary", 7)},
    };
    for (const BodyCase& c : cases)
    {
        SCOPED_TRACE(c.given);
        CHttpPostBody body;
        ASSERT_EQ(
            body.Resolve(reinterpret_cast<const uint8_t*>(c.given.data()), int(c.given.size()), nullptr),
            kResultOk);
        EXPECT_FALSE(body.IsFile());
        EXPECT_EQ(body.GetLength(), int64_t(c.sent.size()));
    }
}

TEST(HttpPostBody, MissingFileIsReported)
{
    CTempFolder folder;
    const std::string given = "file:" + folder / "missing.txt";
    CCapturedLog log;
    CHttpPostBody body;
    EXPECT_EQ(body.Resolve(reinterpret_cast<const uint8_t*>(given.data()), int(given.size()), log.Get()),
              kResultNotFound);
    EXPECT_TRUE(log.Contains("Cannot open file \"" + folder / "missing.txt" + "\".")) << log.Text();
}

TEST(HttpClient, UploadIsNotSupported)
{
    CHttpClient client(1);
    CLinkItem item;
    EXPECT_EQ(client.Upload(item, nullptr, nullptr), kResultNotSupported);
    client.SetAborted(1);
    EXPECT_EQ(client.Upload(item, nullptr, nullptr), kResultStopped);
    EXPECT_EQ(client.Connect(item, nullptr), kResultStopped);
}
} // namespace
