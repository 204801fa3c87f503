#include "foundation/links/LinkItem.h"

#include "foundation/stores/SettingIds.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/Text.h"

namespace
{

const char* const kResourceTypeNames[kResourceTypeCount] = {
    "UNKNOWN", "TEXT",        "FILE",         "HTML", "IMAGE",      "AUDIO",   "VIDEO",  "ARCHIVE", "FTPLIST",
    "FTPLINK", "LOCALFOLDER", "HTTPREDIRECT", "FORM", "GENERICURL", "URLLIST", "MAILTO", "SCRIPT",  "ANCHOR",
};

// Information older than this is fetched again.
constexpr int64_t kStaleAfterSeconds = 432000;
constexpr double kSecondsPerDay = 86400.0;
// Half a second in days: the age is rounded to the nearest second.
constexpr double kHalfSecondInDays = 1.0 / 172800.0;

} // namespace

const char* GetResourceTypeName(int type)
{
    if (type < 0 || type >= kResourceTypeCount)
        type = 0;
    return kResourceTypeNames[type];
}

int GetResourceTypeByName(std::string_view name)
{
    for (int type = 0; type < kResourceTypeCount; ++type)
        if (EqualsNoCase(name, kResourceTypeNames[type]))
            return type;
    return 0;
}

CLinkItem::CLinkItem() : CPropertySet(false)
{
    m_dropDefaults = false;
    SetInt(LI_RESOURCE_TYPE, 0);
}

CLinkItem::~CLinkItem() = default;

CLinkItem::CLinkItem(const CLinkItem& other) : CLinkItem()
{
    *this = other;
}

CLinkItem& CLinkItem::operator=(const CLinkItem& other)
{
    if (this == &other)
        return *this;
    CScopedLock ownLock(GetLock());
    CScopedLock sourceLock(other.GetLock());
    CopyFrom(other);
    m_urlParts = other.m_urlParts;
    return *this;
}

bool CLinkItem::SetUrl(const char* text, bool noGuess)
{
    CScopedLock lock(GetLock());
    std::string path;
    if (!ParseUrlToParts(text, m_urlParts, path, noGuess))
        return false;
    SetString(LI_URL_PATH, path.c_str());
    return true;
}

std::string CLinkItem::GetUrl() const
{
    return GetStringValue(LI_URL_PATH);
}

std::string CLinkItem::GetPath() const
{
    CScopedLock lock(GetLock());
    std::string redirect = GetStringValue(LI_REDIRECT_PATH);
    if (!redirect.empty())
        return redirect;
    return GetStringValue(LI_URL_PATH);
}

std::string CLinkItem::GetUrlText(bool withPath, bool withLogin) const
{
    CScopedLock lock(GetLock());
    return ComposeUrlFromParts(m_urlParts, withPath ? GetUrl() : std::string(), withLogin);
}

std::string CLinkItem::GetSiteUrlWithLogin() const
{
    CScopedLock lock(GetLock());
    CUrlParts parts = m_urlParts;
    parts.m_user = MakeLower(parts.m_user);
    return ComposeUrlFromParts(parts, std::string(), true);
}

std::string CLinkItem::GetRequestUrlText(bool withPath, bool withLogin) const
{
    CScopedLock lock(GetLock());
    return ComposeUrlFromParts(m_urlParts, withPath ? GetPath() : std::string(), withLogin);
}

CUrlParts CLinkItem::GetUrlParts() const
{
    CScopedLock lock(GetLock());
    return m_urlParts;
}

int CLinkItem::GetOperation() const
{
    int operation = 0;
    GetInt(LI_OPERATION, operation);
    return operation;
}

void CLinkItem::SetOperationAndFlags(int operation, int flags)
{
    CScopedLock lock(GetLock());
    SetInt(LI_OPERATION, operation);
    SetInt(LI_FLAGS, flags);
}

bool CLinkItem::TestFlag(int bit) const
{
    return TestBit(LI_FLAGS, bit);
}

void CLinkItem::SetFlag(int bit)
{
    SetFlag(LI_FLAGS, bit, true);
}

