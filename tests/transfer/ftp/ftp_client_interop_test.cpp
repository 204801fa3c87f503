#include "transfer/ftp/FtpClient.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/ByteBuffer.h"
#include "platform/core/Text.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferLog.h"
#include "transfer/http/MemorySink.h"

#include "tests/servers/FtpServer.h"
#include "tests/servers/ProxyServers.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ThreadBlocked.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <future>
#include <string>
#include <sys/time.h>
#include <vector>

namespace
{

// The bytes of the scripted server's files (ftp_faults_server.py FILES).
std::string ScriptedDataBin()
{
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += static_cast<char>((i * 7 + 3) % 256);
    return bytes;
}

// A file large enough to take many receives.
std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + i / 251) & 0xFF);
    return bytes;
}

struct LogRef
{
    CTransferLog* log = new CTransferLog(1);
    ~LogRef() { log->Release(); }
    std::string Text() const
    {
        std::string text;
        log->GetText(text);
        return text;
    }
    bool Has(const std::string& text) const { return Text().find(text) != std::string::npos; }
    int Count(const std::string& text) const
    {
        const std::string all = Text();
        int n = 0;
        for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++n;
        return n;
    }
};

// The settings every client here works with: the connection time-out is
// read from them, and the program's own settings are empty in a test (so
// the time-out would be the least allowed, 1 s). A refused password alone
// takes vsftpd's PAM a few seconds to answer.
const CPropertySet& TestSettings()
{
    struct CTestSettings
    {
        CTestSettings() { m_set.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30); }
        CPropertySet m_set;
    };
    static const CTestSettings settings;
    return settings.m_set;
}

CLinkItem MakeRequest(int port, const std::string& path, int dataType,
                      const std::string& login = std::string())
{
    CLinkItem item;
    const std::string url =
        "ftp://" + login + (login.empty() ? "" : "@") + "127.0.0.1:" + std::to_string(port) + path;
    EXPECT_TRUE(item.SetUrl(url.c_str(), true)) << url;
    item.SetInt(LI_FTP_DATA_CONNECTION, dataType);
    return item;
}

// A request for the remote path whose local file (localPath) already holds
// partial, as an earlier attempt left it; marked ASCII on request.
CLinkItem MakeResumeRequest(int port, const std::string& remotePath, int dataType,
                            const std::string& localPath, const std::string& partial, bool ascii = false)
{
    WriteWhole(localPath, partial);
    CLinkItem request = MakeRequest(port, remotePath, dataType);
    request.SetString(LI_LOCAL_FILE, localPath.c_str());
    if (ascii)
        request.SetInt(LI_ASCII_TRANSFER, 1);
    return request;
}

// Downloads the request into memory; the result code, the bytes in body.
int DownloadToMemory(CFtpClient& client, CLinkItem& request, std::string& body, ITransferLog* log,
                     int64_t offset = CFtpClient::kNoOffset, int64_t length = -1)
{
    const int connected = client.Connect(request, log);
    if (connected != kResultOk)
        return connected;
    CByteBuffer buffer;
    CMemorySink sink(&buffer);
    const int result = client.Download(request, sink, offset, length, log, nullptr);
    body.assign(reinterpret_cast<const char*>(buffer.GetData()), static_cast<size_t>(buffer.GetLength()));
    return result;
}

// Answers credential prompts from the queue's owner callback, which the
// waiting client calls on its own thread as soon as its question is listed.
struct PromptAnswers
{
    std::string m_user;
    std::string m_password;
    bool m_cancel = false;
    std::atomic<int> m_prompts{0};
    CPromptRequestQueue* m_queue = nullptr;
};
PromptAnswers* g_answers = nullptr;

int AnswerPrompt(int)
{
    CPromptRequest request;
    if (!g_answers || !g_answers->m_queue->GetPending(request))
        return 1;
    ++g_answers->m_prompts;
    request.m_user = g_answers->m_user;
    request.m_password = g_answers->m_password;
    request.m_cancelled = g_answers->m_cancel ? 1 : 0;
    g_answers->m_queue->Answer(request);
    return 1;
}

class CAnsweringQueue
{
public:
    CAnsweringQueue()
    {
        m_answers.m_queue = &m_queue;
        g_answers = &m_answers;
        m_queue.SetOwner(AnswerPrompt, 3);
    }
    ~CAnsweringQueue() { g_answers = nullptr; }
    CPromptRequestQueue& Queue() { return m_queue; }
    PromptAnswers& Answers() { return m_answers; }

private:
    CPromptRequestQueue m_queue;
    PromptAnswers m_answers;
};

class FtpClientVsftpd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_data = Pattern(300000);
        ASSERT_TRUE(m_server.WriteFile(m_server.AnonRoot(), "pub/data.bin", m_data));
        ASSERT_TRUE(m_server.WriteFile(m_server.AnonRoot(), "pub/readme.txt", "read me\n"));
        ASSERT_TRUE(m_server.Start());
        // Nobody can answer a prompt unless a test says otherwise.
        m_client.SetServices({.m_settings = &TestSettings(), .m_prompts = &m_silentQueue});
    }

    CVsftpdServer m_server;
    CPromptRequestQueue m_silentQueue;
    CFtpClient m_client;
    std::string m_data;
    LogRef m_log;
};

