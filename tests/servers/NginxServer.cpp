#include "tests/servers/NginxServer.h"

#include "tests/support/FileContents.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{

constexpr const char* kNginx = "/usr/sbin/nginx";

// mkdir -p below an existing folder; false when a part cannot be made.
bool MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

} // namespace

bool CNginxServer::WriteDocument(const std::string& relativePath, const std::string& content)
{
    std::string path = DocumentRoot() + "/" + relativePath;
    size_t slash = path.rfind('/');
    if (!MakeFolders(path.substr(0, slash)))
    {
        ADD_FAILURE() << "cannot make the folder of " << path;
        return false;
    }
    WriteWhole(path, content);
    if (ReadWhole(path) != content)
    {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    return true;
}

std::string CNginxServer::AccessLog() const
{
    return ReadWhole(m_process.Folder() / "access.log");
}

std::string CNginxServer::ErrorLog() const
{
    return ReadWhole(m_process.Folder() / "error.log");
}

std::string CNginxServer::ServerBlock(int port, bool tls, const Options& options) const
{
    std::string block = "    server {\n        listen 127.0.0.1:" + std::to_string(port) +
                        (tls ? " ssl;\n" : ";\n") + "        server_name localhost;\n" + "        root " +
                        DocumentRoot() + ";\n";
    if (!tls)
    {
        for (const std::string& address : options.m_moreAddresses)
            block += "        listen " + address + ":" + std::to_string(port) + ";\n";
    }
    if (tls)
    {
        block += "        ssl_certificate " + options.m_certificate + ";\n";
        block += "        ssl_certificate_key " + options.m_key + ";\n";
        if (!options.m_sslProtocols.empty())
            block += "        ssl_protocols " + options.m_sslProtocols + ";\n";
        if (!options.m_sslCiphers.empty())
            block += "        ssl_ciphers \"" + options.m_sslCiphers + "\";\n";
        if (!options.m_verifyClient.empty())
        {
            block += "        ssl_verify_client " + options.m_verifyClient + ";\n";
            if (!options.m_clientCa.empty())
                block += "        ssl_client_certificate " + options.m_clientCa + ";\n";
        }
    }
    block += options.m_serverConfig;
    block += "\n    }\n";
    return block;
}

bool CNginxServer::Start(const Options& options)
{
    const std::string& folder = m_process.Folder().Path();
    if (folder.empty())
    {
        ADD_FAILURE() << "no temporary folder for nginx";
        return false;
    }
    bool tls = !options.m_certificate.empty() && !options.m_key.empty();
    m_httpPort = FreeTcpPort();
    m_httpsPort = tls ? FreeTcpPort() : 0;
    if (m_httpPort == 0 || (tls && (m_httpsPort == 0 || m_httpsPort == m_httpPort)))
    {
        ADD_FAILURE() << "no free port for nginx";
        return false;
    }
    if (!MakeFolders(DocumentRoot()) || !MakeFolders(folder + "/temp"))
    {
        ADD_FAILURE() << "cannot make the folders of nginx in " << folder;
        return false;
    }

    std::string config = "error_log " + folder + "/error.log info;\n" + "pid " + folder + "/nginx.pid;\n" +
                         "events {\n    worker_connections 64;\n}\n" + "http {\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        config += std::string("    ") + kind + "_temp_path " + folder + "/temp/" + kind + ";\n";
    config += "    types {\n        text/html html htm;\n        text/plain txt;\n"
              "        application/octet-stream bin;\n    }\n"
              "    default_type application/octet-stream;\n"
              "    log_format tw '$remote_addr \"$request\" $status sni=\"$ssl_server_name\" "
              "protocol=\"$ssl_protocol\" client=\"$ssl_client_verify\" dn=\"$ssl_client_s_dn\"';\n"
              "    access_log " +
              folder + "/access.log tw;\n";
    config += options.m_httpConfig;
    config += "\n" + ServerBlock(m_httpPort, false, options);
    if (tls)
        config += ServerBlock(m_httpsPort, true, options);
    config += "}\n";
    std::string configPath = folder + "/nginx.conf";
    WriteWhole(configPath, config);
    if (ReadWhole(configPath) != config)
    {
        ADD_FAILURE() << "cannot write " << configPath;
        return false;
    }

    // -e keeps even the messages before the configuration is read out of
    // /var/log/nginx.
    return m_process.Start({kNginx, "-p", folder + "/", "-c", configPath, "-e", folder + "/error.log", "-g",
                            "daemon off; master_process off;"},
                           m_httpPort);
}
