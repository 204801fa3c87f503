#pragma once
// CLinkItem: the one record of a URL being requested, transferred or
// remembered (a request handed to the transfer engine, a proxy URL, a site
// cache entry). It is a property set that keeps zero values and empty texts
// (so a missing id reads as not found and only the stored kind is returned),
// plus the parsed parts of its URL. The path of the URL is property
// LI_URL_PATH, not part of the CUrlParts.
//
// An item has no lock unless SetThreadSafe(true) gives it one; the operations
// below then hold it for their whole duration. Items are usually copied
// between threads rather than shared.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/properties/PropertySet.h"
#include "foundation/links/UrlParts.h"

// Property ids. The numbers are shared by the link checker, the transfer
// engine, the site cache and the views, and stored in their files.
enum LinkItemProperty
{
    LI_REQUEST_OPTIONS = 0,       // int, bits LI_OPTION_*
    LI_CONNECTIONS_PER_SITE = 3,  // int, at least 1
    LI_CONNECTION_RETRIES = 4,    // int
    LI_TRANSFER_RETRIES = 5,      // int
    LI_CONNECTION_DELAY = 6,      // int, seconds between connection attempts
    LI_URL_PATH = 50,             // string: from the first '/' or '\' after the host, query included
    LI_LOCAL_FILE = 51,           // string: where the fetched resource is stored
    LI_STATUS_LINE = 53,          // string: status line or last server reply
    LI_OPERATION = 55,            // int, LI_OP_*
    LI_FLAGS = 56,                // int, bits LI_FLAG_*
    LI_ASCII_TRANSFER = 58,       // int
    LI_LOG_ID = 59,               // int: the transfer log the job writes to
    LI_HEADER_FILE = 60,          // string: file collecting every successful response header
    LI_REDIRECT_PATH = 61,        // string: when non-empty, the request path instead of LI_URL_PATH
    LI_HTTP_VERSION = 100,        // int
    LI_USER_AGENT = 101,          // string
    LI_CONNECTION_HEADER = 102,   // int: Connection header choice
    LI_REDIRECT_URL = 103,        // string: redirect target URL
    LI_POST_DATA = 104,           // byte block: request body
    LI_REFERRER = 105,            // string
    LI_COOKIES = 106,             // string: cookie text
    LI_FTP_DATA_CONNECTION = 200, // int: FTP data connection type
    LI_PROXY_URL = 500,           // string: when not empty, replaces the proxy from the settings
    LI_CONTENT_TYPE = 600,        // string
    LI_CONTENT_LOCATION = 601,    // string
    LI_SIZE = 602,                // int64, bytes
    LI_TIME = 603,                // string: modification time as received
    LI_RESOURCE_TYPE = 604,       // int, 0..17 (GetResourceTypeName)
    LI_SIZE_KNOWN = 605,          // int: 1 when LI_SIZE was reported by the server
    LI_RESOURCE_EXTRA_1 = 606,    // any: removed when resource information is copied
    LI_RESOURCE_EXTRA_2 = 607,    // any: removed when resource information is copied
    LI_ETAG = 608,                // string
    LI_CONTENT_ENCODING = 609,    // string
    LI_INFO_DATE = 610,           // string: date text of when the information was obtained
    LI_POST_CONTENT_TYPE = 700,   // string: Content-Type of the request body
    LI_LOCAL_SIZE = 702,          // int64
    LI_LOCAL_TIME = 703,          // string
    LI_LOCAL_RESOURCE_TYPE = 704, // int
    LI_BYTES_SENT = 800,          // int64
    LI_BYTES_RECEIVED = 801,      // int64
    LI_ATTEMPT_BYTES_DOWN = 802,  // int64: bytes downloaded in the current attempt
    LI_ATTEMPT_BYTES_UP = 803,    // int64: bytes uploaded in the current attempt
};

// Bit numbers in LI_REQUEST_OPTIONS.
enum LinkItemOption
{
    LI_OPTION_SEND_USER_AGENT = 12,
    LI_OPTION_SEND_REFERRER = 13,
    LI_OPTION_SEND_COOKIES = 14,
    LI_OPTION_SEND_CONNECTION = 15,
    LI_OPTION_SEND_ACCEPT = 16,
    LI_OPTION_SEND_NO_CACHE = 17, // "Pragma: no-cache"
};