void CLinkItem::LoadOptionsFrom(const IPropertySet& settings)
{
    // Each read and write takes its own set's lock on its own, so this item
    // never holds its lock while waiting for the settings object's.
    auto readInt = [&settings](int id)
    {
        int value = 0;
        settings.GetInt(id, value);
        return value;
    };
    std::string userAgent;
    settings.GetString(SETTING_HTTP_USER_AGENT, userAgent);

    SetInt(LI_HTTP_VERSION, readInt(SETTING_HTTP_VERSION));
    SetString(LI_USER_AGENT, userAgent.c_str());
    SetInt(LI_CONNECTION_HEADER, readInt(SETTING_HTTP_CONNECTION));

    struct OptionBit
    {
        int setting;
        int bit;
    };
    static constexpr OptionBit kOptionBits[] = {
        {SETTING_HTTP_ENABLE_USER_AGENT, LI_OPTION_SEND_USER_AGENT},
        {SETTING_HTTP_ENABLE_CONNECTION, LI_OPTION_SEND_CONNECTION},
        {SETTING_HTTP_ENABLE_REFERRER, LI_OPTION_SEND_REFERRER},
        {SETTING_HTTP_ENABLE_COOKIES, LI_OPTION_SEND_COOKIES},
        {SETTING_HTTP_ENABLE_ACCEPT, LI_OPTION_SEND_ACCEPT},
        {SETTING_HTTP_ENABLE_PRAGMA_NO_CACHE, LI_OPTION_SEND_NO_CACHE},
    };
    // The six bits in one change of the value (other bits are the caller's
    // and stay), the settings read before the item's lock is taken.
    uint32_t mask = 0;
    uint32_t bits = 0;
    for (const OptionBit& option : kOptionBits)
    {
        mask |= 1u << option.bit;
        if (readInt(option.setting) != 0)
            bits |= 1u << option.bit;
    }
    {
        CScopedLock lock(GetLock());
        int options = 0;
        GetInt(LI_REQUEST_OPTIONS, options);
        SetInt(LI_REQUEST_OPTIONS, static_cast<int>((static_cast<uint32_t>(options) & ~mask) | bits));
    }

    SetInt(LI_FTP_DATA_CONNECTION, readInt(SETTING_FTP_DATA_CONNECTION_TYPE));
    SetInt(LI_CONNECTION_DELAY, readInt(SETTING_CONNECTIONS_CONNECTION_DELAY));
    SetInt(LI_CONNECTION_RETRIES, readInt(SETTING_CONNECTIONS_CONNECTION_RETRIES));
    SetInt(LI_TRANSFER_RETRIES, readInt(SETTING_CONNECTIONS_TRANSFER_RETRIES));
    int perSite = readInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE);
    SetInt(LI_CONNECTIONS_PER_SITE, perSite < 1 ? 1 : perSite);
}

void CLinkItem::DropOptions()
{
    for (int id : {LI_HTTP_VERSION, LI_USER_AGENT, LI_CONNECTION_HEADER, LI_FTP_DATA_CONNECTION, LI_CONNECTION_DELAY,
                   LI_CONNECTION_RETRIES, LI_TRANSFER_RETRIES, LI_CONNECTIONS_PER_SITE})
        Remove(id);
}

void CLinkItem::CopyUrlFrom(const CLinkItem& other)
{
    if (this == &other)
        return;
    CScopedLock ownLock(GetLock());
    CScopedLock sourceLock(other.GetLock());
    m_urlParts = other.m_urlParts;
    SetString(LI_URL_PATH, other.GetStringValue(LI_URL_PATH).c_str());
    SetString(LI_LOCAL_FILE, other.GetStringValue(LI_LOCAL_FILE).c_str());
}

void CLinkItem::CopyResourceInfoFrom(const CLinkItem& other)
{
    if (this == &other)
        return;
    CScopedLock ownLock(GetLock());
    CScopedLock sourceLock(other.GetLock());

    for (int id : {LI_RESOURCE_TYPE, LI_SIZE_KNOWN})
    {
        int value = 0;
        other.GetInt(id, value);
        SetInt(id, value);
    }
    int64_t size = 0;
    other.GetInt64(LI_SIZE, size);
    SetInt64(LI_SIZE, size);
    for (int id : {LI_CONTENT_LOCATION, LI_CONTENT_TYPE, LI_TIME, LI_INFO_DATE, LI_ETAG, LI_REDIRECT_URL,
                   LI_REDIRECT_PATH})
        SetString(id, other.GetStringValue(id).c_str());
    Remove(LI_RESOURCE_EXTRA_1);
    Remove(LI_RESOURCE_EXTRA_2);
    Remove(LI_CONTENT_ENCODING);
}

std::string CLinkItem::GetDescription() const
{
    CScopedLock lock(GetLock());
    int type = 0;
    GetInt(LI_RESOURCE_TYPE, type);
    std::string text = "type= ";
    text += GetResourceTypeName(type);

    int64_t size = 0;
    if (GetInt64(LI_SIZE, size) && size != 0)
        text += Format(", size= %I64d", static_cast<long long>(size));
    std::string time;
    if (GetString(LI_TIME, time) && !time.empty())
        text += ", time=\"" + time + "\"";
    std::string etag;
    if (GetString(LI_ETAG, etag) && !etag.empty())
        text += ", E-Tag= " + etag;
    return text;
}

bool CLinkItem::IsStale() const
{
    std::string dateText;
    if (!GetString(LI_INFO_DATE, dateText) || dateText.empty())
        return true;
    COleDateTime date;
    if (!date.ParseDateTime(dateText))
        return true;
    COleDateTime now = COleDateTime::GetCurrentTime();
    if (now < date)
        return true;
    auto ageSeconds = static_cast<int64_t>(((now - date) + kHalfSecondInDays) * kSecondsPerDay);
    return ageSeconds >= kStaleAfterSeconds;
}