TEST_F(FtpClientVsftpd, DownloadsByEveryDataConnectionType)
{
    const struct
    {
        int type;
        const char* command;
    } cases[] = {{CFtpClient::kDataActive, "PORT "},
                 {CFtpClient::kDataPassive, "PASV"},
                 {CFtpClient::kDataPassiveRfc, "PASV"}};
    for (const auto& c : cases)
    {
        const int before = m_server.CountCommands(c.command);
        CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", c.type);
        std::string body;
        ASSERT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kResultOk) << c.type << "\n"
                                                                                   << m_log.Text();
        EXPECT_TRUE(body == m_data) << "type " << c.type << ": " << body.size() << " bytes";
        EXPECT_EQ(m_server.CountCommands(c.command), before + 1) << c.type;
        EXPECT_TRUE(m_client.IsConnected());
    }
    // One logon served all three: the connection was reused.
    EXPECT_EQ(m_server.CountCommands("USER"), 1);
}

class CCountingObserver : public ITrafficObserver
{
public:
    void OnReceived(int bytes) override { m_received += bytes; }
    void OnSent(int bytes) override { m_sent += bytes; }
    std::atomic<int64_t> m_received{0};
    std::atomic<int64_t> m_sent{0};
};

// The job's observer counts the control and the data connection, and only
// while the client works for it.
TEST_F(FtpClientVsftpd, TrafficObserverCountsBothConnections)
{
    CCountingObserver observer;
    m_client.SetTrafficObserver(&observer);
    CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataPassive);
    std::string body;
    ASSERT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kResultOk) << m_log.Text();
    EXPECT_GT(observer.m_received.load(), static_cast<int64_t>(m_data.size()));
    EXPECT_GT(observer.m_sent.load(), 0);
    const int64_t received = observer.m_received.load();
    EXPECT_TRUE(m_client.CheckIdleConnection());
    EXPECT_EQ(observer.m_received.load(), received);
}

TEST_F(FtpClientVsftpd, SizeAndMdtmGiveTheFileProperties)
{
    // 2021-03-04 05:06:07 UTC; MDTM reports UTC and the client keeps it.
    const std::string path = m_server.AnonRoot() + "/pub/data.bin";
    struct timeval times[2] = {{1614834367, 0}, {1614834367, 0}};
    ASSERT_EQ(::utimes(path.c_str(), times), 0);

    CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataPassive);
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    ASSERT_EQ(m_client.GetRemoteFileInfo(request, m_log.log), kResultOk) << m_log.Text();
    int64_t size = 0;
    request.GetInt64(LI_SIZE, size);
    EXPECT_EQ(size, static_cast<int64_t>(m_data.size()));
    EXPECT_EQ(request.GetStringValue(LI_TIME), "03/04/2021 05:06:07");
    int known = 0;
    request.GetInt(LI_SIZE_KNOWN, known);
    EXPECT_EQ(known, 1);
    int type = 0;
    request.GetInt(LI_RESOURCE_TYPE, type);
    EXPECT_GE(type, 1);
    EXPECT_NE(type, 8);
    EXPECT_FALSE(request.GetStringValue(LI_INFO_DATE).empty());

    CLinkItem folder = MakeRequest(m_server.Port(), "/pub", CFtpClient::kDataPassive);
    folder.SetString(LI_TIME, "stale");
    ASSERT_EQ(m_client.GetRemoteFileInfo(folder, m_log.log), kResultOk);
    folder.GetInt(LI_RESOURCE_TYPE, type);
    EXPECT_EQ(type, 8);
    folder.GetInt64(LI_SIZE, size);
    EXPECT_EQ(size, -1);
    EXPECT_FALSE(folder.Has(LI_TIME));

    CLinkItem missing = MakeRequest(m_server.Port(), "/pub/none.bin", CFtpClient::kDataPassive);
    EXPECT_EQ(m_client.GetRemoteFileInfo(missing, m_log.log), kResultRemoteNotFound);
    EXPECT_EQ(missing.GetStringValue(LI_STATUS_LINE).substr(0, 3), "550");
}

TEST_F(FtpClientVsftpd, ListsAFolder)
{
    for (int type : {CFtpClient::kDataActive, CFtpClient::kDataPassive, CFtpClient::kDataPassiveRfc})
    {
        CLinkItem request = MakeRequest(m_server.Port(), "/pub", type);
        std::string listing;
        ASSERT_EQ(DownloadToMemory(m_client, request, listing, m_log.log), kResultOk) << m_log.Text();
        EXPECT_NE(listing.find("data.bin"), std::string::npos) << listing;
        EXPECT_NE(listing.find(std::to_string(m_data.size())), std::string::npos) << listing;
        EXPECT_NE(listing.find("readme.txt"), std::string::npos) << listing;
    }
    EXPECT_TRUE(m_log.Has("Starting read from data socket."));
}

TEST_F(FtpClientVsftpd, ResumesFromAPartialFileWithRest)
{
    CTempFolder local;
    const std::string path = local / "data.bin";
    CLinkItem request = MakeResumeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataPassive, path,
                                          m_data.substr(0, 12345));
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    ASSERT_EQ(m_client.DownloadToFile(request, m_log.log, nullptr), kResultOk) << m_log.Text();
    EXPECT_TRUE(ReadWhole(path) == m_data);
    EXPECT_EQ(m_server.CountCommands("REST 12345"), 1);
    EXPECT_TRUE(m_log.Has(">:\tREST 12345"));
}

