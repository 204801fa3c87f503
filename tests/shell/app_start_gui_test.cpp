// The application object from start to shutdown, in a temporary home: what
// start-up writes, the start-up actions, a document named on the command
// line (and one that cannot be opened; a project is checked in its task
// window), the transfer-queue command and help.

#include "foundation/desktop/ShellHooks.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/DataFolderFile.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/SelectActionDlg.h"
#include "dialogs/TaskWizardDlg.h"
#include "platform/core/Archive.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/View.h"
#include "res/ResourceIds.h"
#include "shell/LinkTreeFrame.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TanglewardenTemplate.h"
#include "shell/TransferQueueFrame.h"
#include "shell/TransferQueueView.h"

#include "tests/support/FileContents.h"
#include "tests/support/ProgramHome.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <clocale>
#include <filesystem>
#include <ftw.h>

namespace
{
std::vector<std::string>* g_files = nullptr;

int CollectFile(const char* path, const struct stat* info, int type, struct FTW*)
{
    if (type == FTW_F && S_ISREG(info->st_mode))
        g_files->push_back(path);
    return 0;
}

std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    g_files = &files;
    ::nftw(folder.c_str(), CollectFile, 16, FTW_PHYS);
    g_files = nullptr;
    return files;
}

class AppStartTest : public ::testing::Test
{
protected:
    void SetUp() override { EnterProgramHome(m_env, m_temp); }
    void TearDown() override
    {
        m_app.reset();
        LeaveProgramHome();
    }

    // Settings as a previous run left them in the registry.
    void StoreSettings(const std::vector<std::pair<int, int>>& values)
    {
        ASSERT_TRUE(StorePreviousRunSettings([&values](CPropertySet& settings) {
            for (const auto& [id, value] : values)
                settings.SetInt(id, value);
        }));
    }

    CTanglewardenApp& App()
    {
        if (!m_app)
            m_app = std::make_unique<CTanglewardenApp>();
        return *m_app;
    }

    std::string ProjectFile(const std::string& name, const std::string& url)
    {
        CPropertySet settings;
        CTaskSettings task(url);
        CTanglewardenDoc document(settings);
        document.SetTask(&task);
        const std::string path = m_temp / name;
        EXPECT_TRUE(document.OnSaveDocument(path));
        return path;
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CRecordingModalDriver m_driver;
    CScriptedFilePicker m_picker;
    CRecordingLauncher m_launcher;
    std::unique_ptr<CTanglewardenApp> m_app;
};

TEST_F(AppStartTest, AFirstStartRegistersTheFileTypeWritesNothingElseAndSavesAtExit)
{
    std::setlocale(LC_NUMERIC, "C.utf8");
    ASSERT_TRUE(App().InitInstance({}));
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

    CMDIFrameWnd* frame = App().GetMainWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "Tanglewarden");
    EXPECT_FALSE(frame->menuBar()->actions().isEmpty()) << "the main menu of the resources";
    EXPECT_EQ(App().GetSmallImages().GetImageCount(), 27);
    EXPECT_EQ(App().GetLargeImages().GetImageCount(), 27);
    EXPECT_EQ(App().GetLargeImages().GetIconSize(), QSize(32, 32));

    bool desktopEntry = false;
    bool mimePackage = false;
    for (const std::string& file : FilesBelow(m_temp.Path()))
    {
        const bool allowed = file.rfind(m_temp / "data/applications/", 0) == 0 ||
                             file.rfind(m_temp / "data/mime/", 0) == 0;
        EXPECT_TRUE(allowed) << file << " written at start-up";
        desktopEntry |= file == m_temp / "data/applications/xvebb.desktop";
        mimePackage |= file == m_temp / "data/mime/packages/xvebb.xml";
    }
    EXPECT_TRUE(desktopEntry);
    EXPECT_TRUE(mimePackage);

    // The first start asks for a new document as its action from now on.
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_MISC_FIRST_LAUNCH), 1);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_LAYOUT_PROGRAM_START_EVENT), 1);
    EXPECT_TRUE(m_driver.Boxes().empty());

    App().ExitInstance();
    const std::string registry = ReadWhole(m_temp / "config/Quorvat Software/Tanglewarden/registry.txt");
    EXPECT_NE(registry.find("First Launch"), std::string::npos) << registry;
    EXPECT_FALSE(ReadWhole(m_temp / "data/Quorvat Software/Tanglewarden/Settings.xml").empty());
}

