// CCookieStore: the tree of cookies (adding, looking up, removing,
// enumerating), its stamps, loading and saving the cookie file, and reading
// Set-Cookie values.

#include "foundation/stores/CookieStore.h"

#include "foundation/desktop/ShellHooks.h"
#include "foundation/files/BufferedFile.h"
#include "foundation/links/PublicSuffix.h"
#include "foundation/stores/CookieFile.h"
#include "foundation/stores/DataFolderFile.h"
#include "foundation/text/DateText.h"
#include "foundation/text/Escaping.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace
{
// Bytes that would end a request header line or a line of the file, or cut
// a C string short.
bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Calls visit for node and every node below it, a node before its children.
// The walk keeps its own stack, so a deep path costs no call depth.
template <typename Visit> void WalkSubtree(CCookieNode* node, Visit visit)
{
    std::vector<CCookieNode*> stack{node};
    while (!stack.empty())
    {
        CCookieNode* current = stack.back();
        stack.pop_back();
        if (!visit(*current))
            return;
        if (const CRefStringMap::ChildMap* children = current->GetChildren())
        {
            for (auto child = children->rbegin(); child != children->rend(); ++child)
                stack.push_back(static_cast<CCookieNode*>(child->second));
        }
    }
}

// The key component below a domain and path that holds the cookie of one
// name (the text before the first '=', empty when there is none), so that
// cookies of different names on one domain and path live side by side. It
// begins with a line feed, which no path component can hold, and escapes the
// separators a name might hold, so no two names share a component.
std::string CookieNameComponent(std::string_view cookie)
{
    return "/\n" + EscapeCharSet(CookieName(cookie), "%/\\", '%');
}

// The first two components of a key: the node of a domain's last two labels.
std::string TopTwoComponents(const std::string& key)
{
    const size_t first = key.find('/');
    const size_t second = first == std::string::npos ? first : key.find('/', first + 1);
    return key.substr(0, second);
}

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

std::string CookieName(std::string_view cookie)
{
    const size_t equals = cookie.find('=');
    return equals == std::string_view::npos ? std::string() : Trim(cookie.substr(0, equals));
}

CCookieStore::CCookieStore() = default;

CCookieStore::~CCookieStore() = default;

bool CCookieStore::AddCookie(std::string_view domain, std::string_view path, bool secure,
                             std::string_view cookie, std::string_view expires, const COleDateTime& added)
{
    const std::string text = Trim(cookie);
    if (text.empty() || text.size() > kMaxCookieLength)
        return false;
    if (HoldsLineBreak(text) || HoldsLineBreak(domain) || HoldsLineBreak(path))
        return false;
    std::string key = MakeCookieKey(domain, path);
    if (key.empty())
        return false;
    key += CookieNameComponent(text);
    COleDateTime expiry;
    expiry.m_status = COleDateTime::invalid;
    if (!expires.empty() && !ParseCookieExpires(expires, expiry))
        return false;

    CScopedLock lock(m_lock);
    if (!m_root)
        m_root = CRefPtr<CCookieNode>::Adopt(new CCookieNode());
    auto* node = static_cast<CCookieNode*>(m_root->FindOrCreate(key));
    node->m_secure = secure;
    node->m_path.assign(path);
    node->m_domain.assign(domain);
    node->m_expiry = expiry;
    node->m_cookie = text;
    node->m_added = added;
    RenewStamp();
    return true;
}

bool CCookieStore::GetCookieHeader(std::string_view host, std::string_view path, bool secure,
                                   std::string& out)
{
    const std::string key = MakeCookieKey(host, "/");
    if (key.empty())
        return false;

    CScopedLock lock(m_lock);
    CCookieNode* top = FindNode(TopTwoComponents(key));
    if (!top)
        return false;
    const COleDateTime now = GetNowUtc();
    bool appended = false;
    WalkSubtree(top,
                [&](CCookieNode& node)
                {
                    if (!node.HasCookie() || host.empty() || path.empty() || (node.m_secure && !secure))
                        return true;
                    if (node.m_expiry.IsValid() && !(now < node.m_expiry))
                    {
                        node.DropCookie();
                        return true;
                    }
                    if (CookieDomainMatches(host, node.m_domain) && StartsWithNoCase(path, node.m_path))
                    {
                        if (!out.empty())
                            out += "; ";
                        out += node.m_cookie;
                        appended = true;
                    }
                    return true;
                });
    return appended;
}

bool CCookieStore::Remove(std::string_view domain, std::string_view path)
{
    return DropFirst(domain, path, nullptr);
}

bool CCookieStore::RemoveCookie(std::string_view domain, std::string_view path, std::string_view name)
{
    return DropFirst(domain, path, &name);
}

bool CCookieStore::DropFirst(std::string_view domain, std::string_view path, const std::string_view* name)
{
    const std::string key = MakeCookieKey(domain, "/");
    CScopedLock lock(m_lock);
    CCookieNode* top = key.empty() ? nullptr : FindNode(key);
    if (!top)
        return false;
    bool dropped = false;
    WalkSubtree(top,
                [&](CCookieNode& node)
                {
                    if (node.HasCookie() && EqualsNoCase(node.m_domain, domain) &&
                        EqualsNoCase(node.m_path, path) && (!name || CookieName(node.m_cookie) == *name))
                    {
                        node.DropCookie();
                        dropped = true;
                        return false;
                    }
                    return true;
                });
    if (dropped)
        RenewStamp();
    return dropped;
}

void CCookieStore::Clear()
{
    CScopedLock lock(m_lock);
    m_root.Reset();
    RenewStamp();
}

void CCookieStore::Enumerate(CCookieStore& visitor)
{
    CScopedLock lock(m_lock);
    if (!m_root)
        return;
    // Held so that a visitor which clears this store cannot free the nodes
    // under the walk.
    const CRefPtr<CCookieNode> root = m_root;
    const COleDateTime now = GetNowUtc();
    WalkSubtree(root.Get(),
                [&](CCookieNode& node)
                {
                    if (!node.HasCookie())
                        return true;
                    std::string expires;
                    if (node.m_expiry.IsValid())
                    {
                        if (!(now < node.m_expiry))
                        {
                            node.DropCookie();
                            return true;
                        }
                        expires = node.m_expiry.Format("%m/%d/%Y %H:%M:%S") + " GMT";
                    }
                    // Copies: the visitor may be this store and replace them.
                    const std::string domain = node.m_domain;
                    const std::string path = node.m_path;
                    const std::string cookie = node.m_cookie;
                    visitor.AddCookie(domain, path, node.m_secure, cookie, expires, node.m_added);
                    return true;
                });
}

uint32_t CCookieStore::GetStamp()
{
    CScopedLock lock(m_lock);
    return m_changeStamp;
}

bool CCookieStore::IsModified()
{
    CScopedLock lock(m_lock);
    return m_savedStamp < m_changeStamp;
}

time_t CCookieStore::GetClockTime() const
{
    return std::time(nullptr);
}

void CCookieStore::RenewStamp()
{
    m_changeStamp = NextChangeStamp(m_changeStamp);
}

COleDateTime CCookieStore::GetNowUtc() const
{
    return COleDateTime::FromTimeT(GetClockTime(), false);
}

CCookieNode* CCookieStore::FindNode(const std::string& key) const
{
    return m_root ? static_cast<CCookieNode*>(m_root->Find(key)) : nullptr;
}

CCookieStore& GetCookieStore()
{
    static CCookieStore store;
    return store;
}

std::string GetCookieFilePath()
{
    return GetDataFolderFilePath(kCookieFileName);
}

bool LoadCookieStore()
{
    const std::string path = GetCookieFilePath();
    return !path.empty() && GetCookieStore().Load(path);
}

bool SaveCookieStore()
{
    CCookieStore& store = GetCookieStore();
    return SaveAndAnnounce(
        kCookieFileName, kBroadcastCookiesSaved,
        [&store](const std::string& path) { return store.Save(path); },
        [&store] { return static_cast<int64_t>(store.GetStamp()); });
}

bool CCookieStore::Load(const std::string& path)
{
    CBufferedFile file;
    if (!file.Open(path, CBufferedFile::modeRead))
        return false;
    CScopedLock lock(m_lock);
    Clear();
    CCookieFile reader(file);
    reader.Enumerate(*this);
    file.Close();
    return true;
}

bool CCookieStore::Save(const std::string& path)
{
    CScopedLock lock(m_lock);
    CAtomicFile file;
    if (!file.Open(path, 0600))
        return false;
    CCookieFile writer(file);
    Enumerate(writer);
    if (writer.HasWriteFailed() || !file.Commit())
        return false;
    m_savedStamp = m_changeStamp;
    return true;
}

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
    else if (IsPublicSuffix(domain))
    {
        // Nor for every site under a public suffix; a host that is one
        // itself may still set cookies for itself alone.
        if (!EqualsNoCase(Trim(domain, "."), Trim(sender, ".")))
            return false;
        domain = sender;
    }
    if (path.empty())
        path = "/";
    return AddCookie(domain, path, secure, cookie, expires, added);
}