// TYPE I and REST 0 go to the server once per control connection; a new
// connection starts with nothing agreed.
TEST_F(FtpClientVsftpd, SendsTypeAndRestZeroOncePerConnection)
{
    for (int round = 0; round < 2; ++round)
    {
        for (int i = 0; i < 2; ++i)
        {
            CLinkItem request = MakeRequest(m_server.Port(), "/pub/readme.txt", CFtpClient::kDataPassive);
            std::string body;
            ASSERT_EQ(DownloadToMemory(m_client, request, body, m_log.log, 0), kResultOk) << m_log.Text();
            EXPECT_EQ(body, "read me\n");
        }
        EXPECT_EQ(m_server.CountCommands("TYPE I"), round + 1);
        EXPECT_EQ(m_server.CountCommands("REST 0"), round + 1);
        m_client.SetConnected(0);
    }
    EXPECT_EQ(m_server.CountCommands("USER"), 2);
}

TEST_F(FtpClientVsftpd, AnonymousLoginUsesTheSettingOrTheDefault)
{
    CPropertySet settings;
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30);
    for (const std::string& password : {std::string("tester@example.org"), std::string()})
    {
        settings.SetString(SETTING_CONNECTIONS_ANONYMOUS_PASSWORD, password.c_str());
        CFtpClient client;
        client.SetServices({.m_settings = &settings, .m_prompts = &m_silentQueue});
        CLinkItem request = MakeRequest(m_server.Port(), "/pub/readme.txt", CFtpClient::kDataPassive);
        ASSERT_EQ(client.Connect(request, m_log.log), kResultOk) << m_log.Text();
        const std::string expected = password.empty() ? "pilot@" : password;
        EXPECT_NE(m_server.ProtocolLog().find("anon password \"" + expected + "\""), std::string::npos)
            << m_server.ProtocolLog();
        EXPECT_EQ(client.GetUserName(), "anonymous");
    }
    EXPECT_TRUE(m_log.Has(">:\tUSER anonymous"));
    EXPECT_TRUE(m_log.Has(">:\tPASS ****"));
    EXPECT_FALSE(m_log.Has("pilot@"));
}

// A link that carries a line break in its path must not reach the server as
// two commands.
TEST_F(FtpClientVsftpd, CommandWithALineBreakInsideIsNotSent)
{
    CLinkItem request = MakeRequest(m_server.Port(), "/pub/readme.txt", CFtpClient::kDataPassive);
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    for (const char* bad : {"/pub/readme.txt\r\nHELP", "/pub/readme.txt\nHELP", "/pub/readme.txt\rHELP"})
    {
        request.SetString(LI_URL_PATH, bad);
        EXPECT_EQ(m_client.GetRemoteFileInfo(request, m_log.log), kResultInvalidParameter) << bad;
    }
    std::string text;
    int code = 0;
    EXPECT_EQ(m_client.Command(std::string("NOOP\0HELP", 9), m_log.log, text, code), kResultInvalidParameter);
    EXPECT_EQ(m_client.Command("\r\n", m_log.log, text, code), kResultEmptyParameter);
    EXPECT_TRUE(m_log.Has("Empty parameter for FTP command."));

    // Nothing went out, and the connection is still in step.
    request.SetString(LI_URL_PATH, "/pub/readme.txt");
    EXPECT_EQ(m_client.GetRemoteFileInfo(request, m_log.log), kResultOk) << m_log.Text();
    int64_t size = 0;
    request.GetInt64(LI_SIZE, size);
    EXPECT_EQ(size, 8);
    EXPECT_EQ(m_server.CountCommands("HELP"), 0);
    EXPECT_EQ(m_server.CountCommands("CWD"), 1);
}

TEST(FtpClientVsftpdLogin, WrongPasswordAsksAgainAndTheAnswerLogsOn)
{
    CVsftpdServer server;
    CVsftpdServer::Options options;
    options.m_localLogins = true;
    ASSERT_TRUE(server.Start(options));
    ASSERT_TRUE(server.WriteFile(server.LocalRoot(), "mine.txt", "private\n"));
    LogRef log;
    const std::string user = CDanteServer::TestUser();

    // Right away with the right password.
    {
        CFtpClient client;
        CPromptRequestQueue silent;
        client.SetServices({.m_settings = &TestSettings(), .m_prompts = &silent});
        CLinkItem request = MakeRequest(server.Port(), "/mine.txt", CFtpClient::kDataPassive,
                                        user + ":" + CDanteServer::TestPassword());
        std::string body;
        ASSERT_EQ(DownloadToMemory(client, request, body, log.log), kResultOk) << log.Text();
        EXPECT_EQ(body, "private\n");
    }
    // A wrong password: 530, then the prompt's answer is tried.
    {
        CAnsweringQueue answering;
        answering.Answers().m_user = user;
        answering.Answers().m_password = CDanteServer::TestPassword();
        CFtpClient client;
        client.SetServices({.m_settings = &TestSettings(), .m_prompts = &answering.Queue()});
        CLinkItem request =
            MakeRequest(server.Port(), "/mine.txt", CFtpClient::kDataPassive, user + ":wrong");
        ASSERT_EQ(client.Connect(request, log.log), kResultOk) << log.Text();
        EXPECT_EQ(answering.Answers().m_prompts.load(), 1);
        EXPECT_EQ(client.GetPassword(), CDanteServer::TestPassword());
        EXPECT_EQ(request.GetUrlParts().m_password, CDanteServer::TestPassword());
    }
    // A wrong password and nobody to ask: the refusal stands (not "stopped",
    // which would say that somebody stopped the job).
    {
        CFtpClient client;
        CPromptRequestQueue silent;
        client.SetServices({.m_settings = &TestSettings(), .m_prompts = &silent});
        CLinkItem request =
            MakeRequest(server.Port(), "/mine.txt", CFtpClient::kDataPassive, user + ":wrong");
        EXPECT_EQ(client.Connect(request, log.log), kResultRemoteAccessDenied);
        EXPECT_FALSE(client.IsConnected());
        EXPECT_TRUE(log.Has("Prompt canceled."));
    }
    EXPECT_TRUE(log.Has("<:\t530"));
    EXPECT_FALSE(log.Has("wrong"));
    EXPECT_FALSE(log.Has(CDanteServer::TestPassword()));
}

