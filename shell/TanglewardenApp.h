#pragma once
// CTanglewardenApp: the one application object. InitInstance brings the
// program up in a fixed order (identity, settings keys, services, the
// recent-file list, the download folder, the file type, the document
// manager and its templates, the main window, the start-up action);
// ExitInstance takes it down again, saving settings and stores and telling
// the other running copies. It also hands every posted broadcast of another
// copy to OnInstanceBroadcast before the message is handled, and opens help.
//
// The main window is CMainFrame (shell/MainFrame.h) with its bars.
//
// Other parts of the program that open a task window for a task (a
// favourite chosen in the Favourite Sites dialog) reach it through the
// foundation's OpenTaskDocument while the application runs.
//
// Commands of the application (the last target of every command route):
// File New (the Select New Action dialog, whose task opens through the
// document manager as an opened project does), File Open, Exit, Help
// Contents, the transfer-queue toggle and show. A window built later adds its own commands with RegisterCommand; a
// command nobody handles stays disabled.
//
// Qt changes the numeric locale when it starts; InitInstance sets LC_NUMERIC
// back to "C" so that numbers are written and read the same everywhere.
//
// UI thread only. Construct after the QApplication and after the desktop
// services (platform/core/DesktopServices.h) are installed.

#include "platform/ui/CmdTarget.h"
#include "platform/ui/ImageList.h"

#include "dialogs/TaskDialogContext.h"
#include "shell/CommandLineInfo.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class CTanglewardenDocManager;
class InitInstanceBroadcast;

// Asks the user for a local file, or with folder for a folder (titled
// "Select folder"), starting from path (BrowseForFile); the chosen path,
// empty when cancelled.
std::string BrowseForPath(const std::string& path, bool folder);

class CTanglewardenApp : public QObject, public CCmdTarget
{
    Q_OBJECT

public:
    CTanglewardenApp();
    ~CTanglewardenApp() override;
    CTanglewardenApp(const CTanglewardenApp&) = delete;
    CTanglewardenApp& operator=(const CTanglewardenApp&) = delete;

    // Adds a command of the application (before or after InitInstance); a
    // later registration of an id replaces the earlier one.
    void RegisterCommand(UINT id, std::function<void()> handler, std::function<void(CCmdUI&)> update = {});

    // Runs once the templates and the main window exist and before the
    // start-up action: where a window built later registers its frame
    // factory, the Select New Action prompt and its commands. Add before
    // InitInstance.
    using WindowRegistration = std::function<void(CTanglewardenApp& app)>;
    void AddWindowRegistration(WindowRegistration registration);

    // args: the command line without the program's name. False when the
    // program is to end at once: the main window could not be made, or the
    // document the command line names could not be opened (after a message
    // naming it).
    bool InitInstance(const std::vector<std::string>& args);
    // Closes every window and shuts the services down; safe to call twice.
    // Returns the exit code.
    int ExitInstance();
    // InitInstance, the event loop, ExitInstance: the process's exit code
    // (1 when InitInstance refused to run).
    int Run(const std::vector<std::string>& args);

    CTanglewardenDocManager* GetDocManager() const { return m_docManager.get(); }
    CMainFrame* GetMainWindow() const { return m_mainFrame; }
    const CCommandLineInfo& GetCommandLine() const { return m_commandLine; }
    // The link icons the frames and views share: 16 and 32 pixels square.
    const CImageList& GetSmallImages() const { return m_smallImages; }
    const CImageList& GetLargeImages() const { return m_largeImages; }

    // What the task dialogs (New Task, the wizard, Link properties) are given:
    // the live settings, saving them, and the Settings command.
    CTaskDialogContext GetTaskDialogContext();

    // Opens the help file with the desktop ("Help file not found!" without
    // one). data and command are the context; the desktop has no contexts,
    // so every request opens the whole file.
    void WinHelp(unsigned data, unsigned command);

protected:
    // Hands each posted message to the broadcast receiver first; never
    // consumes it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMainFrame();
    void RunStartupAction();
    void ToggleTransferQueue();
    void ShowTransferQueue();
    bool HasTransferQueueWindow() const;
    bool TransferQueueIsOpen() const;

    std::vector<WindowRegistration> m_registrations;
    std::unique_ptr<InitInstanceBroadcast> m_lifetime;
    std::unique_ptr<CTanglewardenDocManager> m_docManager;
    CMainFrame* m_mainFrame = nullptr;
    CCommandLineInfo m_commandLine;
    CImageList m_smallImages{16, 16};
    CImageList m_largeImages{32, 32};
    bool m_filterInstalled = false;
};
