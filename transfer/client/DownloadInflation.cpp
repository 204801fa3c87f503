#include "transfer/client/DownloadInflation.h"

#include "foundation/files/BufferedFile.h"
#include "foundation/files/FileSystem.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/Text.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/client/ProtocolClient.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace
{

// The reader results (GzipReader.h) that are not transfer results as they
// stand.
constexpr int kReaderSinkFailed = 102;
constexpr int kReaderCannotRead = 108;
constexpr int kReaderBadData = 111;

// The reader's result as the transfer's, with its log line.
int TransferResultOf(int readerResult, const CTransferGzipSink& sink, const std::string& tempPath,
                     ITransferLog* log)
{
    switch (readerResult)
    {
    case kResultOk:
    case kResultStopped:
        return readerResult;
    case kReaderSinkFailed:
        if (sink.CapExceeded())
        {
            LogMessage(log, kLogError, kMessageProtocolError,
                       "compressed body inflates beyond any sound size");
            return kResultProtocolError;
        }
        if (sink.OpenFailed())
        {
            LogMessage(log, kLogError, kMessageCannotOpenFile, tempPath.c_str());
            return sink.GetError() ? sink.GetError() : kResultInvalidParameter;
        }
        LogFormat(log, kLogError, "Cannot write file \"%s\".", tempPath.c_str());
        return sink.GetError() ? sink.GetError() : kResultWriteError;
    case kReaderCannotRead:
        return kResultAccessDenied;
    case kReaderBadData:
    default:
        LogMessage(log, kLogError, kMessageProtocolError, "compressed body is damaged or truncated");
        return kResultProtocolError;
    }
}

// Anything at all at path, a dangling link included.
bool EntryExists(const std::string& path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

// The final step for gzip: the received file moves aside to "<path>.gz" and
// the inflated file takes its place.
int KeepCompressedBeside(const std::string& path, const std::string& tempPath, ITransferLog* log)
{
    const std::string compressed = path + ".gz";
    // Only a file (or a link) is ever deleted to free the name, never a
    // folder.
    if (DirectoryExists(compressed) || (!DeleteFileForce(compressed) && EntryExists(compressed)))
    {
        LogMessage(log, kLogError, kMessageCannotRemoveFile, compressed.c_str());
        return kResultAccessDenied;
    }
    if (!MovePath(path, compressed))
        return kResultAccessDenied;
    if (!MovePath(tempPath, path))
    {
        // The download goes back where it was; the inflated data stays in
        // the temporary file.
        MovePath(compressed, path);
        return kResultAccessDenied;
    }
    return kResultOk;
}
} // namespace

bool MustInflateDownload(const CLinkItem& request)
{
    std::string encoding;
    std::string contentType;
    request.GetString(LI_CONTENT_ENCODING, encoding);
    request.GetString(LI_CONTENT_TYPE, contentType);
    return MustInflateBody(encoding, contentType);
}

int WriteFailureCode(int fileError)
{
    return fileError == kResultDiskFull ? kResultDiskFull : kResultWriteError;
}

CTransferGzipSink::CTransferGzipSink(std::string outputPath, const CProtocolClient& client, int64_t sizeCap)
    : m_path(std::move(outputPath)), m_client(client), m_sizeCap(sizeCap)
{
}

CTransferGzipSink::~CTransferGzipSink()
{
    Finish();
}

bool CTransferGzipSink::Begin(const std::string&, uint32_t, uint32_t)
{
    m_file = std::make_unique<CBufferedFile>();
    if (m_file->Open(m_path, CBufferedFile::modeWrite, 0))
        return true;
    m_openFailed = true;
    m_error = m_file->GetLastError();
    m_file.reset();
    return false;
}

int32_t CTransferGzipSink::Write(const void* bytes, int32_t count)
{
    if (!m_file)
        return -1;
    if (count > m_sizeCap - m_written)
    {
        m_capExceeded = true;
        return -1;
    }
    m_written += count;
    const int32_t written = m_file->Write(bytes, count);
    if (written != count && m_error == 0)
        m_error = WriteFailureCode(m_file->GetLastError());
    return written;
}

bool CTransferGzipSink::IsCancelled()
{
    return m_client.IsAborted();
}

bool CTransferGzipSink::Finish()
{
    if (!m_file)
        return true;
    const bool closed = m_file->Close();
    if (!closed && m_error == 0)
        m_error = WriteFailureCode(m_file->GetLastError());
    m_file.reset();
    return closed;
}

int InflateDownloadedFile(const CProtocolClient& client, const std::string& path, EContentCoding coding,
                          ITransferLog* log, int64_t& length)
{
    LogFormat(log, kLogStatus, "Decompressing file %s.", path.c_str());
    const std::string tempPath = path + "~.xed";
    int result;
    {
        const int64_t received = GetFileSize64(path);
        const int64_t sizeCap =
            std::max(kMinInflatedSizeCap, kMaxInflationRatio * std::max<int64_t>(received, 0));
        CTransferGzipSink sink(tempPath, client, sizeCap);
        int readerResult = InflateBodyFile(path, coding, sink);
        // Bytes still buffered must reach the disk before the data counts
        // as inflated.
        if (!sink.Finish() && readerResult == kResultOk)
            readerResult = kReaderSinkFailed;
        result = TransferResultOf(readerResult, sink, tempPath, log);
    }
    if (result != kResultOk)
    {
        if (FileExists(tempPath))
            DeleteFileForce(tempPath);
        return result;
    }

    if (coding == kCodingDeflate)
    {
        if (std::rename(tempPath.c_str(), path.c_str()) != 0)
            return kResultAccessDenied;
    }
    else
    {
        result = KeepCompressedBeside(path, tempPath, log);
        if (result != kResultOk)
            return result;
    }
    length = GetFileSize64(path);
    return kResultOk;
}
