#include "tests/servers/TestCertificates.h"

#include "tests/support/FileContents.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

constexpr const char* kOpenSsl = "/usr/bin/openssl";

// One configuration for every step: the CA's database for "openssl ca" and
// the extension sections of each kind of certificate.
constexpr const char* kConfig = R"(
[ req ]
distinguished_name = req_name
prompt = no
[ req_name ]
CN = unused

[ ca ]
default_ca = test_ca
[ test_ca ]
dir = .
database = $dir/index.txt
new_certs_dir = $dir/issued
serial = $dir/serial
certificate = $dir/ca.pem
private_key = $dir/ca.key
default_md = sha256
default_days = 3650
policy = any_name
unique_subject = no
copy_extensions = none
[ any_name ]
commonName = supplied
organizationName = optional

[ ca_ext ]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash

[ server_ext ]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid

[ self_ext ]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1

[ client_ext ]
basicConstraints = CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = clientAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
)";

const std::vector<std::string> kNewEcKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1"};

} // namespace

bool CTestCertificates::Run(const std::string& step, const std::vector<std::string>& args) const
{
    if (::access(kOpenSsl, X_OK) != 0)
    {
        ADD_FAILURE() << kOpenSsl << " is missing (install the openssl package)";
        return false;
    }
    std::vector<std::string> words = {kOpenSsl};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    std::string logPath = m_folder + "/openssl.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, m_folder.c_str());
    pid_t pid = -1;
    int error = ::posix_spawn(&pid, kOpenSsl, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
    {
        ADD_FAILURE() << "cannot start " << kOpenSsl << " for " << step;
        return false;
    }
    int status = 0;
    // openssl reads nothing from its stdin (/dev/null) and ends by itself.
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        ADD_FAILURE() << "openssl failed to make " << step << ":\n" << ReadWhole(logPath);
        return false;
    }
    return true;
}

bool CTestCertificates::MakeRequest(const std::string& name, const std::string& subject,
                                    const std::string& passPhrase) const
{
    std::vector<std::string> args = {"req", "-new", "-config", "test.cnf"};
    args.insert(args.end(), kNewEcKey.begin(), kNewEcKey.end());
    args.insert(args.end(), {"-keyout", name + ".key", "-out", name + ".csr", "-subj", subject});
    if (passPhrase.empty())
        args.push_back("-noenc");
    else
        args.insert(args.end(), {"-passout", "pass:" + passPhrase});
    return Run(name + " request", args);
}

bool CTestCertificates::Sign(const std::string& name, const std::string& extensions,
                             const std::string& startDate, const std::string& endDate) const
{
    std::vector<std::string> args = {"ca",          "-config", "test.cnf",    "-batch",      "-notext", "-in",
                                     name + ".csr", "-out",    name + ".pem", "-extensions", extensions};
    if (!startDate.empty())
        args.insert(args.end(), {"-startdate", startDate, "-enddate", endDate});
    return Run(name + " certificate", args);
}

bool CTestCertificates::Generate(const std::string& folder)
{
    m_folder = folder;
    WriteWhole(m_folder + "/test.cnf", kConfig);
    WriteWhole(m_folder + "/index.txt", "");
    WriteWhole(m_folder + "/serial", "1000\n");
    if (::mkdir((m_folder + "/issued").c_str(), 0700) != 0 && errno != EEXIST)
    {
        ADD_FAILURE() << "cannot make " << m_folder << "/issued";
        return false;
    }

    std::vector<std::string> ca = {"req", "-x509", "-config", "test.cnf", "-extensions", "ca_ext"};
    ca.insert(ca.end(), kNewEcKey.begin(), kNewEcKey.end());
    ca.insert(ca.end(), {"-noenc", "-keyout", "ca.key", "-out", "ca.pem", "-days", "3650", "-subj",
                         "/O=Tanglewarden Tests/CN=Tanglewarden Test CA"});

    std::vector<std::string> self = {"req", "-x509", "-config", "test.cnf", "-extensions", "self_ext"};
    self.insert(self.end(), kNewEcKey.begin(), kNewEcKey.end());
    self.insert(self.end(), {"-noenc", "-keyout", "selfsigned.key", "-out", "selfsigned.pem", "-days", "3650",
                             "-subj", "/O=Self Signed/CN=localhost"});

    return Run("the CA", ca) && MakeRequest("server", "/O=Tanglewarden Tests/CN=localhost") &&
           Sign("server", "server_ext", "", "") &&
           MakeRequest("expired", "/O=Tanglewarden Tests/CN=localhost") &&
           Sign("expired", "server_ext", "200101000000Z", "210101000000Z") &&
           MakeRequest("client", "/O=Tanglewarden Tests/CN=Test Client", kClientPassPhrase) &&
           Sign("client", "client_ext", "", "") && Run("the self-signed certificate", self);
}
