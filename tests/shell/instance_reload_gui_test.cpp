// Two running copies: a second process runs the application object and
// reloads the settings this one saves, tells its windows, and keeps the
// reloaded values when it saves them at its own exit.

#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/Registry.h"
#include "tests/support/ProgramHome.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>

namespace
{
constexpr int kBoundMs = 60000;

class CAppPeer
{
public:
    explicit CAppPeer(const std::string& temp)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(TW_APP_PEER);
        m_process.setWorkingDirectory(QString::fromStdString(temp));
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
    }
    ~CAppPeer()
    {
        if (m_process.state() != QProcess::NotRunning)
        {
            m_process.kill();
            m_process.waitForFinished(kBoundMs);
        }
    }

    bool Start()
    {
        m_process.start();
        return m_process.waitForStarted(kBoundMs) && !WaitFor("ready ").empty();
    }

    // The first line from now on that starts with prefix; empty when it
    // did not come within the bound.
    std::string WaitFor(const std::string& prefix)
    {
        QDeadlineTimer deadline(kBoundMs);
        for (;;)
        {
            while (m_process.canReadLine())
            {
                const std::string line = m_process.readLine().trimmed().toStdString();
                if (line.rfind(prefix, 0) == 0)
                    return line;
            }
            if (deadline.hasExpired() || !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return std::string();
        }
    }

    // Asks it to quit; its exit code, -1 when it did not end within the
    // bound.
    int Quit()
    {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kBoundMs))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
};

class InstanceReloadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnterProgramHome(m_env, m_temp);
        GetAppIdentity().SetString(CAppIdentity::kProduct, "Tanglewarden");
        RegisterSettings();
        LoadSettings();
    }
    void TearDown() override { LeaveProgramHome(); }

    // The value another run would read from the registry file.
    int StoredMaxConnects()
    {
        GetRegistry().SetBackend(nullptr);
        LoadSettings();
        return GetIntOr(GetSettings(), SETTING_CONNECTIONS_MAX_CONNECTS);
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
};

TEST_F(InstanceReloadTest, ASecondCopyReloadsSavedSettingsAndKeepsThemWhenItEnds)
{
    CAppPeer peer(m_temp.Path());
    ASSERT_TRUE(peer.Start()) << "the second copy did not start";
    InitInstanceBroadcast lifetime;
    ASSERT_TRUE(lifetime.IsConnected());
    ASSERT_EQ(GetInstanceCount(), 2);

    GetSettings().SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 7);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(peer.WaitFor("settings-changed "), "settings-changed 7");

    // Its shutdown saves its settings: the reloaded value, not the one it
    // started with.
    EXPECT_EQ(peer.Quit(), 0);
    EXPECT_EQ(peer.WaitFor("exit "), "exit 0");
    EXPECT_EQ(StoredMaxConnects(), 7);
}
} // namespace
