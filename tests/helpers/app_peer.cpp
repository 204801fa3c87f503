// The real application object in a process of its own, for the tests that
// need a second running copy. It starts as the program does (the command
// line is passed on) and reports on stdout, one line each:
//   "ready <pid>"                once start-up is done
//   "settings-changed <n>"       when a window of the main frame is told that
//                                the settings changed, with the value of
//                                "Connections/Max Connects" it then reads
//   "exit <code>"                after shutdown
// The line "quit" on stdin, or its end, ends the event loop.

#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/QtDesktopServices.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/WidgetWindow.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"

#include <QApplication>
#include <QSocketNotifier>

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
void Say(const std::string& line)
{
    std::cout << line << std::endl;
}

// A window inside the main frame that says when it is told the settings
// changed.
class CSettingsProbe : public QWidget
{
public:
    explicit CSettingsProbe(QWidget* parent) : QWidget(parent) { CWidgetWindow::Attach(this); }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == CPostedMessageEvent::EventType() &&
            static_cast<CPostedMessageEvent*>(event)->Message().m_message == kSettingsChangedMessage)
        {
            Say("settings-changed " + GetSettings().GetStringValue(SETTING_CONNECTIONS_MAX_CONNECTS));
            return true;
        }
        return QWidget::event(event);
    }
};
} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    InstallQtDesktopServices();
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1))
        args.push_back(arg.toStdString());

    // Nobody sits in front of this copy: a dialog it opens (the first
    // start's Select New Action) is cancelled at once rather than waiting.
    CRecordingModalDriver unattended;
    CTanglewardenApp app;
    if (!app.InitInstance(args))
    {
        Say("exit " + std::to_string(app.ExitInstance()));
        return 1;
    }
    new CSettingsProbe(app.GetMainWindow());

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0)
        {
            QApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<size_t>(count));
        if (pending.find("quit") != std::string::npos)
            QApplication::quit();
    });
    Say("ready " + std::to_string(::getpid()));
    QApplication::exec();
    const int code = app.ExitInstance();
    Say("exit " + std::to_string(code));
    return code;
}