// Actions 2 to 4 send their command to the main window while it is still
// hidden; it is shown once the command returns.
TEST_F(AppStartTest, StartUpActionsSendTheirCommandsBeforeTheWindowShows)
{
    const std::pair<int, UINT> cases[] = {
        {2, ID_TOOLS_FAVORITES}, {3, ID_TOOLS_SETTINGS}, {4, ID_TOOLS_PASSWORDS}};
    for (const auto& [action, command] : cases)
    {
        StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}, {SETTING_LAYOUT_PROGRAM_START_EVENT, action}});
        std::vector<UINT> sent;
        bool visibleDuringCommand = true;
        for (UINT id : {ID_TOOLS_FAVORITES, ID_TOOLS_SETTINGS, ID_TOOLS_PASSWORDS})
        {
            App().RegisterCommand(id, [&, id] {
                sent.push_back(id);
                visibleDuringCommand = App().GetMainWindow()->isVisible();
            });
        }
        ASSERT_TRUE(App().InitInstance({}));
        EXPECT_EQ(sent, std::vector<UINT>{command}) << action;
        EXPECT_FALSE(visibleDuringCommand) << action;
        EXPECT_TRUE(App().GetMainWindow()->isVisible()) << action;
        m_app.reset();
    }
}

TEST_F(AppStartTest, ActionNothingRunsNoCommandAndStartUpGoesOn)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}, {SETTING_LAYOUT_PROGRAM_START_EVENT, 0}});
    std::vector<UINT> sent;
    for (UINT id : {ID_TOOLS_FAVORITES, ID_TOOLS_SETTINGS, ID_TOOLS_PASSWORDS, ID_FILE_NEW})
        App().RegisterCommand(id, [&sent, id] { sent.push_back(id); });
    ASSERT_TRUE(App().InitInstance({}));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(App().GetMainWindow()->isVisible());
    EXPECT_EQ(App().GetDocManager()->GetOpenDocumentCount(), 0u);
}

// The stores' dialogs, the Cache dialog and the About box are the
// application's commands; action 4 runs the Passwords dialog at start-up.
TEST_F(AppStartTest, StoreCacheAndAboutCommandsRunTheirDialogs)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}, {SETTING_LAYOUT_PROGRAM_START_EVENT, 4}});
    std::vector<std::string> ran;
    m_driver.SetDialogScript([&](QDialog& dialog) { ran.emplace_back(dialog.metaObject()->className()); });
    ASSERT_TRUE(App().InitInstance({}));
    EXPECT_EQ(ran, std::vector<std::string>{"CPasswordsDlg"});
    CMDIFrameWnd* frame = App().GetMainWindow();
    const std::pair<UINT, const char*> cases[] = {{ID_TOOLS_PASSWORDS, "CPasswordsDlg"},
                                                  {ID_TOOLS_COOKIES, "CCookiesDlg"},
                                                  {ID_TOOLS_CACHE, "CCacheDlg"},
                                                  {ID_APP_ABOUT, "CAboutDlg"}};
    for (const auto& [command, dialog] : cases)
    {
        ran.clear();
        EXPECT_TRUE(frame->QueryCommandState(command).IsEnabled()) << dialog;
        ASSERT_TRUE(frame->ExecuteCommand(command)) << dialog;
        EXPECT_EQ(ran, std::vector<std::string>{dialog});
    }
    EXPECT_TRUE(m_driver.Boxes().empty());
}

TEST_F(AppStartTest, AProjectFileOnTheCommandLineOpensItsTaskInsteadOfTheAction)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}, {SETTING_LAYOUT_PROGRAM_START_EVENT, 3}});
    bool settingsRan = false;
    App().RegisterCommand(ID_TOOLS_SETTINGS, [&] { settingsRan = true; });
    const std::string path = ProjectFile("site.vbb", "https://example.test/site/");
    ASSERT_TRUE(App().InitInstance({path}));
    EXPECT_FALSE(settingsRan);
    const std::vector<CTanglewardenDoc*> tasks = App().GetDocManager()->GetDocumentsOfKind(kKindTask);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->GetTask()->GetUrl(), "https://example.test/site/");
    EXPECT_EQ(tasks[0]->GetPathName(), path);
    EXPECT_EQ(App().GetDocManager()->GetRecentFiles(), std::vector<std::string>{path});
}

