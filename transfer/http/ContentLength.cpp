#include "transfer/http/ContentLength.h"

#include <string>
#include <vector>

#include "platform/core/Text.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/base/TransferLimits.h"

namespace
{

bool ParseCount(std::string_view text, int64_t& count)
{
    const std::string digits = Trim(text);
    if (digits.empty())
        return false;
    int64_t value = 0;
    for (const char c : digits)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > kMaxContentLength)
            return false;
    }
    count = value;
    return true;
}

} // namespace

bool ParseContentLength(std::string_view text, int64_t& length)
{
    int64_t first = -1;
    for (const std::string& piece : Split(text, ','))
    {
        int64_t count = 0;
        if (!ParseCount(piece, count) || (first >= 0 && count != first))
            return false;
        first = count;
    }
    if (first < 0)
        return false;
    length = first;
    return true;
}

EContentLengthField FindContentLength(const CByteBuffer& header, int64_t& length)
{
    return FindContentLength(CHttpHeaderFields(header), length);
}

EContentLengthField FindContentLength(const CHttpHeaderFields& fields, int64_t& length)
{
    length = -1;
    std::vector<std::string> values;
    if (fields.FindAll(HttpHeaderName::kContentLength, values) == 0)
        return kContentLengthAbsent;
    // Several fields read as one list: all their counts must agree.
    std::string list = values.front();
    for (size_t i = 1; i < values.size(); ++i)
        list += ',' + values[i];
    return ParseContentLength(list, length) ? kContentLengthValid : kContentLengthInvalid;
}
