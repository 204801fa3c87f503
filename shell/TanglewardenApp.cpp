#include "shell/TanglewardenApp.h"

#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/KeywordSets.h"
#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/FileAssociation.h"
#include "foundation/desktop/FileBrowsing.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/Registry.h"
#include "platform/ui/FrameWnd.h"
#include "dialogs/FavoritesDlg.h"
#include "dialogs/SelectActionDlg.h"
#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/ShowSettingsDialog.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/CacheDlg.h"
#include "dialogs/CookiesDlg.h"
#include "dialogs/PasswordsDlg.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/desktop/ShellHelpers.h"
#include "foundation/stores/Favorites.h"
#include "foundation/stores/PasswordStore.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TanglewardenTemplate.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "shell/TransferQueueFrame.h"
#include "shell/TextWindows.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/jobs/TransferManager.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/View.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "shell/AppGlobals.h"
#include "shell/HelpFile.h"
#include "shell/QuitOnSignal.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenTemplate.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QPixmap>
#include <QString>

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace
{
// The start-up actions of "Layout/Program Start Event".
enum StartupAction
{
    kStartNothing = 0,
    kStartNewDocument = 1,
    kStartFavorites = 2,
    kStartSettings = 3,
    kStartPasswords = 4,
};

// The running application, for the foundation's hooks (plain functions).
CTanglewardenApp* g_runningApp = nullptr;

void OpenTaskWindow(const CPropertySet& settings)
{
    if (!g_runningApp || !g_runningApp->GetDocManager())
        return;
    CTaskSettings task;
    settings.Visit(task); // through the task's setters, so the filter keys reach its filter
    g_runningApp->GetDocManager()->NewTaskDocument(&task);
}

int ShowFavoritesOfRunningApp(CPropertySet& task)
{
    if (!g_runningApp)
        return IDCANCEL;
    return RunFavoritesDlg(task, g_runningApp->GetTaskDialogContext(), &GetPasswordStore(),
                           [] { return SavePasswordStore(); }, g_runningApp->GetMainWindow());
}
} // namespace

CTanglewardenApp::CTanglewardenApp()
{
    OnCommand(ID_FILE_NEW, [this] { m_docManager->OnFileNew(); });
    OnUpdateCommand(ID_FILE_NEW, [this](CCmdUI& ui) { ui.Enable(m_docManager && m_docManager->HasNewActionPrompt()); });
    OnCommand(ID_FILE_OPEN, [this] { m_docManager->OnFileOpen(); });
    OnUpdateCommand(ID_FILE_OPEN, [this](CCmdUI& ui) { ui.Enable(m_docManager != nullptr); });
    OnCommand(ID_APP_EXIT, [this] {
        if (m_mainFrame)
            m_mainFrame->close();
    });
    OnCommand(ID_VIEW_TRANSFER_QUEUE, [this] { ToggleTransferQueue(); });
    OnUpdateCommand(ID_VIEW_TRANSFER_QUEUE, [this](CCmdUI& ui) {
        ui.Enable(HasTransferQueueWindow());
        ui.SetCheck(TransferQueueIsOpen() ? 1 : 0);
    });
    OnCommand(ID_SHOW_TRANSFER_QUEUE, [this] { ShowTransferQueue(); });
    // The Settings dialog is the application's command, so a window built
    // later (or a test) can take it over with RegisterCommand.
    OnCommand(ID_TOOLS_SETTINGS, [this] {
        CSettingsContext context;
        context.m_settings = &GetSettings();
        context.m_passwords = &GetPasswordStore();
        context.m_saveSettings = [] { return SaveAllSettings(); };
        context.m_settingsChanged = [this] {
            (void)PostMessageToAllWindows(m_mainFrame ? CWidgetWindow::HandleOf(m_mainFrame) : nullptr,
                                          kSettingsChangedMessage, 0, 0);
        };
        ShowSettingsDialog(context);
    });
    // The stores' dialogs write their store's file as soon as the user's
    // changes are made, so a crash later does not lose them.
    OnCommand(ID_TOOLS_PASSWORDS, [] { RunPasswordsDialog(GetPasswordStore(), [] { return SavePasswordStore(); }); });
    OnCommand(ID_TOOLS_COOKIES, [] { RunCookiesDialog(GetCookieStore(), [] { return SaveCookieStore(); }); });
    OnCommand(ID_TOOLS_CACHE, [] { ShowCacheDialog(GetSettings().GetStringValue(SETTING_MISC_CACHE_FOLDER)); });
    OnCommand(ID_APP_ABOUT, [] {
        CAppIdentity& identity = GetAppIdentity();
        ShowAboutDialog(identity.GetString(CAppIdentity::kProduct), identity.GetString(CAppIdentity::kVersion),
                        GetSettings().GetStringValue(SETTING_IDENTITY_WEB_SITE));
    });
    OnUpdateCommand(ID_SHOW_TRANSFER_QUEUE, [this](CCmdUI& ui) { ui.Enable(HasTransferQueueWindow()); });
    // The favourites run through the foundation's hook, which opens the task
    // the dialog ends with.
    OnCommand(ID_TOOLS_FAVORITES, [] { RunFavoritesDialog(); });
}