TEST_F(AppStartTest, AProjectFileOnTheCommandLineIsCheckedInItsTaskWindow)
{
    std::filesystem::create_directories(m_temp / "site");
    WriteWhole(m_temp / "site/index.html", "<a href=\"a.html\">a</a> <a href=\"gone.html\">gone</a>\n");
    WriteWhole(m_temp / "site/a.html", "<a href=\"index.html\">home</a>\n");
    const std::string start = m_temp / "site/index.html";
    const std::string project = m_temp / "site.vbb";
    {
        CPropertySet settings;
        CTaskSettings task(start);
        task.SetInt(TASK_RECURSION, 3);
        CTanglewardenDoc document(settings);
        document.SetTask(&task);
        ASSERT_TRUE(document.OnSaveDocument(project));
    }

    App().AddWindowRegistration(CLinkTreeFrame::RegisterTaskWindow);
    ASSERT_TRUE(App().InitInstance({project}));
    const std::vector<CTanglewardenDoc*> tasks = App().GetDocManager()->GetDocumentsOfKind(kKindTask);
    ASSERT_EQ(tasks.size(), 1u);
    CLinkTreeView* tree = CLinkTreeFrame::FindTreeView(*tasks[0]);
    ASSERT_NE(tree, nullptr) << "the task window holds the link tree";
    CLinkChecker& engine = tree->GetEngine();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.GetLinkCount() > 1 && !engine.IsRunning(); }, 60000));

    ASSERT_EQ(engine.GetLinkCount(), 4); // the root, a.html, gone.html, a.html's link home
    EXPECT_EQ(engine.GetNodeAt(0)->m_state, kStateDownloaded);
    int broken = 0;
    for (int i = 0; i < engine.GetLinkCount(); ++i)
        broken += engine.GetNodeAt(i)->m_state == kStateBroken ? 1 : 0;
    EXPECT_EQ(broken, 1);
    ASSERT_FALSE(GetHistoryList().empty());
    EXPECT_EQ(GetHistoryList().front(), start);
    QCoreApplication::processEvents();
    EXPECT_EQ(tree->GetTreeCtrl().GetItemText(tree->GetTreeCtrl().GetRootItem()), start);
    auto* frame = dynamic_cast<CTanglewardenFrame*>(tree->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetFrameTitle(), start);
    EXPECT_TRUE(m_driver.Boxes().empty());
    App().ExitInstance();
}
TEST_F(AppStartTest, APasswordTakenFromAStartAddressIsSavedToTheStoresFileAtOnce)
{
    // Port 9 on this host refuses: the check ends at once, the password
    // must be in the file already, not only at exit.
    const std::string project = ProjectFile("login.vbb", "http://user:pw@127.0.0.1:9/");
    App().AddWindowRegistration(CLinkTreeFrame::RegisterTaskWindow);
    ASSERT_TRUE(App().InitInstance({project}));
    const std::vector<CTanglewardenDoc*> tasks = App().GetDocManager()->GetDocumentsOfKind(kKindTask);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->GetTask()->GetUrl(), "http://user@127.0.0.1:9/");

    const std::string file = GetDataFolderFilePath(kPasswordFileName);
    ASSERT_FALSE(file.empty());
    CPasswordStore saved;
    ASSERT_TRUE(saved.Load(file, "")) << "the store's file was written when the task started";
    std::string password;
    EXPECT_TRUE(saved.Get("http://user@127.0.0.1:9", password));
    EXPECT_EQ(password, "pw");
    App().ExitInstance();
}

TEST_F(AppStartTest, AFavouriteOpensItsTaskWindowWhileTheProgramRuns)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}});
    ASSERT_TRUE(App().InitInstance({}));
    CTaskSettings favourite("https://example.test/favourite/");
    favourite.SetInt(TASK_RECURSION, 2);
    OpenTaskDocument(favourite);
    const std::vector<CTanglewardenDoc*> tasks = App().GetDocManager()->GetDocumentsOfKind(kKindTask);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->GetTask()->GetUrl(), "https://example.test/favourite/");
    EXPECT_EQ(GetIntOr(*tasks[0]->GetTask(), TASK_RECURSION), 2);

    App().ExitInstance();
    OpenTaskDocument(favourite); // after shutdown: nobody to open it, and no crash
}

TEST_F(AppStartTest, ADocumentThatCannotBeOpenedIsNamedAndTheProgramEndsWithAFailure)
{
    const std::string path = m_temp / "gone/missing.vbb";
    EXPECT_EQ(App().Run({path}), 1);
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Cannot open the document \"" + path + "\".");
    EXPECT_EQ(App().GetMainWindow(), nullptr) << "shut down";
}

