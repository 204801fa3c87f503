// Reading and writing kCookieFileName, line by line: CCookieFile.

#include "foundation/stores/CookieFile.h"

#include "foundation/text/AbstractVisitor.h"
#include "foundation/text/AttributeFormat.h"
#include "foundation/text/AttributeList.h"
#include "foundation/files/BufferedFile.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/Text.h"

namespace
{
// The attributes of one line, taken as name, value, name, value, ...
class CCookieLineSink : public CAttributePairVisitor
{
public:
    bool OnAttribute(std::string_view name, std::string_view text) override
    {
        if (EqualsNoCase(name, "domain"))
            m_domain.assign(text);
        else if (EqualsNoCase(name, "path"))
            m_path.assign(text);
        else if (EqualsNoCase(name, "secure"))
            m_secure = text == "1";
        else if (EqualsNoCase(name, "expires"))
            m_expires.assign(text);
        else if (EqualsNoCase(name, "cookie"))
            m_cookie.assign(text);
        else if (EqualsNoCase(name, "added"))
            m_added.assign(text);
        return true;
    }

    std::string m_domain;
    std::string m_path;
    bool m_secure = false;
    std::string m_expires;
    std::string m_cookie;
    std::string m_added;
};
} // namespace

CCookieFile::CCookieFile(CAtomicFile& output) : m_output(&output) {}

CCookieFile::CCookieFile(CBufferedFile& input) : m_input(&input) {}

bool CCookieFile::AddCookie(std::string_view domain, std::string_view path, bool secure,
                            std::string_view cookie, std::string_view expires, const COleDateTime& added)
{
    if (!m_output || domain.empty() || path.empty() || cookie.empty() || expires.empty())
        return false;
    std::string line;
    if (!AppendAttributeText(line, "Domain", domain) || !AppendAttributeText(line, "Path", path) ||
        !AppendAttributeText(line, "Secure", secure ? "1" : "0") ||
        !AppendAttributeText(line, "Expires", expires) || !AppendAttributeText(line, "Cookie", cookie) ||
        !AppendAttributeText(line, "Added", added.Format("%m/%d/%Y %H:%M:%S")))
        return false;
    if (!m_output->Write(" " + line + "\r\n"))
    {
        m_writeFailed = true;
        return false;
    }
    return true;
}

void CCookieFile::Enumerate(CCookieStore& visitor)
{
    if (!m_input)
        return;
    std::string line;
    while (m_input->ReadLine(line))
    {
        CCookieLineSink sink;
        ParseAttributeList(line, sink);
        COleDateTime added;
        added.ParseDateTime(sink.m_added); // invalid when missing or unreadable
        visitor.AddCookie(sink.m_domain, sink.m_path, sink.m_secure, sink.m_cookie, sink.m_expires, added);
    }
}