// vsftpd with ASCII downloads on refuses a restart in ASCII mode. A listing
// leaves the connection in ASCII mode; the file information and a resumed
// text file (marked ASCII, as the job marks it) that follow on the same
// connection still work.
TEST(FtpClientVsftpdAscii, ListingThenSizeThenTextResumeOnOneConnection)
{
    CVsftpdServer server;
    CVsftpdServer::Options options;
    options.m_asciiDownloads = true;
    ASSERT_TRUE(server.WriteFile(server.AnonRoot(), "pub/notes.txt", "line one\nline two\n"));
    ASSERT_TRUE(server.Start(options));
    CPromptRequestQueue silent;
    CFtpClient client;
    client.SetServices({.m_settings = &TestSettings(), .m_prompts = &silent});
    LogRef log;

    CLinkItem folder = MakeRequest(server.Port(), "/pub", CFtpClient::kDataPassive);
    std::string listing;
    ASSERT_EQ(DownloadToMemory(client, folder, listing, log.log), kResultOk) << log.Text();
    EXPECT_NE(listing.find("notes.txt"), std::string::npos) << listing;

    CTempFolder local;
    const std::string path = local / "notes.txt";
    CLinkItem file =
        MakeResumeRequest(server.Port(), "/pub/notes.txt", CFtpClient::kDataPassive, path, "line o", true);
    ASSERT_EQ(client.Connect(file, log.log), kResultOk) << log.Text();
    ASSERT_EQ(client.GetRemoteFileInfo(file, log.log), kResultOk) << log.Text();
    int64_t size = 0;
    file.GetInt64(LI_SIZE, size);
    EXPECT_EQ(size, 18);
    ASSERT_EQ(client.DownloadToFile(file, log.log, nullptr), kResultOk) << log.Text();
    EXPECT_EQ(ReadWhole(path), "line one\nline two\n");
    EXPECT_EQ(server.CountCommands("USER"), 1);

    // A whole download marked ASCII still goes in ASCII mode, where the
    // server converts the line ends.
    CLinkItem ascii = MakeRequest(server.Port(), "/pub/notes.txt", CFtpClient::kDataPassive);
    ascii.SetInt(LI_ASCII_TRANSFER, 1);
    ASSERT_EQ(client.GetRemoteFileInfo(ascii, log.log), kResultOk) << log.Text();
    std::string body;
    ASSERT_EQ(DownloadToMemory(client, ascii, body, log.log), kResultOk) << log.Text();
    EXPECT_EQ(body, "line one\r\nline two\r\n");
}

class FtpClientScripted : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_client.SetServices({.m_settings = &TestSettings(), .m_prompts = &m_silentQueue});
    }

    // How many lines of the server's output begin with the text.
    int ServerCount(const std::string& lineStart) const
    {
        const std::string log = "\n" + m_server.Log();
        int count = 0;
        for (size_t at = log.find("\n" + lineStart); at != std::string::npos;
             at = log.find("\n" + lineStart, at + 1))
            ++count;
        return count;
    }

    CScriptedFtpServer m_server;
    CPromptRequestQueue m_silentQueue;
    CFtpClient m_client;
    LogRef m_log;
};

// RFC 2289 Appendix C: "This is a test." with the seed "TeSt".
TEST_F(FtpClientScripted, AnswersOneTimePasswordChallenges)
{
    const struct
    {
        const char* challenge;
        const char* answer;
    } cases[] = {
        {"otp-md5 99 TeSt ext", "BAIL TUFT BITS GANG CHEF THY"},
        {"otp-md5 0 TeSt", "INCH SEA ANNE LONG AHEM TOUR"},
        {"otp-md4 1 TeSt ext", "CARD SAD MINI RYE COL KIN"},
    };
    const std::string passPhrase = "This is a test.";
    for (const auto& c : cases)
    {
        CScriptedFtpServer server;
        ASSERT_TRUE(server.Start({"otp", c.challenge, c.answer}));
        CLinkItem request = MakeRequest(server.Port(), "/pub/small.txt", CFtpClient::kDataPassive, "otpuser");
        // A user without a password takes the one the password store keeps.
        const std::string resource = request.GetSiteUrlWithLogin();
        CPasswordStore passwords;
        ASSERT_TRUE(passwords.Set(resource, passPhrase));
        CFtpClient client;
        client.SetServices(
            {.m_settings = &TestSettings(), .m_passwords = &passwords, .m_prompts = &m_silentQueue});
        LogRef log;
        const int result = client.Connect(request, log.log);
        EXPECT_EQ(result, kResultOk) << c.challenge << "\n" << log.Text() << server.Log();
        EXPECT_TRUE(log.Has(Format("Skey pass phrase generated \"%s\".", c.answer))) << log.Text();
        EXPECT_TRUE(log.Has(">:\tPASS ****"));
        EXPECT_NE(server.Log().find(std::string("CMD PASS ") + c.answer), std::string::npos) << server.Log();
    }
}

