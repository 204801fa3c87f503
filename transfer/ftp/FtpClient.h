#pragma once
// CFtpClient: the protocol client of "ftp://" requests. A transfer job takes
// one from the site connection pool and drives it through the protocol client
// interface: connect and log on, find out whether the path is a folder or a
// file (with its size and time), list a folder, or retrieve a file into a
// sink from a resume offset. Uploads are not supported.
//
// One client keeps one control connection and, during a LIST or RETR, one
// data connection. A control connection that is still logged on and idle is
// reused by the next job of the same site without a new logon; the TYPE and
// REST commands it already agreed to are not sent again (CFtpCommandCache).
//
// Data connections follow the request's property 200 (the setting "FTP/Data
// Connection Type"): 0 active ("PORT": we listen, the server connects), 1
// passive with the transfer command sent before connecting to the data port,
// 2 passive with the transfer command sent once the data connection is up.
//
// Staying in step: a control connection whose conversation may be out of
// step (a reply that failed to arrive, a transfer command whose answer is
// still on its way when the data connection failed, a reply beyond
// kMaxFtpReplySize) is dropped, so the next job starts a fresh one rather
// than reading a stale answer as its own. A command holding CR, LF or NUL
// inside is never sent (kResultInvalidParameter): a link cannot smuggle a second command.
//
// Results are ResultCodes.h codes; a reply of the wrong class maps to kResultFtp4xx
// (4xx), kResultFtp5xx (5xx) or kResultFtpError (anything else).
//
// Threads: one job at a time on one pool thread. Abort and Close may come
// from another thread: they raise the abort flag and close the sockets, so a
// blocked send or receive returns at once.

#include "foundation/text/ByteBuffer.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/ftp/FtpCommandCache.h"
#include "transfer/ftp/FtpReplyParser.h"
#include "transfer/net/Connection.h"

#include <cstdint>
#include <string>

class CFtpClient : public CProtocolClient
{
public:
    // The data connection types of property 200.
    static constexpr int kDataActive = 0;
    static constexpr int kDataPassive = 1;
    static constexpr int kDataPassiveRfc = 2;

    // The resume offset that means "no REST at all".
    static constexpr int64_t kNoOffset = -1;

    CFtpClient();
    ~CFtpClient() override;

    // Raises the abort flag, drops the connected flag, closes both sockets
    // and withdraws a pending credential prompt. Safe from another thread.
    // The inherited Abort needs nothing more: it raises the flag and calls
    // this.
    void Close() override;

    // Reuses a sound logged-on connection (0 at once); otherwise opens the
    // control connection (through the client's proxy key), reads the
    // greeting and logs on. A new connection reads the time-out of both
    // connections from the settings ("Connections/Connection Timeout").
    int Connect(CLinkItem& request, ITransferLog* log) override;
    // Folder (resource type 8): its LIST text; otherwise RETR from offset
    // (kNoOffset: no REST). length -1 is unknown: then the server closing the
    // data connection ends the body. Runs GetRemoteFileInfo first when the
    // request's resource type is not yet known.
    //
    // A file always travels in the type it needs, the connection's type
    // tracked (CFtpCommandCache): "TYPE I", or "TYPE A" when the request's
    // ASCII flag is set. A resume (offset above 0) is always binary: the local
    // file holds the server's bytes, and offsets in ASCII mode count other
    // bytes (servers refuse it for that reason). A REST the server refuses
    // gives 1020. Without a length, the data connection closing before the
    // size the server announced (the SIZE of this file just before, else the
    // "(N bytes)" of the transfer's preliminary reply) is kResultDataClosed; ASCII
    // transfers are not held to it, their line ends change the count.
    int Download(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length, ITransferLog* log,
                 ITransferProgress* progress) override;
    // The base's, and when the server refused to resume (kResultBadResumeOffset) the whole
    // file once more from its start, the partial local file removed first.
    int DownloadToFile(CLinkItem& request, ITransferLog* log, ITransferProgress* meter) override;
    int Upload(CLinkItem& request, ITransferLog* log, ITransferProgress* progress) override;
    // CWD says folder (602 -1, 604 8, 605 0) or else SIZE and MDTM give
    // 602, 603, 604 and 605; 610 is now. SIZE refused: 1001. SIZE goes in
    // binary mode: many servers refuse it in ASCII mode, and the binary size
    // is what a binary transfer brings.
    int GetRemoteFileInfo(CLinkItem& request, ITransferLog* log) override;
    bool CheckIdleConnection() override;
    // Sets the connected flag; 0 also closes both connections.
    int SetConnected(int value) override;

