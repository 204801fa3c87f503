#pragma once
// CCookieStore: the process-wide cookie jar. The HTTP client hands it the
// first Set-Cookie value of each response and asks it for the Cookie text of
// each request; the Cookies dialog lists, removes and clears cookies; at
// start-up and exit the store is read from and written to kCookieFileName in
// the data folder (CCookieFile), and other running copies are told of a save
// by the broadcast code 6 with the change stamp.
//
// Cookies sit in a CCookieNode tree under MakeCookieKey of their domain and
// path and, below that, a node for the cookie's name (the text before its
// first '='), so the store keeps one cookie per domain, path and name: a new
// cookie replaces the one of the same name on that domain and path, and
// cookies of other names stay beside it. A lookup
// starts at the node of the host's last two labels and walks only that
// subtree, so a cookie is never sent to a host whose last two labels differ
// from those of its domain.
//
// Domains match on label boundaries only (CookieDomainMatches): a cookie for
// example.com or .example.com is sent to example.com and www.example.com,
// never to evil-example.com. A Set-Cookie whose Domain attribute does not
// match the host that sent it is refused, so one site cannot plant cookies
// for another; so is one whose Domain is a public suffix ("co.uk",
// "github.io", IsPublicSuffix), which would reach every site under it. Paths match as a prefix without regard to case (/docs covers
// /docs/a and /DOCS, not /).
//
// Expiry is judged in UTC against the system clock, so daylight saving never
// shifts it. A cookie whose expiry has passed is dropped when a lookup or an
// enumeration meets it. Session cookies (no expiry) live until the store is
// cleared and are never saved. Dropped cookies leave empty nodes in the tree
// until Clear.
//
// Every cookie text is 1 to kMaxCookieLength characters; no cookie text,
// domain or path holds CR, LF or NUL, so none can break a request header or
// a line of the file.
//
// One recursive lock guards the tree and the stamps; every public operation
// holds it for its whole run (Load and Save while the file is read or
// written). The HTTP client calls from pool threads, the dialog and the
// start-up and exit code from the UI thread.

#include "foundation/stores/CookieNode.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/RefPtr.h"
#include "platform/core/OleDateTime.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

inline constexpr const char* kCookieFileName = "Cookies.txt";
inline constexpr size_t kMaxCookieLength = 4096;

// The tree key of a domain and a path: the domain trimmed of white space and
// '.' at both ends, lower-cased and split at '.', its labels from last to
// first each followed by '/', then the path without its leading '/'
// characters (its case kept). Empty when the domain has fewer than two
// labels. "P.q.r" with "/s/T" gives "r/q/p/s/T".
std::string MakeCookieKey(std::string_view domain, std::string_view path);

// Whether a cookie of domain may be sent to (or set by) host: ignoring case
// and a leading '.' of the domain, the host equals the domain or ends with
// '.' and the domain. A host written as an IP address matches only itself.
bool CookieDomainMatches(std::string_view host, std::string_view domain);

// Reads an expires text into a UTC date. First the forms (sscanf notation)
// "%*s %d-%3s-%d %d:%d:%d GMT", "%d-%3s-%d %d:%d:%d GMT",
// "%*s %d %3s %d %d:%d:%d GMT" and "%d %3s %d %d:%d:%d GMT" with the month
// by MonthFromName and a two-digit year read as 1970 to 2069: the first form
// that fills all six fields decides, and an impossible date gives false.
// Then the tolerant reading of ParseCookieDate (asctime and other orders).
// Last, the text less its trailing 'G', 'M' and 'T' characters is read by
// COleDateTime::ParseDateTime: the "%m/%d/%Y %H:%M:%S GMT" form that
// kCookieFileName holds takes this road.
bool ParseCookieExpires(std::string_view text, COleDateTime& expiry);

// The name of a cookie text ("name=value"): the text before its first '=',
// trimmed of white space; empty when it holds no '='.
std::string CookieName(std::string_view cookie);

class CCookieStore
{
public:
    CCookieStore();
    virtual ~CCookieStore();
    CCookieStore(const CCookieStore&) = delete;
    CCookieStore& operator=(const CCookieStore&) = delete;