CTanglewardenApp::~CTanglewardenApp()
{
    ExitInstance();
}

void CTanglewardenApp::RegisterCommand(UINT id, std::function<void()> handler, std::function<void(CCmdUI&)> update)
{
    OnCommand(id, std::move(handler));
    if (update)
        OnUpdateCommand(id, std::move(update));
}

void CTanglewardenApp::AddWindowRegistration(WindowRegistration registration)
{
    m_registrations.push_back(std::move(registration));
}

bool CTanglewardenApp::InitInstance(const std::vector<std::string>& args)
{
    // Qt took the user's locale for everything at its start; numbers stay in
    // the "C" form.
    std::setlocale(LC_NUMERIC, "C");
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    m_lifetime = std::make_unique<InitInstanceBroadcast>(ShutdownGlobals);
    CAppIdentity& identity = GetAppIdentity();
    identity.SetString(CAppIdentity::kCompany, "Quorvat Software");
    identity.SetString(CAppIdentity::kWebSite, "https://tanglewarden.quorvat.example/");
    identity.SetString(CAppIdentity::kEmail, "support@quorvat.example");
    identity.SetString(CAppIdentity::kWebPage1, "https://tanglewarden.quorvat.example/news");
    identity.SetString(CAppIdentity::kWebPage2, "https://tanglewarden.quorvat.example/help");
    identity.SetString(CAppIdentity::kProduct, "Tanglewarden");
    identity.SetString(CAppIdentity::kVersion, "1.4.0");
    SetMessageBoxCaption(LoadResourceString(IDR_MAINFRAME));

    (void)m_smallImages.AddStrip(LoadBitmapResource(IDB_LINKS_SMALL));
    (void)m_largeImages.AddStrip(LoadBitmapResource(IDB_LINKS_LARGE));
    RegisterSettings();
    RegisterTaskKeys();
    InitKeywordSets(true);
    InitGlobalsAtStart();

    CPropertySet& settings = GetSettings();
    m_docManager = std::make_unique<CTanglewardenDocManager>(settings);
    m_docManager->LoadRecentFileList(GetRegistry(), identity.GetRegistryPath("Recent File List"),
                                     static_cast<size_t>(std::max(0, GetIntOr(settings, SETTING_MISC_MAX_MRU_SIZE))));

    const std::string downloadFolder = settings.GetStringValue(SETTING_MISC_DOWNLOAD_FOLDER);
    if (!downloadFolder.empty())
        (void)CreateDirectoryTree(downloadFolder);
    (void)RegisterFileAssociation(".vbb", GetModulePath(), "XVebb");

    m_commandLine = CCommandLineInfo();
    m_commandLine.Parse(args);

    m_docManager->CreateDocTemplates([this](CDocument& document) -> CFrameWnd* {
        // A document window of its kind with the layer's plain view until the
        // kind's own view is registered.
        if (!m_mainFrame)
            return nullptr;
        const auto* docTemplate = dynamic_cast<const CTanglewardenTemplate*>(document.GetDocTemplate());
        CTanglewardenFrame* child =
            CTanglewardenFrame::MakeForKind(docTemplate ? docTemplate->GetKind() : 0, &GetSettings());
        if (!child)
            return nullptr;
        auto* view = new CView(child);
        child->setCentralWidget(view);
        document.AddView(view);
        m_mainFrame->AddChild(child);
        child->OnCreate();
        return child;
    });

    CreateMainFrame();
    if (!m_mainFrame)
        return false;
    if (CTransferManager* manager = GetTransferManager())
        RegisterTransferQueueWindow(*this, *manager);
    RegisterTextWindows(*m_docManager, [this] { return m_mainFrame; }, settings, GetLogManager());
    // File New asks with the Select New Action dialog; the task it gives goes
    // the way of every new task (NewTaskDocument). A registration may
    // replace the prompt.
    m_docManager->SetNewActionPrompt([this](CTaskSettings& task) {
        CSelectActionDlg dialog(GetTaskDialogContext(), m_mainFrame);
        if (dialog.DoModal() != IDOK)
            return false;
        task = dialog.m_task;
        return true;
    });
    for (const WindowRegistration& registration : m_registrations)
        registration(*this);

    if (GetIntOr(settings, SETTING_MISC_FIRST_LAUNCH) == 0)
    {
        settings.SetInt(SETTING_MISC_FIRST_LAUNCH, 1);
        settings.SetInt(SETTING_LAYOUT_PROGRAM_START_EVENT, kStartNewDocument);
    }

    // With a start-up action the window is placed hidden and shown once the
    // action (which may run a dialog) is done.
    const int action = GetIntOr(settings, SETTING_LAYOUT_PROGRAM_START_EVENT);
    const bool hiddenStart = m_commandLine.m_nShellCommand == CCommandLineInfo::FileNew &&
                             action >= kStartNewDocument && action <= kStartPasswords;
    RestoreWindowPlacement(settings, m_mainFrame, SETTING_LAYOUT_MAIN_FRAME, hiddenStart ? kShowHidden : kShowNormal,
                           false);
    m_mainFrame->LoadRememberedStrings();
    m_mainFrame->FillAddressHistory();

    g_runningApp = this;
    SetOpenTaskDocumentHook(OpenTaskWindow);
    SetFavoritesDialogHook(ShowFavoritesOfRunningApp);
    const WindowHandle mainWindow = CWidgetWindow::Attach(m_mainFrame);
    SetPromptWindow(mainWindow);
    m_lifetime->SetReceiverWindow(mainWindow);
    if (!m_filterInstalled)
    {
        qApp->installEventFilter(this);
        m_filterInstalled = true;
    }

    if (GetIntOr(settings, SETTING_STARTUP_QUEUE) != 0 && HasTransferQueueWindow())
        m_docManager->NewDocumentOfKind(kKindTransferQueue);

    if (m_commandLine.m_nShellCommand == CCommandLineInfo::FileOpen)
    {
        if (!m_docManager->OpenDocumentFile(m_commandLine.m_strFileName))
        {
            const QString text = QString(LoadResourceString(IDS_CANNOT_OPEN_DOCUMENT))
                                     .replace("%s", QString::fromStdString(m_commandLine.m_strFileName));
            AfxMessageBox(text.toStdString(), MB_OK | MB_ICONERROR);
            return false;
        }
    }
    else
    {
        RunStartupAction();
    }

    if (hiddenStart)
        m_mainFrame->show();
    return true;
}

