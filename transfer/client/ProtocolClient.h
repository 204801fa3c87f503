#pragma once
// CProtocolClient: the base of the protocol clients (CHttpClient,
// CFtpClient). It fixes the interface through which a transfer job and the
// site connection pool drive any protocol, and does what is the same for
// all of them: the abort and connected flags, the activity clock, the
// download into a local file (resumed at the file's end, compressed bodies
// inflated in place), the local folder, the local file information, the
// retry loop around connecting with its wait, and asking the user for
// credentials through the prompt queue.
//
// Every operation returns a result code (ResultCodes.h; 0 success, 3
// stopped) and logs through an optional ITransferLog (null logs nothing).
//
// Threads: the operations run on one pool thread at a time. Abort,
// SetAborted and Close may come from any other thread (the transfer manager
// stopping a job); they act through the atomic abort flag, which every wait
// here watches, and through the prompt queue, so a stop takes effect at
// once, also while the user is being asked for a password. The client lock
// guards the texts (site key, login, proxy key); the derived clients take it
// around their own state.

#include "platform/core/CriticalSection.h"
#include "transfer/client/TransferServices.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

class CLinkItem;
class CPromptRequestQueue;
class IPropertySet;
class CTransferJob;
class ITrafficObserver;
class ITransferLog;
class ITransferProgress;
class StreamInterface;

// The failures that another connection attempt may cure: a time-out, a
// closed control or data connection, and the network and connection errors
// 10050, 10053, 10054, 10060, 10061 and 10064. The retry loop here and the
// job's attempt loop retry exactly these.
bool IsRetryableResult(int code);

// A folder standing where a download must write its file. An empty folder
// is removed (message 21; when that fails, message 23 as an error line and
// 108); a folder that holds anything is never deleted for a download: the
// error line "Cannot overwrite local directory, remove it first." and 108.
// 0 when the folder is gone. Anything but a folder at path is left alone
// and gives 0.
int ClearFolderInTheWay(const std::string& path, ITransferLog* log);

class CProtocolClient
{
public:
    // protocol: the scheme id of the URLs the client serves (1 http,
    // 2 https, 3 ftp). Takes the next instance number of the process and
    // starts the activity clock.
    explicit CProtocolClient(int protocol);
    virtual ~CProtocolClient();
    CProtocolClient(const CProtocolClient&) = delete;
    CProtocolClient& operator=(const CProtocolClient&) = delete;

    // Withdraws a credential prompt that this client still has waiting.
    // Derived clients close their connections and call it.
    virtual void Close();
    // Sets the abort flag, then calls Close, so a prompt in progress ends at
    // once. Derived clients also close their sockets without ceremony, so a
    // blocked send or receive returns.
    virtual void Abort();

    // Opens the connection (reusing a sound one) and logs in.
    [[nodiscard]] virtual int Connect(CLinkItem& request, ITransferLog* log) = 0;

    // Downloads the request's resource into its local file (property 51):
    // the folder is created when missing; an existing file is resumed at its
    // end (Download gets its length as the offset) and the meter begins
    // there, with property 602 (or -1) as the total. A body whose property
    // 609 is "gzip" or "x-gzip" (unless property 600 is "application/x-tar")
    // or "deflate" is then inflated in place (DownloadInflation.h). On
    // success the meter gets the final length, property 602 is set to it,
    // and property 603, when it reads as a date, becomes the file's
    // modification time; a failed or partial download keeps the local date.
    //
    // Failures: 3 when aborted; 102 or 108 from EnsureLocalDir; 108 for a
    // folder in the way (ClearFolderInTheWay); the file's error code when it
    // cannot be opened (message 29); 109 or 111 when the data could not all
    // be written; whatever Download returns; the inflation's codes. A failed
    // download deletes a file that it created and left empty; a partly
    // downloaded file stays for a later resume.
    [[nodiscard]] virtual int DownloadToFile(CLinkItem& request, ITransferLog* log, ITransferProgress* meter);

    // Writes the body from offset (64-bit) into the open file; length -1
    // means to the end, else the range ends at offset + length - 1.
    [[nodiscard]] virtual int Download(CLinkItem& request, StreamInterface& file, int64_t offset, int64_t length,
                         ITransferLog* log, ITransferProgress* meter) = 0;

    // Makes sure the folder of a local file path exists. A path without '/'
    // gives "Invalid name %s." as an error line and 102. A missing folder
    // (the text up to the last '/') gets the status line "Creating new local
    // dir %s." and is created with its parents; failure: "Cant create local
    // dir %s." as an error line and 108. Else 0.
    virtual int EnsureLocalDir(const std::string& path, ITransferLog* log);

    // Both clients answer 100 (not supported), or 3 when aborted.
    [[nodiscard]] virtual int Upload(CLinkItem& request, ITransferLog* log, ITransferProgress* meter) = 0;