TEST_F(FtpClientScripted, AnUnreadableChallengeIsNotAnswered)
{
    ASSERT_TRUE(m_server.Start({"otp", "otp-md5 seed-without-number", "x"}));
    CLinkItem request =
        MakeRequest(m_server.Port(), "/pub/small.txt", CFtpClient::kDataPassive, "otpuser:secret");
    EXPECT_EQ(m_client.Connect(request, m_log.log), kResultFtpLoginNotSupported);
    EXPECT_TRUE(m_log.Has("Login type is not supported: \"skey md5\"."));
    EXPECT_EQ(m_server.Log().find("CMD PASS"), std::string::npos);
}

// A 5xx answer to the password prompts again: 10 more attempts, then the
// 5xx result.
TEST_F(FtpClientScripted, RefusedPasswordPromptsAtMostTenTimes)
{
    ASSERT_TRUE(m_server.Start({"otp", "Password required.", "the right one"}));
    CAnsweringQueue answering;
    answering.Answers().m_user = "someone";
    answering.Answers().m_password = "still wrong";
    m_client.SetServices({.m_settings = &TestSettings(), .m_prompts = &answering.Queue()});
    CLinkItem request = MakeRequest(m_server.Port(), "/", CFtpClient::kDataPassive, "someone:wrong");
    EXPECT_EQ(m_client.Connect(request, m_log.log), kResultFtp5xx);
    EXPECT_EQ(answering.Answers().m_prompts.load(), 10);
    EXPECT_EQ(m_log.Count(">:\tPASS ****"), 11);
}

// A user name of "$" always asks, even with a password in the URL.
TEST_F(FtpClientScripted, DollarUserAlwaysPrompts)
{
    ASSERT_TRUE(m_server.Start({"otp", "Password required.", "answered"}));
    CAnsweringQueue answering;
    answering.Answers().m_user = "someone";
    answering.Answers().m_password = "answered";
    m_client.SetServices({.m_settings = &TestSettings(), .m_prompts = &answering.Queue()});
    CLinkItem request = MakeRequest(m_server.Port(), "/", CFtpClient::kDataPassive, "$:answered");
    EXPECT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    EXPECT_EQ(answering.Answers().m_prompts.load(), 1);
    EXPECT_NE(m_server.Log().find("CMD USER someone"), std::string::npos);
}

TEST_F(FtpClientScripted, MultiLineRepliesAndBufferedRepliesStayInStep)
{
    ASSERT_TRUE(m_server.Start({"multiline"}));
    CLinkItem request = MakeRequest(m_server.Port(), "/pub/small.txt", CFtpClient::kDataPassive);
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    EXPECT_TRUE(
        m_log.Has("<:\t220-Welcome\r\n\t220-second line\r\n\t 220 indented, not the end\r\n\t220 ready"))
        << m_log.Text();
    // CWD gets "550-... 551 ...": accepted with the warning; SIZE and MDTM
    // then read their own replies.
    ASSERT_EQ(m_client.GetRemoteFileInfo(request, m_log.log), kResultOk) << m_log.Text();
    EXPECT_TRUE(m_log.Has("WARNING: Incorrect reply received from server: 3 digit number expected"));
    int64_t size = 0;
    request.GetInt64(LI_SIZE, size);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(request.GetStringValue(LI_TIME), "01/02/2020 03:04:05");
}

TEST_F(FtpClientScripted, EndlessReplyDropsTheConnection)
{
    for (const char* mode : {"endless-line", "endless-lines"})
    {
        CScriptedFtpServer server;
        ASSERT_TRUE(server.Start({mode}));
        CFtpClient client;
        LogRef log;
        CLinkItem request = MakeRequest(server.Port(), "/", CFtpClient::kDataPassive);
        EXPECT_EQ(client.Connect(request, log.log), kResultProtocolError) << mode;
        EXPECT_FALSE(client.IsConnected());
        EXPECT_TRUE(log.Has("Reply from server too long")) << mode;
    }
}

TEST_F(FtpClientScripted, ServerClosingAfterTheGreeting)
{
    ASSERT_TRUE(m_server.Start({"close-after-greeting"}));
    CLinkItem request = MakeRequest(m_server.Port(), "/", CFtpClient::kDataPassive);
    EXPECT_EQ(m_client.Connect(request, m_log.log), kResultControlClosed);
    EXPECT_TRUE(m_log.Has("Connection closed by server."));
    EXPECT_FALSE(m_client.IsConnected());
}

