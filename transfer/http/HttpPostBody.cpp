#include "transfer/http/HttpPostBody.h"

#include "platform/core/PosixFile.h"
#include "transfer/http/HttpSend.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"

#include <cstring>
#include <vector>

namespace
{

bool StartsWith(const uint8_t* data, int length, const char* prefix)
{
    const int n = static_cast<int>(std::strlen(prefix));
    return length >= n && std::memcmp(data, prefix, size_t(n)) == 0;
}
} // namespace

int CHttpPostBody::Resolve(const uint8_t* data, int length, ITransferLog* log)
{
    m_isFile = false;
    m_text.clear();
    m_path.clear();
    m_fileLength = 0;
    m_file.Close();
    if (!data || length <= 0)
        return kResultOk;
    if (StartsWith(data, length, "data:"))
    {
        int skip = 5;
        if (length > skip && data[skip] == '?')
            ++skip;
        m_text.assign(reinterpret_cast<const char*>(data) + skip, size_t(length - skip));
        return kResultOk;
    }
    if (!StartsWith(data, length, "file:"))
    {
        m_text.assign(reinterpret_cast<const char*>(data), size_t(length));
        return kResultOk;
    }
    // The path ends at a zero byte, if the block carries one.
    const char* path = reinterpret_cast<const char*>(data) + 5;
    m_path.assign(path, strnlen(path, size_t(length - 5)));
    if (!m_file.Open(m_path, kOpenReadOnly | kOpenBinary))
    {
        LogMessage(log, kLogError, kMessageCannotOpenFile, m_path.c_str());
        return m_file.GetLastError() ? m_file.GetLastError() : kResultInvalidParameter;
    }
    m_fileLength = m_file.GetLength();
    if (m_fileLength < 0 || m_fileLength >= kMaxFileBody)
    {
        LogFormat(log, kLogError, "File too big for POST processing: \"%s\".", m_path.c_str());
        m_file.Close();
        return kResultNotSupported;
    }
    m_isFile = true;
    return kResultOk;
}

int CHttpPostBody::Send(IHttpChannel& channel, ITransferLog* log)
{
    if (!m_isFile)
        return SendData(channel, m_text.data(), static_cast<int>(m_text.size()), log, kLoggedBytes);
    if (m_file.SeekFromStart(0) != 0)
    {
        LogFormat(log, kLogError, "Failed to read from file during POST processing \"%s\".", m_path.c_str());
        return kResultReadError;
    }
    std::vector<char> block(static_cast<size_t>(kFileBlockBytes));
    int64_t left = m_fileLength;
    bool first = true;
    while (left > 0)
    {
        const int want = left < kFileBlockBytes ? static_cast<int>(left) : kFileBlockBytes;
        if (m_file.Read(block.data(), want) != want)
        {
            LogFormat(log, kLogError, "Failed to read from file during POST processing \"%s\".",
                      m_path.c_str());
            return kResultReadError;
        }
        const int result = SendData(channel, block.data(), want, log, first ? kLoggedBytes : 0);
        if (result != kResultOk)
            return result;
        first = false;
        left -= want;
    }
    return kResultOk;
}
