#include "foundation/desktop/FileAssociation.h"

#include "foundation/desktop/AppIdentity.h"

#include "tests/support/FileContents.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/XmlLint.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
// Runs a checking program of the desktop on a file; a missing program fails.
::testing::AssertionResult ProgramAccepts(const char* program, const std::string& path,
                                          std::string* output = nullptr)
{
    if (::access(program, X_OK) != 0)
        return ::testing::AssertionFailure() << program << " is missing";
    CTempFolder temp;
    const std::string log = temp / "output.txt";
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::string programText = program;
    std::string file = path;
    char* argv[] = {programText.data(), file.data(), nullptr};
    pid_t pid = 0;
    const int started = ::posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return ::testing::AssertionFailure() << "cannot start " << program;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::string said = ReadWhole(log);
    if (output)
        *output = said;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return ::testing::AssertionFailure() << program << " rejects " << path << ":\n" << said;
    return ::testing::AssertionSuccess();
}

ino_t InodeOf(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class FileAssociationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        m_env.Set("HOME", m_temp / "home");
        m_env.Set("XDG_DATA_HOME", m_temp / "data");
        GetAppIdentity().SetString(CAppIdentity::kProduct, "Tanglewarden");
    }

    std::string Data(const std::string& name) const { return m_temp / ("data/" + name); }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
};

TEST_F(FileAssociationTest, TheTypeIsRegisteredInFormsTheDesktopAccepts)
{
    // A program path that needs quoting and escaping in a desktop entry.
    const std::string program = "/opt/My Apps/$tangle\\warden";
    ASSERT_TRUE(RegisterFileAssociation(".vbb", program, "XVebb"));

    const std::string entry = Data("applications/xvebb.desktop");
    EXPECT_TRUE(ProgramAccepts("/usr/bin/desktop-file-validate", entry));
    const std::string text = ReadWhole(entry);
    EXPECT_NE(text.find("\nExec=\"/opt/My Apps/\\\\$tangle\\\\\\\\warden\" %f\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nMimeType=application/x-xvebb;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nName=Tanglewarden\n"), std::string::npos) << text;

    const std::string package = Data("mime/packages/xvebb.xml");
    EXPECT_TRUE(IsWellFormedXml(package));
    EXPECT_NE(ReadWhole(package).find("<comment>XVebb</comment>"), std::string::npos);

    // The desktop's own tools took both in.
    EXPECT_NE(ReadWhole(Data("mime/globs2")).find("application/x-xvebb:*.vbb"), std::string::npos)
        << "update-mime-database did not run or did not take the package";
    EXPECT_NE(ReadWhole(Data("applications/mimeinfo.cache")).find("application/x-xvebb=xvebb.desktop;"),
              std::string::npos)
        << "update-desktop-database did not run or did not take the entry";
}

TEST_F(FileAssociationTest, ARegistrationThatHoldsAlreadyWritesNothing)
{
    ASSERT_TRUE(RegisterFileAssociation(".vbb", "/usr/bin/tanglewarden", "XVebb"));
    const ino_t entry = InodeOf(Data("applications/xvebb.desktop"));
    const ino_t package = InodeOf(Data("mime/packages/xvebb.xml"));
    ASSERT_NE(entry, 0u);
    ASSERT_TRUE(RegisterFileAssociation(".vbb", "/usr/bin/tanglewarden", "XVebb"));
    EXPECT_EQ(InodeOf(Data("applications/xvebb.desktop")), entry);
    EXPECT_EQ(InodeOf(Data("mime/packages/xvebb.xml")), package);

    // A moved program is written again.
    ASSERT_TRUE(RegisterFileAssociation(".vbb", "/opt/tanglewarden", "XVebb"));
    EXPECT_NE(ReadWhole(Data("applications/xvebb.desktop")).find("Exec=/opt/tanglewarden %f"),
              std::string::npos);
}

TEST_F(FileAssociationTest, MissingDesktopToolsDoNotMakeItFail)
{
    m_env.Set("PATH", m_temp / "empty-path");
    ASSERT_TRUE(RegisterFileAssociation("vbb", "/usr/bin/tanglewarden", "XVebb"));
    EXPECT_NE(ReadWhole(Data("mime/packages/xvebb.xml")).find("<glob pattern=\"*.vbb\"/>"),
              std::string::npos);
    EXPECT_FALSE(ReadWhole(Data("applications/xvebb.desktop")).empty());
}

TEST_F(FileAssociationTest, UnusableTextsAreRefused)
{
    const struct
    {
        const char* m_extension;
        const char* m_command;
        const char* m_type;
    } cases[] = {
        {"", "/usr/bin/tw", "XVebb"},          {".vbb", "", "XVebb"},
        {".vbb", "/usr/bin/tw", ""},           {".", "/usr/bin/tw", "XVebb"},
        {".vbb", "/usr/bin/tw", "../evil"},    {".v*b", "/usr/bin/tw", "XVebb"},
        {".vbb", "/usr/bin/tw\nX=1", "XVebb"}, {".vbb", "/usr/bin/tw", "X Vebb"},
    };
    for (const auto& test : cases)
        EXPECT_FALSE(RegisterFileAssociation(test.m_extension, test.m_command, test.m_type))
            << test.m_extension << " | " << test.m_command << " | " << test.m_type;
    struct stat st
    {
    };
    EXPECT_NE(::stat(Data("applications").c_str(), &st), 0) << "nothing was written";
}

TEST(DesktopExecTest, CommandsBecomeExecValues)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/tanglewarden", "/usr/bin/tanglewarden %f"},
        {"/opt/My Apps/tw", "\"/opt/My Apps/tw\" %f"},
        {"/opt/a\"b`c$d\\e", "\"/opt/a\\\"b\\`c\\$d\\\\e\" %f"},
        {"/opt/100%/tw", "/opt/100%%/tw %f"},
        // A command that holds "%1" already is used as it is.
        {"/usr/bin/tw --open \"%1\"", "/usr/bin/tw --open %f"},
        {"/usr/bin/tw %1 --rate 5%", "/usr/bin/tw %f --rate 5%%"},
    };
    for (const auto& [command, exec] : cases)
        EXPECT_EQ(MakeDesktopExec(command), exec) << command;
}
} // namespace
