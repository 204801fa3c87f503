#pragma once
// CHttpClient: the protocol client for HTTP and HTTPS (and for FTP URLs
// fetched through an HTTP proxy). The site connection pool keeps one per
// connection slot; transfer jobs drive it through CProtocolClient. All
// requests of one client go over its one CConnection, which stays open
// between requests while the server allows keep-alive.
//
// The heart of the client is SendRequest, the request exchange: it sends one
// request and repeats it for credentials typed by the user, Negotiate, NTLM
// and Basic authentication and redirects on the same site, until it has a
// final response header. The pieces it is built from live in their own
// files: request composition (HttpRequestHeader.h), sending (HttpSend.h),
// reading headers and bodies (ReadResponseHeader.h, ReadBody.h), storing the
// header values (ParseResponseHeaders.h), keep-alive (HttpKeepAlive.h), the
// POST body (HttpPostBody.h) and the authentication steps
// (HttpAuthentication.h).
//
// Threads: a client runs on one pool thread at a time. Abort and Close may
// come from another thread; they only raise the abort flag and close the
// socket, which makes a blocked receive or send return.

#include "foundation/text/ByteBuffer.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/http/HttpChannel.h"
#include "transfer/net/Connection.h"

#include <cstdint>
#include <string>

class CLinkItem;

// What SendRequest asks for besides the item's URL and properties.
struct CHttpRequestSpec
{
    // "GET", "HEAD" or "POST".
    const char* m_method = "GET";
    // The byte range: from m_offset, m_length bytes (-1: to the end).
    int64_t m_offset = 0;
    int64_t m_length = -1;
    // A POST body as given in LI_POST_DATA (the "data:" and "file:" forms
    // are resolved by the exchange).
    const uint8_t* m_body = nullptr;
    int m_bodyLength = 0;
};
class ITransferLog;
class ITransferProgress;
class StreamInterface;

class CHttpClient : public CProtocolClient
{
public:
    // kind: the scheme id of the URLs served (1 http, 2 https, 3 ftp through
    // an HTTP proxy). Only kind 2 starts TLS after connecting.
    explicit CHttpClient(int kind);
    ~CHttpClient() override;

    // Raises the abort flag, closes the connection and withdraws a pending
    // credential prompt.
    void Close() override;
    // Raises the abort flag and closes the socket at once (no TLS shutdown),
    // so a receive or send in progress on another thread returns.
    void Abort() override;

    // Reuses the open connection when the idle check finds it sound;
    // otherwise connects to the item's host and port (through the client's
    // proxy) and, for kind 2, starts TLS with setting
    // "Connections/SSL-TLS Version" (1 when outside 0..3). 0, 3 when aborted,
    // or the connection's last error.
    int Connect(CLinkItem& request, ITransferLog* log) override;

    // A GET, or a POST when the item has a body (LI_POST_DATA), whose body
    // goes to sink. offset is the resume position; length the bytes wanted,
    // -1 for all. A 200 answer to a resume, or a 206 whose range starts
    // elsewhere, gives kResultBadResumeOffset; 401 gives kResultRemoteAccessDenied, 404
    // kResultRemoteNotFound, other errors kResultHttp4xx (4xx), kResultHttp5xx (5xx) or kResultHttpError.
    int Download(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length, ITransferLog* log,
                 ITransferProgress* meter) override;
    // Not supported: 3 when aborted, else 100.
    int Upload(CLinkItem& request, ITransferLog* log, ITransferProgress* meter) override;
    // A HEAD request; its header values are stored on the item. 200 and
    // other 2xx give 0 (other 2xx log "Server return error: %d."); errors as
    // for Download.
    int GetRemoteFileInfo(CLinkItem& request, ITransferLog* log) override;
    bool CheckIdleConnection() override;

    // The flag drops to 0: the connection is closed (TLS shut down first).
    int SetConnected(int value) override;

    // Whether the open connection can carry the next request. Without probe
    // (or with the connected flag down) the answer is the flag. With probe
    // the connection is looked at without waiting: a peer that closed drops
    // it; bytes waiting are a stray response, logged with "Trashed response
    // received." before the connection is dropped.
    bool CheckConnection(bool probe, ITransferLog* log);

    // The request exchange (HttpExchange.cpp; see the file comment): it
    // connects (or keeps the open connection) and sends the request until a
    // final answer. On 0, header holds the final response header and status
    // its status code (0 when none was read).
    [[nodiscard]] int SendRequest(CLinkItem& request, const CHttpRequestSpec& spec, CByteBuffer& header,
                                  int& status, ITransferLog* log);

    // With cookies enabled on the item (LI_OPTION_SEND_COOKIES), LI_COOKIES
    // becomes the Cookie header text of the cookie store for the item's host
    // (".local" added to a host without a '.') and request path.
    void UpdateCookieHeader(CLinkItem& request);

    // A redirect's Location. It is resolved against the URL that was just
    // requested (its current path included, so a relative location after an
    // earlier redirect lands where a browser would). The same scheme, host
    // and port: LI_REDIRECT_PATH becomes the new path and the result is 0.
    // Anything else (another host, or http to https on the same host):
    // LI_REDIRECT_URL becomes the location (made absolute when the server
    // sent a relative one), the connection is dropped, and the result is
    // kResultRedirectOutside for the caller to follow.
    int HandleRedirect(CLinkItem& request, const std::string& location, ITransferLog* log);

    CConnection& GetConnection() { return m_connection; }

private:
    // The readers' view of this client: its abort flag, its connected flag
    // and its time-out setting.
    class CChannel : public CConnectionHttpChannel
    {
    public:
        explicit CChannel(CHttpClient& owner);
        bool IsAborted() const override;
        void Drop() override;
        void EndKeepAlive() override;

    protected:
        int TimeoutMs() const override;
        // The job's byte counter, set on the client for the job's run.
        ITrafficObserver* TrafficObserver() const override;

    private:
        CHttpClient& m_owner;
    };

    class CExchange;
    // The connect step of a request exchange: keeps the connection that the
    // caller's Connect has just found sound or made, with nothing sent on it
    // since; otherwise Connect.
    [[nodiscard]] int ConnectForRequest(CLinkItem& request, ITransferLog* log);
    // Stores the status line and the header values; used by Download and
    // GetRemoteFileInfo.
    void StoreStatusLine(CLinkItem& request, const CByteBuffer& header);
    // The judgement of Download on the final response: 0 with length
    // possibly set from the Content-Length, or the failure code. chunked:
    // the header's Transfer-Encoding is "chunked" (IsChunkedBody).
    int CheckDownloadStatus(CLinkItem& request, int status, const CByteBuffer& header, bool chunked,
                            int64_t offset, int64_t& length, int64_t& size, ITransferLog* log);

    CConnection m_connection;
    // The time-out read from the settings at the last connect.
    int m_timeoutMs = 1000;
    CChannel m_channel;
    // Bytes received and not yet consumed: what came after a header, a body
    // in progress.
    CByteBuffer m_receive;
    // Set by a successful Connect, taken by the next ConnectForRequest. A job
    // connects before it asks for the file, and the exchange that asks
    // would otherwise probe the idle connection a second time.
    bool m_justConnected = false;
};