TEST_F(AppStartTest, TheTransferQueueCommandWaitsForItsWindowAndOpensItBeforeTheAction)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1},
                   {SETTING_LAYOUT_PROGRAM_START_EVENT, 3},
                   {SETTING_STARTUP_QUEUE, 1}});
    bool queueOpenAtAction = false;
    App().RegisterCommand(ID_TOOLS_SETTINGS, [&] {
        queueOpenAtAction = !App().GetDocManager()->GetDocumentsOfKind(kKindTransferQueue).empty();
    });
    App().AddWindowRegistration([](CTanglewardenApp& app) {
        app.GetDocManager()->FindTemplateOfKind(kKindTransferQueue)->SetFrameFactory([&app](CDocument& document) {
            auto* child = new CMDIChildWnd;
            auto* view = new CView(child);
            child->setCentralWidget(view);
            document.AddView(view);
            app.GetMainWindow()->AddChild(child);
            return child;
        });
    });
    ASSERT_TRUE(App().InitInstance({}));
    EXPECT_TRUE(queueOpenAtAction);
    CMDIFrameWnd* frame = App().GetMainWindow();
    EXPECT_EQ(frame->QueryCommandState(ID_VIEW_TRANSFER_QUEUE).GetCheck(), 1);

    ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_TRANSFER_QUEUE));
    EXPECT_TRUE(App().GetDocManager()->GetDocumentsOfKind(kKindTransferQueue).empty()) << "the toggle closes it";
    EXPECT_EQ(frame->QueryCommandState(ID_VIEW_TRANSFER_QUEUE).GetCheck(), 0);
    ASSERT_TRUE(frame->ExecuteCommand(ID_SHOW_TRANSFER_QUEUE));
    EXPECT_EQ(App().GetDocManager()->GetDocumentsOfKind(kKindTransferQueue).size(), 1u);
}

TEST_F(AppStartTest, TheProgramsOwnQueueWindowOpensAtStartAndTheToggleClosesIt)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}, {SETTING_STARTUP_QUEUE, 1}});
    ASSERT_TRUE(App().InitInstance({}));
    CMDIFrameWnd* frame = App().GetMainWindow();
    EXPECT_TRUE(frame->QueryCommandState(ID_VIEW_TRANSFER_QUEUE).IsEnabled());
    ASSERT_EQ(App().GetDocManager()->GetDocumentsOfKind(kKindTransferQueue).size(), 1u);
    CTransferQueueView* view = GetTransferQueueWnd();
    ASSERT_NE(view, nullptr);
    auto* queueFrame = dynamic_cast<CTransferQueueFrame*>(view->GetParentFrame());
    ASSERT_NE(queueFrame, nullptr);
    EXPECT_EQ(queueFrame->GetFrameTitle(), "Transfers");
    // The toolbar's buttons carry the Item menu's texts.
    QStringList buttons;
    for (QAction* action : queueFrame->GetToolBar()->actions())
    {
        if (!action->isSeparator())
            buttons.push_back(action->toolTip());
    }
    EXPECT_EQ(buttons, (QStringList{"Show Log", "Resume Selected", "Resume All", "Stop Selected", "Stop All",
                                    "Refresh"}));
    // The strip's magenta around each picture is cut out, as on the main
    // toolbar.
    for (QAction* action : queueFrame->GetToolBar()->actions())
    {
        if (action->isSeparator())
            continue;
        const QImage image = action->icon().pixmap(QSize(16, 16)).toImage();
        ASSERT_FALSE(image.isNull()) << action->toolTip().toStdString();
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << action->toolTip().toStdString();
    }

    ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_TRANSFER_QUEUE));
    QTRY_VERIFY(GetTransferQueueWnd() == nullptr);
    EXPECT_TRUE(App().GetDocManager()->GetDocumentsOfKind(kKindTransferQueue).empty());
}

