#include "transfer/ftp/FtpCommandCache.h"

#include "platform/core/Text.h"

#include <string>

namespace
{
std::string Normalised(std::string_view command)
{
    return MakeUpper(TrimRight(command));
}
} // namespace

void CFtpCommandCache::Reset()
{
    m_type = kUnknown;
    m_rest = kUnknown;
}

bool CFtpCommandCache::IsCachedCommand(std::string_view command, int& replyCode) const
{
    const std::string text = Normalised(command);
    if ((text == "TYPE A" && m_type == kTypeAscii) || (text == "TYPE I" && m_type == kTypeImage))
    {
        replyCode = 200;
        return true;
    }
    if (text == "REST 0" && m_rest == kRestZero)
    {
        replyCode = 350;
        return true;
    }
    return false;
}

void CFtpCommandCache::UpdateCommandCache(std::string_view command, int replyCode)
{
    const std::string text = Normalised(command);
    if (text == "REST 0")
    {
        m_rest = kRestZero;
        return;
    }
    if (text.size() > 4 && text.compare(0, 5, "REST ") == 0)
    {
        m_rest = kUnknown;
        return;
    }
    const bool positive = replyCode / 100 == 2;
    if (text == "TYPE A" && positive)
        m_type = kTypeAscii;
    else if (text == "TYPE I" && positive)
        m_type = kTypeImage;
    else if (text.size() > 4 && text.compare(0, 4, "TYPE") == 0)
        m_type = kUnknown;
}
