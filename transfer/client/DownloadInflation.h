#pragma once
// Inflating a downloaded body that the server sent compressed
// ("Content-Encoding: gzip" or "deflate", as the requests advertise). The
// body is first stored as received at the local path; it is then inflated
// into the temporary file "<path>~.xed" beside it, and only a complete,
// sound inflation replaces anything:
// - gzip: any file at "<path>.gz" is deleted, the received file becomes
//   "<path>.gz" and the inflated file takes the local path, so the
//   compressed original stays beside it;
// - deflate: the inflated file replaces the received one in one rename
//   (the data is no gzip file, so it is not kept under a ".gz" name).
// A damaged or truncated body, a stop, or an inflated file that could not
// all be written fails, removes the temporary file and leaves the received
// file and any earlier "<path>.gz" untouched.

#include "foundation/files/GzipReader.h"
#include "transfer/http/ContentCoding.h"

#include <cstdint>
#include <memory>
#include <string>

class CBufferedFile;
class CLinkItem;
class CProtocolClient;
class ITransferLog;

// Whether the request's body must be inflated after the download, by its
// content encoding (property 609) and content type (property 600):
// MustInflateBody (ContentCoding.h).
bool MustInflateDownload(const CLinkItem& request);

// The result code of a write that could not store all its bytes, from the
// file's error code: 109 for a full disk, else 111.
int WriteFailureCode(int fileError);

// The sink that writes the inflated data into the temporary file. Its file
// is opened, emptied, by Begin; Write passes bytes on (-1 without a file,
// when the file refuses them, or past sizeCap bytes in all); IsCancelled
// answers the client's abort flag.
class CTransferGzipSink : public IGunzipSink
{
public:
    CTransferGzipSink(std::string outputPath, const CProtocolClient& client, int64_t sizeCap);
    // Closes the file when Finish was not called.
    ~CTransferGzipSink() override;
    CTransferGzipSink(const CTransferGzipSink&) = delete;
    CTransferGzipSink& operator=(const CTransferGzipSink&) = delete;

    bool Begin(const std::string& name, uint32_t modifiedTime, uint32_t size) override;
    int32_t Write(const void* bytes, int32_t count) override;
    bool IsCancelled() override;

    // Closes the file, writing out what is still buffered; false when that
    // failed (the failure is then recorded as by Write).
    bool Finish();
    // Whether Begin could not open the file.
    bool OpenFailed() const { return m_openFailed; }
    // Whether the data went past the size cap.
    bool CapExceeded() const { return m_capExceeded; }
    // The result code of the first failure: the file's error code for an
    // open, WriteFailureCode for a write; 0 when none happened.
    int GetError() const { return m_error; }

private:
    const std::string m_path;
    const CProtocolClient& m_client;
    std::unique_ptr<CBufferedFile> m_file;
    const int64_t m_sizeCap;
    int64_t m_written = 0;
    bool m_openFailed = false;
    bool m_capExceeded = false;
    int m_error = 0;
};

// Inflates the received file at path (coding gzip or deflate) as described
// above, logging "Decompressing file %s." first. On success (0) length is
// the size of the inflated file.
// Failures: 3 stopped; 1009 damaged or truncated data (message 48 as an
// error line), or data that inflates past kMaxInflationRatio times the
// received size and kMinInflatedSizeCap (TransferLimits.h); the temporary file's error code when it cannot be opened
// (message 29); 109 or 111 when it cannot all be written; 108 when the
// received file cannot be read, or when a delete or rename of the final
// step fails (for gzip the received file is then put back at path where it
// can be; the temporary file stays).
int InflateDownloadedFile(const CProtocolClient& client, const std::string& path, EContentCoding coding,
                          ITransferLog* log, int64_t& length);
