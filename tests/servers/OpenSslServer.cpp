#include "tests/servers/OpenSslServer.h"

#include <gtest/gtest.h>

bool COpenSslServer::Start(const std::string& certificate, const std::string& key,
                           const std::vector<std::string>& extraArgs)
{
    m_port = FreeTcpPort();
    if (m_port == 0)
    {
        ADD_FAILURE() << "no free port for openssl s_server";
        return false;
    }
    std::vector<std::string> argv = {
        "/usr/bin/openssl", "s_server", "-accept", "127.0.0.1:" + std::to_string(m_port), "-www", "-cert",
        certificate,        "-key",     key};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    return m_process.Start(argv, m_port);
}