void CTanglewardenApp::RunStartupAction()
{
    switch (GetIntOr(GetSettings(), SETTING_LAYOUT_PROGRAM_START_EVENT))
    {
    case kStartNewDocument: m_docManager->OnFileNew(); break;
    // A command whose window is not built yet is disabled and does nothing;
    // start-up goes on either way.
    case kStartFavorites: m_mainFrame->ExecuteCommand(ID_TOOLS_FAVORITES); break;
    case kStartSettings: m_mainFrame->ExecuteCommand(ID_TOOLS_SETTINGS); break;
    case kStartPasswords: m_mainFrame->ExecuteCommand(ID_TOOLS_PASSWORDS); break;
    default: break;
    }
}

void CTanglewardenApp::CreateMainFrame()
{
    CMainFrame::CHooks hooks;
    hooks.m_openTask = [](const CPropertySet& task) { OpenTaskWindow(task); };
    hooks.m_closeAllOfKind = [this](int kind) { m_docManager->CloseAllOfKind(kind); };
    hooks.m_closeAllDocuments = [this] { m_docManager->CloseAllDocuments(); };
    hooks.m_winHelp = [this](unsigned data, unsigned command) { WinHelp(data, command); };
    hooks.m_editTaskProperties = [this](CTaskSettings& task) {
        return EditLinkProperties(task, GetTaskDialogContext(), m_mainFrame);
    };
    hooks.m_prompts = &GetPromptQueue();
    auto* frame = new CMainFrame(GetSettings(), std::move(hooks));
    const QImage icon = LoadIconResource(IDI_MAINFRAME);
    if (!icon.isNull())
        frame->setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    frame->SetApplicationTarget(this);
    if (!frame->OnCreate())
    {
        delete frame;
        return;
    }
    m_mainFrame = frame;
}