TEST_F(AppStartTest, HelpOpensTheFileWithTheDesktopOrSaysItIsMissing)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}});
    ASSERT_TRUE(App().InitInstance({}));
    App().WinHelp(0, 0);
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Help file not found!");
    EXPECT_EQ(m_driver.Boxes()[0].m_type & MB_ICONMASK, MB_ICONERROR);
    EXPECT_TRUE(m_launcher.m_opened.empty());

    const std::string help = m_temp / "Tanglewarden.chm";
    WriteWhole(help, "help");
    GetSettings().SetString(SETTING_HELP_FILE_PATH, help.c_str());
    App().WinHelp(0x1234, 1);
    EXPECT_EQ(m_launcher.m_opened, std::vector<std::string>{help});
    EXPECT_EQ(m_driver.Boxes().size(), 1u);
}
// The main window's quick-connect properties and help go through the
// application's Link properties dialog and help file.
TEST_F(AppStartTest, QuickConnectPropertiesAndHelpReachTheApplication)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}});
    ASSERT_TRUE(App().InitInstance({}));
    CMainFrame* frame = App().GetMainWindow();
    frame->GetUrlCombo()->setEditText("https://example.test/");
    std::string shownUrl;
    m_driver.SetDialogScript([&](QDialog& shown) {
        if (auto* properties = dynamic_cast<CLinkPropertiesDlg*>(&shown))
            shownUrl = properties->m_task.GetUrl();
    });
    ASSERT_TRUE(frame->ExecuteCommand(ID_QC_PROPERTIES));
    EXPECT_EQ(shownUrl, "https://example.test/");
    ASSERT_TRUE(frame->ExecuteCommand(ID_HELP_CONTENTS));
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Help file not found!");
}

// File New: the Select New Action dialog and the wizard make a task, which
// opens through the document manager as an opened project does: a task
// window whose task the starter receives, the same task the project file
// holds.
TEST_F(AppStartTest, FileNewOpensTheWizardsTaskAsAnOpenedProjectWouldBe)
{
    StoreSettings({{SETTING_MISC_FIRST_LAUNCH, 1}});
    std::vector<CTanglewardenDoc*> started;
    App().AddWindowRegistration([&](CTanglewardenApp& app) {
        app.GetDocManager()->SetTaskStarter([&](CTanglewardenDoc& document) { started.push_back(&document); });
    });
    ASSERT_TRUE(App().InitInstance({}));
    CMDIFrameWnd* frame = App().GetMainWindow();
    EXPECT_TRUE(frame->QueryCommandState(ID_FILE_NEW).IsEnabled());

    const auto click = [](QWidget* button) { qobject_cast<QPushButton*>(button)->click(); };
    m_driver.SetDialogScript([&](QDialog& shown) {
        if (auto* select = dynamic_cast<CSelectActionDlg*>(&shown))
        {
            select->GetList()->SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            click(select->GetDlgItem(IDOK));
        }
        else if (auto* wizard = dynamic_cast<CTaskWizardDlg*>(&shown))
        {
            click(wizard->GetDlgItem(IDC_WIZARD_NEXT));
            auto* url = qobject_cast<QLineEdit*>(wizard->GetCurrentPage()->GetDlgItem(IDC_WIZARD_URL));
            url->setText("https://example.test/site/");
            emit url->textEdited(url->text());
            click(wizard->GetDlgItem(IDC_WIZARD_NEXT));
            qobject_cast<QLineEdit*>(wizard->GetCurrentPage()->GetDlgItem(IDC_WIZARD_RECURSION))->setText("3");
            click(wizard->GetDlgItem(IDC_WIZARD_NEXT));
        }
    });
    ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_NEW));
    std::vector<CTanglewardenDoc*> tasks = App().GetDocManager()->GetDocumentsOfKind(kKindTask);
    ASSERT_EQ(tasks.size(), 1u);
    ASSERT_EQ(started, tasks);
    CTaskSettings& made = *tasks[0]->GetTask();
    EXPECT_EQ(made.GetUrl(), "https://example.test/site/");
    EXPECT_EQ(GetIntOr(made, TASK_RECURSION), 3);

    CTaskSettings expected("https://example.test/site/");
    expected.SetInt(TASK_RECURSION, 3);
    expected.SetString(TASK_NAME, "https://example.test/site/");
    CTanglewardenDoc saved(GetSettings());
    saved.SetTask(&expected);
    const std::string path = m_temp / "site.vbb";
    ASSERT_TRUE(saved.OnSaveDocument(path));
    ASSERT_TRUE(App().GetDocManager()->OpenDocumentFile(path));
    tasks = App().GetDocManager()->GetDocumentsOfKind(kKindTask);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(started, tasks);
    CArchive fromWizard;
    CArchive fromFile;
    ASSERT_TRUE(made.Serialize(fromWizard));
    ASSERT_TRUE(tasks[1]->GetTask()->Serialize(fromFile));
    EXPECT_EQ(fromWizard.Data(), fromFile.Data());
}
} // namespace