// The server answers the transfer command after the client failed to reach
// the PASV port; that answer must not be taken for the next command's.
TEST_F(FtpClientScripted, RefusedPassiveConnectionLeavesNoStaleReply)
{
    ASSERT_TRUE(m_server.Start({"pasv-refused"}));
    for (int type : {CFtpClient::kDataPassive, CFtpClient::kDataPassiveRfc})
    {
        CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", type);
        std::string body;
        EXPECT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kWsaConnRefused) << m_log.Text();
        EXPECT_FALSE(m_client.IsConnected());

        CLinkItem next = MakeRequest(m_server.Port(), "/pub/small.txt", type);
        ASSERT_EQ(m_client.Connect(next, m_log.log), kResultOk);
        ASSERT_EQ(m_client.GetRemoteFileInfo(next, m_log.log), kResultOk) << m_log.Text();
        int64_t size = 0;
        next.GetInt64(LI_SIZE, size);
        EXPECT_EQ(size, 5);
    }
}

// A passive reply naming another host than the server is not followed: the
// data connection goes to the server's own address.
TEST_F(FtpClientScripted, PassiveAddressOfAnotherHostIsNotFollowed)
{
    ASSERT_TRUE(m_server.Start({"pasv-elsewhere"}));
    CLinkItem request = MakeRequest(m_server.Port(), "/", CFtpClient::kDataPassive);
    std::string body;
    EXPECT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kResultOk) << m_log.Text();
    EXPECT_FALSE(body.empty());
    EXPECT_EQ(m_log.Count("PASV address 127.0.0.2 replaced by the server's address 127.0.0.1."), 1);
}

// A reply that answers nothing, already received along with the last real
// one, makes the idle connection unfit for reuse.
TEST_F(FtpClientScripted, StrayBufferedReplyIsNotReused)
{
    ASSERT_TRUE(m_server.Start({"extra-reply"}));
    CLinkItem request = MakeRequest(m_server.Port(), "/", CFtpClient::kDataPassive);
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    EXPECT_FALSE(m_client.CheckIdleConnection());
    EXPECT_FALSE(m_client.IsConnected());
    // The next job logs on afresh.
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk);
    EXPECT_EQ(m_log.Count(">:\tUSER anonymous"), 2);
}

// Abort from another thread ends a read that the server never answers.
TEST_F(FtpClientScripted, AbortEndsABlockedRead)
{
    ASSERT_TRUE(m_server.Start({"stall"}));
    CLinkItem request = MakeRequest(m_server.Port(), "/", CFtpClient::kDataPassive);
    std::atomic<pid_t> worker{0};
    auto connecting = std::async(std::launch::async,
                                 [&]
                                 {
                                     worker = CurrentThreadId();
                                     return m_client.Connect(request, m_log.log);
                                 });
    const auto limit = std::chrono::seconds(10);
    for (auto start = std::chrono::steady_clock::now();
         worker == 0 && std::chrono::steady_clock::now() - start < limit;)
        std::this_thread::yield();
    ASSERT_NE(worker.load(), 0);
    EXPECT_TRUE(WaitUntilThreadSleeps(worker, limit));
    m_client.Abort();
    ASSERT_EQ(connecting.wait_for(limit), std::future_status::ready);
    EXPECT_EQ(connecting.get(), kResultStopped);
    EXPECT_FALSE(m_client.IsConnected());
}

// A server without REST still serves whole files: a refused "REST 0" asks
// for nothing that matters. A real restart point it refuses is 1020.
TEST_F(FtpClientScripted, RefusedRestZeroStillDownloadsTheWholeFile)
{
    ASSERT_TRUE(m_server.Start({"no-rest"}));
    for (int type : {CFtpClient::kDataPassive, CFtpClient::kDataActive})
    {
        CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", type);
        std::string body;
        EXPECT_EQ(DownloadToMemory(m_client, request, body, m_log.log, 0), kResultOk) << type << m_log.Text();
        EXPECT_TRUE(body == ScriptedDataBin()) << type << ": " << body.size() << " bytes";
        body.clear();
        EXPECT_EQ(DownloadToMemory(m_client, request, body, m_log.log, 100), kResultBadResumeOffset) << type;
        EXPECT_TRUE(body.empty());
    }
    EXPECT_TRUE(m_log.Has("Server refused to resume at 100.")) << m_log.Text();
}

// Where the server cannot resume, the download into a file fetches it whole:
// what was kept locally goes, whatever it holds.
TEST_F(FtpClientScripted, RefusedResumeFetchesTheWholeFile)
{
    ASSERT_TRUE(m_server.Start({"no-rest"}));
    CTempFolder local;
    for (int type : {CFtpClient::kDataPassive, CFtpClient::kDataActive})
    {
        const std::string path = local / ("data" + std::to_string(type) + ".bin");
        CLinkItem request =
            MakeResumeRequest(m_server.Port(), "/pub/data.bin", type, path, std::string(100, 'x'));
        ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
        ASSERT_EQ(m_client.DownloadToFile(request, m_log.log, nullptr), kResultOk) << type << m_log.Text();
        EXPECT_TRUE(ReadWhole(path) == ScriptedDataBin()) << type;
    }
    EXPECT_EQ(m_log.Count("Resume refused by the server: downloading the whole file."), 2);
    EXPECT_EQ(ServerCount("CMD REST 100"), 2);
}