int CTanglewardenApp::ExitInstance()
{
    if (!m_lifetime && !m_mainFrame && !m_docManager)
        return 0; // never started, or already shut down
    if (m_filterInstalled)
    {
        qApp->removeEventFilter(this);
        m_filterInstalled = false;
    }
    if (g_runningApp == this)
    {
        SetOpenTaskDocumentHook(nullptr);
        SetFavoritesDialogHook(nullptr);
        g_runningApp = nullptr;
    }
    if (m_docManager)
        m_docManager->CloseAllDocuments();
    delete m_mainFrame;
    m_mainFrame = nullptr;
    m_docManager.reset();
    InitKeywordSets(false);
    // Saves the settings and stores (each save tells the other copies), then
    // announces that this copy ends.
    m_lifetime.reset();
    return 0;
}

int CTanglewardenApp::Run(const std::vector<std::string>& args)
{
    const bool running = InitInstance(args);
    int code = 1;
    if (running)
    {
        CQuitOnSignal quitOnSignal;
        code = QApplication::exec();
    }
    const int exitCode = ExitInstance();
    return running ? (code != 0 ? code : exitCode) : 1;
}

CTaskDialogContext CTanglewardenApp::GetTaskDialogContext()
{
    CTaskDialogContext context;
    context.m_settings = &GetSettings();
    context.m_saveSettings = [] { return SaveAllSettings(); };
    context.m_showSettings = [this] { ExecuteCommand(ID_TOOLS_SETTINGS); };
    return context;
}

void CTanglewardenApp::WinHelp(unsigned, unsigned)
{
    (void)OpenHelpFile();
}

bool CTanglewardenApp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const auto* posted = static_cast<const CPostedMessageEvent*>(event);
        (void)OnInstanceBroadcast(posted->Message(), m_mainFrame ? CWidgetWindow::HandleOf(m_mainFrame) : nullptr);
    }
    return QObject::eventFilter(watched, event);
}

bool CTanglewardenApp::HasTransferQueueWindow() const
{
    CTanglewardenTemplate* docTemplate = m_docManager ? m_docManager->FindTemplateOfKind(kKindTransferQueue) : nullptr;
    return docTemplate && docTemplate->HasWindow();
}

bool CTanglewardenApp::TransferQueueIsOpen() const
{
    return m_docManager && !m_docManager->GetDocumentsOfKind(kKindTransferQueue).empty();
}

void CTanglewardenApp::ToggleTransferQueue()
{
    if (TransferQueueIsOpen())
        m_docManager->CloseAllOfKind(kKindTransferQueue);
    else
        m_docManager->NewDocumentOfKind(kKindTransferQueue);
}

void CTanglewardenApp::ShowTransferQueue()
{
    if (CTanglewardenDoc* open = m_docManager->FindDocumentOfKind(-1, true, kKindTransferQueue))
        ActivateDocumentFrame(*open);
    else
        m_docManager->NewDocumentOfKind(kKindTransferQueue);
}

std::string BrowseForPath(const std::string& path, bool folder)
{
    return BrowseForFile(folder, path, false, nullptr, folder ? LoadResourceString(IDS_SELECT_FOLDER) : "", "");
}
