#include "transfer/http/ParseResponseHeaders.h"

#include <string>

#include "foundation/text/ByteBuffer.h"
#include "foundation/links/LinkItem.h"
#include "foundation/files/RawFile.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/Text.h"
#include "transfer/http/ContentLength.h"
#include "transfer/http/ContentRange.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/client/LinkLocation.h"
#include "transfer/client/ResourceKind.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/client/ServerDateText.h"

namespace
{

constexpr const char* kDateFormat = "%m/%d/%Y %H:%M:%S";

std::string Field(const CHttpHeaderFields& fields, std::string_view name)
{
    std::string value;
    fields.Find(name, value);
    return value;
}

// The item's URL with its path and user name, without its password: the base
// that a relative Content-Location is resolved against.
std::string BaseUrl(const CLinkItem& item)
{
    CUrlParts parts = item.GetUrlParts();
    parts.m_password.clear();
    return ComposeUrlFromParts(parts, item.GetUrl(), true);
}

// A length on the wire is the resource's size unless a content coding (other
// than on a tar archive, which is stored as sent) changed it.
bool HasCodedLength(const std::string& contentEncoding, const std::string& contentType)
{
    return !contentEncoding.empty() && !EqualsNoCase(contentType, "application/x-tar");
}

// LI_TIME from the Last-Modified text; removed when the text does not read.
void StoreModifiedTime(CLinkItem& item, const std::string& lastModified)
{
    const size_t comma = lastModified.find(',');
    const std::string text = Trim(comma == std::string::npos ? lastModified : lastModified.substr(comma + 1));
    COleDateTime date;
    if (!ParseDateText(text, date))
    {
        item.Remove(LI_TIME);
        return;
    }
    // Servers write GMT; the time is kept as local time, daylight saving
    // included.
    item.SetString(LI_TIME, date.UtcToLocal().Format(kDateFormat).c_str());
}

void AppendHeaderFile(const CLinkItem& item, const CByteBuffer& header)
{
    std::string path;
    if (!item.GetString(LI_HEADER_FILE, path) || path.empty())
        return;
    CRawFile file;
    if (!file.Open(path, kOpenWriteOnly | kOpenCreate | kOpenAppend | kOpenBinary))
        return;
    int32_t length = header.GetLength();
    // The zero byte after the block ends the text in memory only.
    if (length > 0 && header.GetData()[length - 1] == 0)
        --length;
    if (length > 0)
        file.Write(header.GetData(), length);
    file.Close();
}

} // namespace

int ParseResponseHeaders(int status, CLinkItem& item, const CByteBuffer& header, SResponseLengths& lengths)
{
    lengths = SResponseLengths();
    item.SetString(LI_INFO_DATE, COleDateTime::GetCurrentTime().Format(kDateFormat).c_str());
    // An earlier answer's values go. For a success each is overwritten or
    // removed where it is decided, rather than removed first and stored
    // again: each removal and insertion moves the item's entries after it.
    if (status < 200 || status > 299)
    {
        for (int id : {LI_CONTENT_TYPE, LI_CONTENT_ENCODING, LI_CONTENT_LOCATION, LI_ETAG, LI_SIZE, LI_SIZE_KNOWN,
                       LI_RESOURCE_TYPE, LI_TIME})
            item.Remove(id);
        return kResultOk;
    }
    const auto failed = [&item]
    {
        for (int id : {LI_SIZE, LI_SIZE_KNOWN, LI_RESOURCE_TYPE, LI_TIME})
            item.Remove(id);
        return kResultProtocolError;
    };

    // Seven look-ups: the block is read once for all of them.
    const CHttpHeaderFields fields(header);
    const std::string contentRange = Field(fields, HttpHeaderName::kContentRange);
    const std::string contentType = Field(fields, HttpHeaderName::kContentType);
    const std::string contentEncoding = Field(fields, HttpHeaderName::kContentEncoding);
    const std::string contentLocation = Field(fields, HttpHeaderName::kContentLocation);
    const std::string lastModified = Field(fields, HttpHeaderName::kLastModified);
    std::string etag = Field(fields, HttpHeaderName::kETag);

    item.SetString(LI_CONTENT_TYPE, contentType.c_str());
    item.SetString(LI_CONTENT_ENCODING, contentEncoding.c_str());
    const std::string location =
        contentLocation.empty() ? std::string() : ResolveLinkPath(BaseUrl(item), contentLocation, false);
    item.SetString(LI_CONTENT_LOCATION, location.c_str());
    if (StartsWithNoCase(etag, "W/"))
        etag.erase(0, 2);
    item.SetString(LI_ETAG, etag.c_str());

    if (FindContentLength(fields, lengths.m_contentLength) == kContentLengthInvalid)
        return failed();
    const bool coded = HasCodedLength(contentEncoding, contentType);
    if (status == 206)
    {
        int64_t first = 0;
        int64_t last = -1;
        int64_t total = -1;
        if (!ParseContentRange(contentRange, first, last, total))
            return failed();
        lengths.m_rangeStart = first;
        lengths.m_rangeEnd = last;
        // "*" (a total the server does not know) reads as 0; no real total
        // ends before the range does.
        lengths.m_size = total > last ? total : -1;
        if (first < 0 || last < first || lengths.m_contentLength - 1 != last - first || coded)
            return failed();
    }
    else
    {
        lengths.m_size = coded ? -1 : lengths.m_contentLength;
    }

    item.SetInt64(LI_SIZE, lengths.m_size);
    item.SetInt(LI_SIZE_KNOWN, lengths.m_size != -1 ? 1 : 0);
    item.SetInt(LI_RESOURCE_TYPE, GetResourceKind(contentType, item.GetPath()));
    StoreModifiedTime(item, lastModified);
    AppendHeaderFile(item, header);
    return kResultOk;
}