// Servers in their stock setting refuse SIZE in ASCII mode, which is where a
// session starts and where a listing leaves a pooled connection. The type
// goes to the server only when it changes.
TEST_F(FtpClientScripted, SizeIsAskedInBinaryModeAlsoAfterAListing)
{
    ASSERT_TRUE(m_server.Start({"ascii-strict"}));
    CLinkItem file = MakeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataPassive);
    ASSERT_EQ(m_client.Connect(file, m_log.log), kResultOk) << m_log.Text();
    ASSERT_EQ(m_client.GetRemoteFileInfo(file, m_log.log), kResultOk) << m_log.Text();
    int64_t size = 0;
    file.GetInt64(LI_SIZE, size);
    EXPECT_EQ(size, 5000);

    CLinkItem folder = MakeRequest(m_server.Port(), "/pub", CFtpClient::kDataPassive);
    std::string listing;
    ASSERT_EQ(DownloadToMemory(m_client, folder, listing, m_log.log), kResultOk) << m_log.Text();
    EXPECT_NE(listing.find("data.bin"), std::string::npos) << listing;

    // The next job on the same connection: its type is not yet known, so
    // the download asks for the size first.
    CLinkItem next = MakeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataPassive);
    std::string body;
    ASSERT_EQ(DownloadToMemory(m_client, next, body, m_log.log), kResultOk) << m_log.Text();
    EXPECT_TRUE(body == ScriptedDataBin()) << body.size() << " bytes";
    EXPECT_FALSE(m_log.Has("SIZE not allowed")) << m_log.Text();
    EXPECT_EQ(ServerCount("CMD USER"), 1);
    EXPECT_EQ(ServerCount("CMD TYPE I"), 2);
    EXPECT_EQ(ServerCount("CMD TYPE A"), 1);
}

// A text file that is resumed (the job marks such files ASCII) resumes in
// binary mode: the local part holds the server's bytes, and the server
// refuses a restart in ASCII mode.
TEST_F(FtpClientScripted, TextFileResumesInBinaryMode)
{
    ASSERT_TRUE(m_server.Start({"ascii-strict"}));
    CTempFolder local;
    const std::string path = local / "small.txt";
    CLinkItem request =
        MakeResumeRequest(m_server.Port(), "/pub/small.txt", CFtpClient::kDataPassive, path, "he", true);
    ASSERT_EQ(m_client.Connect(request, m_log.log), kResultOk) << m_log.Text();
    ASSERT_EQ(m_client.DownloadToFile(request, m_log.log, nullptr), kResultOk) << m_log.Text();
    EXPECT_EQ(ReadWhole(path), "hello");
    EXPECT_EQ(ServerCount("CMD REST 2"), 1);
    EXPECT_EQ(ServerCount("CMD TYPE A"), 0);
    EXPECT_TRUE(m_log.Has("Resuming in binary mode")) << m_log.Text();
}

// The server closing the data connection before the size it announced and
// then saying all went well: the file is short, and that is a failure.
TEST_F(FtpClientScripted, DataClosedBeforeTheAnnouncedSizeFails)
{
    const struct
    {
        const char* name;
        bool announce; // the "150" reply names the size
        bool askSize;  // GetRemoteFileInfo (SIZE) runs first
        int64_t offset;
        int result;
        const char* logged;
    } cases[] = {
        {"150 announces", true, false, CFtpClient::kNoOffset, kResultDataClosed,
         "bytes expected 5000, received 10."},
        {"150 announces, resumed", true, false, 100, kResultDataClosed, "bytes expected 4900, received 10."},
        {"SIZE announces", false, true, CFtpClient::kNoOffset, kResultDataClosed,
         "bytes expected 5000, received 10."},
        {"SIZE announces, resumed", false, true, 100, kResultDataClosed, "bytes expected 4900, received 10."},
        // Nothing announced: the closing data connection ends the body.
        {"nothing announced", false, false, CFtpClient::kNoOffset, kResultOk, nullptr},
    };
    for (const auto& c : cases)
    {
        CScriptedFtpServer server;
        ASSERT_TRUE(c.announce ? server.Start({"early-close", "announce"}) : server.Start({"early-close"}));
        CFtpClient client;
        client.SetServices({.m_settings = &TestSettings(), .m_prompts = &m_silentQueue});
        LogRef log;
        CLinkItem request = MakeRequest(server.Port(), "/pub/data.bin", CFtpClient::kDataPassive);
        ASSERT_EQ(client.Connect(request, log.log), kResultOk) << c.name;
        if (c.askSize)
        {
            ASSERT_EQ(client.GetRemoteFileInfo(request, log.log), kResultOk) << c.name;
        }
        else
            request.SetInt(LI_RESOURCE_TYPE, 1);
        CByteBuffer buffer;
        CMemorySink sink(&buffer);
        EXPECT_EQ(client.Download(request, sink, c.offset, -1, log.log, nullptr), c.result) << c.name << "\n"
                                                                                            << log.Text();
        EXPECT_EQ(buffer.GetLength(), 10) << c.name;
        if (c.logged)
        {
            EXPECT_TRUE(log.Has(c.logged)) << c.name << "\n" << log.Text();
        }
        // The closing reply was read: the connection is still in step.
        EXPECT_TRUE(client.CheckIdleConnection()) << c.name;
    }
}

