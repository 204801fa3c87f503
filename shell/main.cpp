// The program: a Qt application and the application object, which does the
// rest.
#include "platform/ui/QtDesktopServices.h"
#include "shell/LinkTreeFrame.h"
#include "shell/TanglewardenApp.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1))
        args.push_back(arg.toStdString());
    // The desktop services are the real ones only here; tests install recorders.
    InstallQtDesktopServices();
    CTanglewardenApp app;
    app.AddWindowRegistration(CLinkTreeFrame::RegisterTaskWindow);
    return app.Run(args);
}