// Values of LI_OPERATION.
enum LinkItemOperation
{
    LI_OP_NONE = 0,
    LI_OP_DOWNLOAD = 1,
    LI_OP_UPLOAD = 2,
    LI_OP_FILE_INFO = 6,
    LI_OP_CHECK = 8,
};

// Bit numbers in LI_FLAGS.
enum LinkItemFlag
{
    LI_FLAG_RESUME = 11,
    LI_FLAG_SKIP_EXISTING = 18,
    LI_FLAG_BINARY_RESUME = 19,
    LI_FLAG_RESTART_FROM_ZERO = 20, // when the server refuses the resume offset
};

inline constexpr int kResourceTypeCount = 18;

// "UNKNOWN", "TEXT", "FILE", ... "ANCHOR" for 0..17; a value outside that
// range is taken as 0.
const char* GetResourceTypeName(int type);
// The other way round, in any letter case; 0 for a name that is none.
int GetResourceTypeByName(std::string_view name);

class CLinkItem : public CPropertySet
{
public:
    // No lock, zero values kept, empty URL parts, resource type 0.
    CLinkItem();
    ~CLinkItem() override;
    // Copying takes every property and the URL parts; the copy has no lock
    // of its own (operator= keeps the target's).
    CLinkItem(const CLinkItem& other);
    // Holds this item's lock, then the source's. Self-assignment does nothing.
    CLinkItem& operator=(const CLinkItem& other);

    // Parses text into the URL parts and, on success, stores the path as
    // LI_URL_PATH. On failure LI_URL_PATH stays as it was and the URL parts
    // may be cleared or partly filled.
    bool SetUrl(const char* text, bool noGuess);

    // LI_URL_PATH.
    std::string GetUrl() const;
    // LI_REDIRECT_PATH when non-empty, else LI_URL_PATH.
    std::string GetPath() const;

    // The URL text from the parts, with LI_URL_PATH when withPath is set and
    // with user and password when withLogin is set.
    std::string GetUrlText(bool withPath, bool withLogin) const;
    // The site with its login, the user lower-cased: the key the password
    // store keeps a password under, the same whatever case the user typed.
    std::string GetSiteUrlWithLogin() const;
    // Scheme, host and port only: the key of a site.
    std::string GetSiteUrl() const { return GetUrlText(false, false); }
    // As GetUrlText, with GetPath as the path.
    std::string GetRequestUrlText(bool withPath, bool withLogin) const;

    // A copy of the URL parts, taken under the item's lock.
    CUrlParts GetUrlParts() const;

    int GetOperation() const;
    void SetOperationAndFlags(int operation, int flags);
    bool TestFlag(int bit) const;
    // Sets one bit of LI_FLAGS.
    void SetFlag(int bit);
    using CPropertySet::SetFlag;

    // Copies the request settings (HTTP version, User-Agent, Connection
    // choice, the request option bits, FTP data connection type, delays,
    // retries and connections per site) from the settings object. A
    // connections-per-site value below 1 becomes 1.
    void LoadOptionsFrom(const IPropertySet& settings);
    // Removes the values LoadOptionsFrom copied from the settings, but the
    // request option bits (which also carry a bit of the caller's): a run
    // loads them afresh, so a finished item need not keep them.
    void DropOptions();

    // The other item's URL parts and its LI_URL_PATH and LI_LOCAL_FILE.
    void CopyUrlFrom(const CLinkItem& other);
    // The other item's resource information (type, size, times, content
    // type and location, entity tag, redirect target and path; a missing
    // text is copied as an empty one). Removes LI_RESOURCE_EXTRA_1/2 and
    // LI_CONTENT_ENCODING.
    void CopyResourceInfoFrom(const CLinkItem& other);

    // For logs and views: `type= HTML, size= 123, time="...", E-Tag= ...`,
    // each part after the type only when present and non-empty (non-zero).
    std::string GetDescription() const;

    // True unless LI_INFO_DATE is a date text that is not in the future and
    // less than five days old.
    bool IsStale() const;

protected:
    CUrlParts m_urlParts;
};