    // Looks the local file (property 51) up. Found: 702 the size, 704 the
    // resource kind (10 for a folder, else the kind of the path's
    // extension), 703 the modification time "%m/%d/%Y %H:%M:%S", message 44
    // as a status line, 0. Missing: 106, with message 10 as an error line
    // unless the operation (property 55) is a download, file information or
    // check, where a missing local copy is normal. Property 700 (the
    // content type of a POST body) is left as it is.
    virtual int GetLocalFileInfo(CLinkItem& request, ITransferLog* log);

    [[nodiscard]] virtual int GetRemoteFileInfo(CLinkItem& request, ITransferLog* log) = 0;

    // Whether the idle connection can still carry a request
    // (IdleConnectionProbe.h does the common part).
    virtual bool CheckIdleConnection() = 0;

    // Asks the user for credentials through the prompt queue and blocks
    // until the answer, a cancel, the queue's time-out or an abort. prompt
    // is the request's URL without credentials; user and password go in as
    // the offer and come back as the answer. Logs "Need user/pass -
    // prompting..."; answered: "Prompt complete: user:%s, pass:****." and 0
    // (the password is never logged); otherwise "Prompt canceled." and 3,
    // or 1003 (access denied) when nobody could answer or nobody did within
    // the queue's time-out, so the refused login is not taken for a stop.
    virtual int PromptCredentials(const std::string& prompt, std::string& user, std::string& password,
                                  ITransferLog* log);

    // The flags, exchanged atomically. The setters return the old value.
    // Raising the abort flag also wakes RetryWait and the name look-ups.
    bool IsAborted() const { return m_abort.load() != 0; }
    int SetAborted(int value);
    // The flag itself, for the connections whose name look-ups watch it
    // (CConnection::SetAbortFlag); raising it wakes them.
    const std::atomic<int>& AbortFlag() const { return m_abort; }
    bool IsConnected() const { return m_connected.load() != 0; }
    // Derived clients that must close their connection when the flag drops
    // override this and call it.
    virtual int SetConnected(int value);

    // The activity clock: Touch restarts it; GetIdleSeconds gives the whole
    // seconds since, never below 0.
    void Touch();
    int GetIdleSeconds() const;

    // Connect, repeated while it fails with a retryable code
    // (IsRetryableResult) and retries are left: property 4 is the number of
    // retries after the first attempt. Each retry is announced with message
    // 43 (attempt number, property 4) after RetryWait. Aborted: 3. A final
    // failure other than 3 logs message 18 as an error line.
    [[nodiscard]] int RunWithRetries(CLinkItem& request, ITransferLog* log);
    // Waits property 6 seconds (message 46 first), returning at once when
    // the abort flag is raised: 3 then, else 0.
    int RetryWait(CLinkItem& request, ITransferLog* log);

    // Property 51.
    static std::string GetLocalFilePath(const CLinkItem& request);

    // What the pool and the jobs keep on the client.
    CCriticalSection& GetLock() { return m_lock; }
    int GetProtocol() const { return m_protocol; }
    int GetInstanceNumber() const { return m_instanceNumber; }
    CTransferJob* GetJob() const { return m_job; }
    void SetJob(CTransferJob* job) { m_job = job; }
    ITrafficObserver* GetTrafficObserver() const { return m_trafficObserver; }
    void SetTrafficObserver(ITrafficObserver* observer) { m_trafficObserver = observer; }
    int GetLogId() const { return m_logId; }
    void SetLogId(int logId) { m_logId = logId; }
    // The texts, each read and written under the client lock.
    std::string GetSiteKey();
    void SetSiteKey(const std::string& key);
    std::string GetProxyKey();
    void SetProxyKey(const std::string& key);
    std::string GetUserName();
    std::string GetPassword();
    // The login that the server accepted, remembered for reuse.
    void SetLogin(const std::string& user, const std::string& password);

    // The settings, stores, log registry and prompt queue this client works
    // with (PromptCredentials asks through its queue); the pool hands in its
    // own when it makes the client.
    const CTransferServices& GetServices() const { return m_services; }
    // The time-out of every connect, send and receive, read once per
    // connect: setting "Connections/Connection Timeout" in ms (120 s when the
    // settings lack it), at least 1000
    // (and at most a day, so the product stays within an int).
    static int ConnectionTimeoutMs(const IPropertySet& settings);
    void SetServices(const CTransferServices& services) { m_services = services; }

private:

    CCriticalSection m_lock;
    const int m_protocol;
    const int m_instanceNumber;
    CTransferJob* m_job = nullptr;
    ITrafficObserver* m_trafficObserver = nullptr;
    int m_logId = 0;
    CTransferServices m_services;
    // The id of our prompt while it waits in the queue, 0 otherwise; written
    // by the queue, read by Close on another thread.
    std::atomic<int> m_pendingPromptId{0};
    // Milliseconds of the steady clock at the last Touch.
    std::atomic<int64_t> m_activityMs{0};
    std::atomic<int> m_connected{0};
    std::atomic<int> m_abort{0};
    // RetryWait sleeps on this until its time passes or the abort flag rises.
    std::mutex m_waitMutex;
    std::condition_variable m_waitChanged;
    std::string m_siteKey;
    std::string m_userName;
    std::string m_password;
    std::string m_proxyKey;
};