// "Connections/Connection Timeout" bounds every wait of both connections: a
// reply that never comes, a data connection that stays silent or is never
// opened.
TEST_F(FtpClientScripted, ConnectionTimeoutSettingBoundsBothConnections)
{
    CPropertySet settings;
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 1);
    // Far below the default of 60 s, with room for the sweep and a slow machine.
    const auto bound = std::chrono::seconds(15);
    const struct
    {
        const char* mode;
        int dataType;
        int result;
    } cases[] = {
        {"stall", CFtpClient::kDataPassive, kResultTimeout},
        {"data-stall", CFtpClient::kDataPassive, kResultTimeout},
        {"data-stall", CFtpClient::kDataActive, kWsaTimedOut},
    };
    for (const auto& c : cases)
    {
        CScriptedFtpServer server;
        ASSERT_TRUE(server.Start({c.mode}));
        CFtpClient client;
        client.SetServices({.m_settings = &settings, .m_prompts = &m_silentQueue});
        LogRef log;
        CLinkItem request = MakeRequest(server.Port(), "/pub/data.bin", c.dataType);
        const auto start = std::chrono::steady_clock::now();
        std::string body;
        EXPECT_EQ(DownloadToMemory(client, request, body, log.log), c.result) << c.mode << "\n" << log.Text();
        EXPECT_LT(std::chrono::steady_clock::now() - start, bound) << c.mode << " " << c.dataType;
    }
}

// In active mode anyone may reach the client's listening port; only the
// server delivers the file.
TEST_F(FtpClientScripted, ActiveDataConnectionIsTakenOnlyFromTheServer)
{
    ASSERT_TRUE(m_server.Start({"port-intruder"}));
    CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataActive);
    std::string body;
    ASSERT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kResultOk) << m_log.Text();
    EXPECT_TRUE(body == ScriptedDataBin()) << body.size() << " bytes";
    EXPECT_TRUE(m_log.Has("Connection from 127.0.0.2:")) << m_log.Text();
    EXPECT_TRUE(m_log.Has("refused: only 127.0.0.1 may connect.")) << m_log.Text();
}

// A long listing arrives whole, and only its head is copied into the log.
TEST_F(FtpClientScripted, LongListingIsNotCopiedWholeIntoTheLog)
{
    ASSERT_TRUE(m_server.Start({"long-listing"}));
    CLinkItem folder = MakeRequest(m_server.Port(), "/pub", CFtpClient::kDataPassive);
    std::string listing;
    ASSERT_EQ(DownloadToMemory(m_client, folder, listing, m_log.log), kResultOk) << m_log.Text();
    // ftp_faults_server.py LONG_LISTING_LINES.
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 6000);
    EXPECT_NE(listing.find("file05999.bin"), std::string::npos);
    const std::string text = m_log.Text();
    EXPECT_NE(text.find("file00000.bin"), std::string::npos);
    EXPECT_EQ(text.find("file05999.bin"), std::string::npos);
    EXPECT_LT(text.size(), static_cast<size_t>(kMaxLoggedBodySize) + 8192);
    EXPECT_TRUE(
        m_log.Has(Format("Listing longer than %d bytes: the rest is not logged.", kMaxLoggedBodySize)));
}

TEST_F(FtpClientScripted, ShortDataIsNeverASuccess)
{
    ASSERT_TRUE(m_server.Start({"short-data"}));
    // Unknown length and no size announced (the type is known, so no SIZE
    // is asked): the server's "426" closing reply tells.
    CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", CFtpClient::kDataPassive);
    request.SetInt(LI_RESOURCE_TYPE, 1);
    std::string body;
    EXPECT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kResultFtp4xx) << m_log.Text();
    EXPECT_EQ(body, ScriptedDataBin().substr(0, 10));
    // Known length: the byte count tells.
    body.clear();
    EXPECT_EQ(DownloadToMemory(m_client, request, body, m_log.log, 100, 5000), kResultDataClosed);
    EXPECT_TRUE(m_log.Has("Transfer aborted: connection closed by server, bytes expected 5000, received 10."))
        << m_log.Text();
    EXPECT_EQ(body, ScriptedDataBin().substr(100, 10));
}

TEST_F(FtpClientScripted, DownloadsThroughSocks5)
{
    ASSERT_TRUE(m_server.Start({"normal"}));
    CMicrosocksServer proxy;
    ASSERT_TRUE(proxy.Start());
    m_client.SetProxyKey("socks5://127.0.0.1:" + std::to_string(proxy.Port()));
    for (int type : {CFtpClient::kDataPassive, CFtpClient::kDataActive})
    {
        CLinkItem request = MakeRequest(m_server.Port(), "/pub/data.bin", type);
        std::string body;
        ASSERT_EQ(DownloadToMemory(m_client, request, body, m_log.log), kResultOk) << m_log.Text();
        EXPECT_TRUE(body == ScriptedDataBin());
    }
    // The control connection went to the proxy, never to the server itself.
    EXPECT_TRUE(m_log.Has(Format("Connecting to 127.0.0.1:%d...", proxy.Port()))) << m_log.Text();
    EXPECT_FALSE(m_log.Has(Format("Connecting to 127.0.0.1:%d...", m_server.Port()))) << m_log.Text();
}

} // namespace
