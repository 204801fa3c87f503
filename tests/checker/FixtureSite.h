#pragma once
// The fixture site of tests/fixtures/checker/site on real servers: its www/
// part served by nginx on 127.0.0.1 and 127.0.0.2 and its ftp/ part by
// vsftpd, with the placeholders of its pages filled in. Used by the engine's
// checks of the site and by the task window's checks of it.

#include "foundation/text/Escaping.h"

#include "tests/servers/FtpServer.h"
#include "tests/servers/NginxServer.h"
#include "tests/servers/ServerProcess.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

inline const std::string kSiteFolder = std::string(TW_FIXTURES_DIR) + "/checker/site";

// Placeholders of the fixture's pages and lists (and of the tables of its tests).
//   @PORT@ nginx's port (on 127.0.0.1 and 127.0.0.2), @FTP@ vsftpd's port,
//   @REFUSED@ a port where connections are refused;
//   @WEB@ "http://127.0.0.1:@PORT@", @OTHER@ "http://127.0.0.2:@PORT@",
//   @FTPURL@ "ftp://127.0.0.1:@FTP@", @ROOT@ the local copy of www/.
class CFixtureSite
{
public:
    void Start()
    {
        CNginxServer::Options options;
        options.m_moreAddresses = {"127.0.0.2"};
        options.m_serverConfig = ReadWhole(kSiteFolder + "/server.conf");
        ASSERT_TRUE(m_web.Start(options)) << m_web.ErrorLog();
        ASSERT_TRUE(m_ftp.Start());
        ASSERT_NE(m_refused.Port(), 0);
        CopyTree("www", [&](const std::string& path, const std::string& text) {
            return m_web.WriteDocument(path, text);
        });
        CopyTree("ftp", [&](const std::string& path, const std::string& text) {
            return m_ftp.WriteFile(m_ftp.AnonRoot(), path, text);
        });
    }

    std::string Fill(std::string text) const
    {
        const std::pair<std::string, std::string> values[] = {
            {"@WEB@", "http://127.0.0.1:@PORT@"},
            {"@OTHER@", "http://127.0.0.2:@PORT@"},
            {"@FTPURL@", "ftp://127.0.0.1:@FTP@"},
            {"@ROOT@", m_web.DocumentRoot()},
            {"@PORT@", std::to_string(m_web.HttpPort())},
            {"@FTP@", std::to_string(m_ftp.Port())},
            {"@REFUSED@", std::to_string(m_refused.Port())},
        };
        for (const auto& [name, value] : values)
        {
            for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
                text.replace(at, name.size(), value);
        }
        return text;
    }

    // The file a URL of the site names (its path percent-decoded), or the
    // local path itself; empty for other URLs.
    std::string ServedFile(const std::string& url) const
    {
        const std::pair<std::string, std::string> roots[] = {
            {Fill("@WEB@/"), m_web.DocumentRoot() + "/"},
            {Fill("@OTHER@/"), m_web.DocumentRoot() + "/"},
            {Fill("@FTPURL@/"), m_ftp.AnonRoot() + "/"},
        };
        for (const auto& [prefix, folder] : roots)
        {
            if (url.starts_with(prefix))
                return folder + UnescapeChars(url.substr(prefix.size()), '%');
        }
        return url.starts_with("/") ? url : std::string();
    }

    std::string Root() const { return m_web.DocumentRoot(); }
    std::string AccessLog() const { return m_web.AccessLog(); }

private:
    template <typename Write>
    void CopyTree(const std::string& part, Write write)
    {
        namespace fs = std::filesystem;
        const fs::path from = kSiteFolder + "/" + part;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(from))
        {
            if (!entry.is_regular_file())
                continue;
            ASSERT_TRUE(write(fs::relative(entry.path(), from).string(), Fill(ReadWhole(entry.path().string()))));
        }
    }

    CNginxServer m_web;
    CVsftpdServer m_ftp;
    CDeadTcpPort m_refused;
};
