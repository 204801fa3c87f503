// Reading cookie texts: Set-Cookie values, expiry dates, tree keys and
// domain matching.

#include "foundation/stores/CookieStore.h"

#include "foundation/text/DateText.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <cctype>

namespace
{
bool IsScanSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads text the way sscanf reads it for the few conversions the expiry
// forms use, without sscanf's undefined results on numbers that overflow.
class CFormScanner
{
public:
    explicit CFormScanner(std::string_view text) : m_text(text) {}

    // A blank in the format: any run of white space, also none.
    void Space()
    {
        while (m_pos < m_text.size() && IsScanSpace(m_text[m_pos]))
            ++m_pos;
    }

    // "%*s": one word of non-white characters, skipped.
    bool SkipWord()
    {
        Space();
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !IsScanSpace(m_text[m_pos]))
            ++m_pos;
        return m_pos > start;
    }

    // "%3s": one to three non-white characters.
    bool Word3(std::string& word)
    {
        Space();
        const size_t start = m_pos;
        while (m_pos < m_text.size() && m_pos - start < 3 && !IsScanSpace(m_text[m_pos]))
            ++m_pos;
        word.assign(m_text.substr(start, m_pos - start));
        return m_pos > start;
    }

    // "%d", refusing more than nine digits rather than overflowing.
    bool Number(int& value)
    {
        Space();
        bool negative = false;
        if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-'))
            negative = m_text[m_pos++] == '-';
        const size_t start = m_pos;
        int result = 0;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
        {
            if (m_pos - start >= 9)
                return false;
            result = result * 10 + (m_text[m_pos++] - '0');
        }
        if (m_pos == start)
            return false;
        value = negative ? -result : result;
        return true;
    }

    // A literal character of the format.
    bool Char(char c)
    {
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

struct ExpiryFields
{
    int day = 0;
    std::string month;
    int year = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// One of the four forms: with or without a leading word (the weekday), and
// with '-' or white space between day, month and year. True when all six
// fields were filled.
bool ScanExpiryForm(std::string_view text, bool weekday, bool hyphens, ExpiryFields& fields)
{
    CFormScanner scanner(text);
    const auto dateSeparator = [&]() -> bool
    {
        if (hyphens)
            return scanner.Char('-');
        scanner.Space();
        return true;
    };
    if (weekday)
    {
        if (!scanner.SkipWord())
            return false;
        scanner.Space();
    }
    return scanner.Number(fields.day) && dateSeparator() && scanner.Word3(fields.month) && dateSeparator() &&
           scanner.Number(fields.year) && scanner.Number(fields.hour) && scanner.Char(':') &&
           scanner.Number(fields.minute) && scanner.Char(':') && scanner.Number(fields.second);
}

// A host written as an IP address (v4, or v6 with its colons), which only
// ever matches itself.
bool IsAddressLiteral(std::string_view host)
{
    if (host.find(':') != std::string_view::npos)
        return true;
    return std::all_of(host.begin(), host.end(),
                       [](char c) { return c == '.' || std::isdigit(static_cast<unsigned char>(c)); });
}

// The part of text from pos up to the first of stops (or the end), trimmed
// of white space; pos moves to that stop.
std::string TakeUntil(std::string_view text, size_t& pos, std::string_view stops)
{
    const size_t end = std::min(text.find_first_of(stops, pos), text.size());
    std::string part = Trim(text.substr(pos, end - pos));
    pos = end;
    return part;
}
} // namespace

std::string MakeCookieKey(std::string_view domain, std::string_view path)
{
    const std::string host = MakeLower(Trim(Trim(domain), "."));
    const std::vector<std::string> labels = Split(host, '.', false);
    if (labels.size() < 2)
        return std::string();
    std::string key;
    for (auto label = labels.rbegin(); label != labels.rend(); ++label)
    {
        key += *label;
        key += '/';
    }
    key += TrimLeft(path, "/");
    return key;
}

bool CookieDomainMatches(std::string_view host, std::string_view domain)
{
    while (!domain.empty() && domain.front() == '.')
        domain.remove_prefix(1);
    if (domain.empty() || host.size() < domain.size())
        return false;
    if (host.size() == domain.size())
        return EqualsNoCase(host, domain);
    if (IsAddressLiteral(host))
        return false;
    const size_t boundary = host.size() - domain.size() - 1;
    return host[boundary] == '.' && EqualsNoCase(host.substr(boundary + 1), domain);
}

bool ParseCookieExpires(std::string_view text, COleDateTime& expiry)
{
    static constexpr struct
    {
        bool weekday;
        bool hyphens;
    } kForms[] = {{true, true}, {false, true}, {true, false}, {false, false}};

    for (const auto& form : kForms)
    {
        ExpiryFields fields;
        if (!ScanExpiryForm(text, form.weekday, form.hyphens, fields))
            continue;
        int year = fields.year;
        // Two-digit years as cookies have always written them: 70 to 99 in
        // the 1900s, 0 to 69 in the 2000s.
        if (year >= 0 && year < 100)
            year += year < 70 ? 2000 : 1900;
        return expiry.SetDateTime(year, MonthFromName(fields.month), fields.day, fields.hour, fields.minute,
                                  fields.second);
    }
    if (ParseCookieDate(text, expiry))
        return true;
    return expiry.ParseDateTime(TrimRight(text, "GMT"));
}

bool CCookieStore::ParseSetCookie(std::string_view headerValue, std::string_view host,
                                  const COleDateTime& added)
{
    const std::string value = Trim(headerValue);
    if (value.empty())
        return false;

    size_t pos = std::min(value.find_first_of("; \t"), value.size());
    const std::string cookie = value.substr(0, pos);
    if (pos < value.size() && value[pos] == ';')
        ++pos;

    bool secure = false;
    std::string expires;
    std::string path;
    std::string domain;
    while (pos < value.size())
    {
        const std::string name = TakeUntil(value, pos, "=;");
        std::string attribute;
        if (pos < value.size() && value[pos] == '=')
            attribute = TakeUntil(value, ++pos, ";");
        if (pos < value.size() && value[pos] == ';')
            ++pos;

        if (EqualsNoCase(name, "secure"))
            secure = true;
        else if (EqualsNoCase(name, "expires"))
            expires = attribute;
        else if (EqualsNoCase(name, "path"))
            path = attribute;
        else if (EqualsNoCase(name, "domain"))
            domain = attribute;
    }

    std::string sender(host);
    if (sender.find('.') == std::string::npos)
        sender += ".local";
    if (domain.empty())
        domain = sender;
    else if (!CookieDomainMatches(sender, domain))
        return false; // a host may not set cookies for other sites
    if (path.empty())
        path = "/";
    return AddCookie(domain, path, secure, cookie, expires, added);
}