    // Stores a cookie, the cookie text trimmed of white space first. An empty
    // expires text makes a session cookie; one that ParseCookieExpires cannot
    // read refuses the cookie, as do a domain of fewer than two labels and
    // the limits above. True when stored. The domain is not checked against
    // anything here: ParseSetCookie does that for cookies from the network.
    virtual bool AddCookie(std::string_view domain, std::string_view path, bool secure,
                           std::string_view cookie, std::string_view expires, const COleDateTime& added);

    // Reads a Set-Cookie value: the cookie text runs to the first ';' or
    // blank; then "name=value" attributes separated by ';', names without
    // regard to case, names and values trimmed of white space: "secure",
    // "expires", "path" and "domain" count, others (Max-Age included) are
    // ignored. Without a Domain attribute the domain is the host, with
    // ".local" appended when the host has no '.'; a Domain attribute that
    // does not match that host (CookieDomainMatches) refuses the cookie, and
    // so does one that is a public suffix (IsPublicSuffix) unless it is the
    // host itself, whose cookie then stays with the host.
    // Without a path: "/". False for an empty value and for a refused
    // cookie; else what AddCookie returns. added is the local time now.
    virtual bool ParseSetCookie(std::string_view headerValue, std::string_view host,
                                const COleDateTime& added);

    // Appends the text of every live cookie for host and path (and, for a
    // request that is not secure, only cookies that are not secure) to out,
    // each after "; " when out is not empty. True when one was appended.
    // Drops the expired cookies it meets (no stamp change). The HTTP client
    // passes a host without '.' with ".local" appended, and "/" for an empty
    // path.
    virtual bool GetCookieHeader(std::string_view host, std::string_view path, bool secure, std::string& out);

    // Drops the first cookie whose domain and path equal these (without
    // regard to case). True, with a new change stamp, when one was dropped.
    virtual bool Remove(std::string_view domain, std::string_view path);
    // Drops the cookie of this domain, path and name (the text before the
    // first '=' of its name=value, trimmed; domain and path without regard
    // to case), so that of two cookies on one path only the named one goes.
    // True, with a new change stamp, when it was dropped.
    virtual bool RemoveCookie(std::string_view domain, std::string_view path, std::string_view name);

    // Drops every cookie; new change stamp.
    virtual void Clear();

    // Hands every live cookie to visitor.AddCookie, a node before its
    // children, with the expiry as "%m/%d/%Y %H:%M:%S GMT" (empty for a
    // session cookie). Expired cookies are dropped instead. The visitor may
    // be this store.
    virtual void Enumerate(CCookieStore& visitor);

    // Replaces the cookies with those of the file (lines that AddCookie
    // refuses are skipped). False, with the store untouched, when the file
    // cannot be opened. The saved stamp stays as it was; the loaded cookies
    // renew the change stamp.
    [[nodiscard]] virtual bool Load(const std::string& path);

    // Writes every live dated cookie to the file, which is replaced in one
    // step and created 0600. True, with the saved stamp set to the change
    // stamp, when the file was written; on failure the old file stays as it
    // was and the saved stamp too.
    [[nodiscard]] virtual bool Save(const std::string& path);

    virtual uint32_t GetStamp();
    // Whether the saved stamp is below the change stamp.
    virtual bool IsModified();

protected:
    // Seconds since the epoch by which expiry is judged; tests fix it.
    virtual time_t GetClockTime() const;

private:
    void RenewStamp();
    // Remove's and RemoveCookie's work: the first cookie of domain and path
    // (and, when given, of that name).
    bool DropFirst(std::string_view domain, std::string_view path, const std::string_view* name);
    COleDateTime GetNowUtc() const;
    // The node of key below the root, or null.
    CCookieNode* FindNode(const std::string& key) const;

    CCriticalSection m_lock;
    CRefPtr<CCookieNode> m_root;
    uint32_t m_savedStamp = 0;
    uint32_t m_changeStamp = 0;
};

// The process-wide store, created on first use.
CCookieStore& GetCookieStore();

// The full path of kCookieFileName in the data folder; empty when there is
// no data folder.
std::string GetCookieFilePath();

// Loads the process-wide store from GetCookieFilePath. The shell installs it
// (SetLoadCookiesHook) for start-up and for saves by other running copies.
bool LoadCookieStore();
// Saves the process-wide store to GetCookieFilePath and, when that worked,
// tells the other running copies (kBroadcastCookiesSaved with the change
// stamp).
[[nodiscard]] bool SaveCookieStore();