    // Logs on (the greeting already read): anonymous without a user name,
    // with the password store's password or the user's answer to a prompt;
    // a 5xx answer to the password prompts again, up to 10 times.
    int LogOn(CLinkItem& request, ITransferLog* log);
    // USER, then PASS with the password or the one-time password for the
    // server's challenge.
    int Login(const std::string& user, const std::string& password, ITransferLog* log);

    // One command and its reply: a cached command is answered without
    // traffic; the result is the transport's (0 whatever the reply code).
    int Command(const std::string& command, ITransferLog* log, std::string& replyText, int& replyCode);
    // Command, then the reply's class against expected: an expected value
    // of 1, 2 or 3 accepts any code of that class, a three-digit one only
    // itself.
    int CommandExpect(const std::string& command, ITransferLog* log, std::string& replyText, int& replyCode,
                      int expected);
    // Sends command + CRLF (CR and LF trimmed at both ends first). kResultEmptyParameter for an
    // empty command, kResultInvalidParameter for one with CR, LF or NUL inside (nothing sent).
    int SendCommand(const std::string& command, ITransferLog* log);
    // Reads the next reply (bytes after it stay for the next one).
    int ReadReply(ITransferLog* log, std::string& replyText, int& replyCode);

    int List(CLinkItem& request, StreamInterface& sink, ITransferLog* log, ITransferProgress* progress);
    int Retrieve(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length, ITransferLog* log,
                 ITransferProgress* progress);

    // Whether the control connection can carry a job. check: probe the idle
    // connection (stray bytes or a closed peer drop it); without check, or
    // when not connected, only the flag.
    bool CheckControlConnection(bool check);
    void SetConnectedState(bool connected);

    // Property 53 from a reply: the text after its first line (when it has
    // more than one), trimmed.
    static void StoreReplyStatus(CLinkItem& request, const std::string& replyText);

    // kResultFtp4xx for class 4, kResultFtp5xx for class 5, kResultFtpError for any other code.
    static int ReplyClassResult(int replyCode);
    // True when the reply code is of class replyClass (its first digit), or
    // is that very number.
    static bool IsReplyClass(int replyCode, int replyClass);

private:
    // The transfer command's preliminary (1xx) reply comes back in
    // preliminary.
    int OpenDataConnection(CLinkItem& request, const std::string& transferCommand, int64_t offset,
                           ITransferLog* log, std::string& preliminary);
    int OpenPassive(int type, const std::string& transferCommand, int64_t offset, ITransferLog* log,
                    std::string& preliminary);
    // Only the server (the control connection's peer, when no proxy stands
    // between) may connect to the listening port; another host that reaches
    // it is refused and the wait goes on.
    int OpenActive(const std::string& transferCommand, int64_t offset, ITransferLog* log,
                   std::string& preliminary);
    // "REST offset" before a transfer; a refused REST 0 is no failure, any
    // other refused offset gives 1020.
    int SendRestart(int64_t offset, ITransferLog* log);
    // expected: the length to read (-1: until the server closes). minimum:
    // with an unknown length, the fewest bytes that make a whole body (-1:
    // any count). With logData, the first kMaxLoggedBodySize bytes go to the
    // log, and a line says when more came.
    int ReceiveBody(StreamInterface& sink, int64_t expected, int64_t minimum, ITransferLog* log, bool logData,
                    ITransferProgress* progress);
    // The reply that closes a LIST or RETR; a failing body result wins over
    // the reply's verdict. judgeReply: the body ran until the server closed
    // the data connection, so a 4xx or 5xx closing reply says that it is
    // incomplete. (A body we cut at a known length makes the server
    // complain about the closed connection; that is no failure.)
    int ReadClosingReply(int bodyResult, bool judgeReply, ITransferLog* log);
    void CloseConnections();
    // Hands the client's traffic observer to both connections for one
    // operation (attach) and takes it back after it, so that no observer is
    // called while the client sits idle in the pool.
    void AttachTrafficObserver(bool attach);
    // The item's user and password, written back after a logon.
    static void StoreLoginInRequest(CLinkItem& request, const std::string& user, const std::string& password);

    CConnection m_control;
    CConnection m_data;
    // Bytes received on the control connection and not yet taken as a reply.
    CByteBuffer m_replyBuffer;
    FtpReplyScan m_replyScan;
    CFtpCommandCache m_cache;
    // The last SIZE answer of this control connection and its path: the size
    // the next RETR of that path must bring. A RETR uses it up, so an answer
    // from long ago never judges a later transfer.
    std::string m_sizePath;
    int64_t m_size = -1;
};
