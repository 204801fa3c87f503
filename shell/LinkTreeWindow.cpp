#include "shell/LinkTreeWindow.h"

#include "checker/CrawlTransport.h"
#include "checker/ui/TanglewardenDoc.h"
#include "dialogs/NewTaskDlg.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/ui/SplitterWnd.h"
#include "shell/LinkViewFrame.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TanglewardenTemplate.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/jobs/TransferManager.h"

#include <memory>

namespace
{

CFrameWnd* MakeTaskWindow(CTanglewardenApp& app, CDocument& document)
{
    CMainFrame* main = app.GetMainWindow();
    const CLinkTreeViewServices services = MakeProgramTreeViewServices(app);
    if (!main || !services.m_engine.m_transport)
        return nullptr;
    CTanglewardenFrame* frame = CTanglewardenFrame::MakeForKind(kKindTask, &GetSettings());
    if (!frame)
        return nullptr;
    auto* splitter = new CSplitterWnd(1, 2, frame);
    auto* tree = new CLinkTreeView(services);
    auto* linkView = new CLinkViewFrame;
    linkView->Create(&GetSettings());
    splitter->SetPane(0, 0, tree);
    splitter->SetPane(0, 1, linkView);
    splitter->SetColumnInfo(0, 300, 10);
    splitter->SetColumnInfo(1, 600, 10);
    frame->setCentralWidget(splitter);
    document.AddView(tree);
    frame->SetActiveView(tree, false);
    main->AddChild(frame);
    frame->OnCreate();
    return frame;
}
} // namespace

CLinkTreeViewServices MakeProgramTreeViewServices(CTanglewardenApp& app)
{
    CLinkTreeViewServices services;
    // Each window's engine reaches the program's transfer manager through a
    // transport of its own, which the view keeps.
    if (CTransferManager* manager = GetTransferManager())
    {
        services.m_ownTransport = std::make_shared<CManagerTransport>(*manager, manager->GetInfoCache());
        services.m_engine.m_transport = services.m_ownTransport.get();
    }
    services.m_engine.m_settings = &GetSettings();
    services.m_settings = &GetSettings();
    services.m_passwords = &GetPasswordStore();
    services.m_logs = &GetLogManager();
    services.m_addToHistory = [&app](const std::string& url) {
        AddToHistory(url);
        (void)SaveHistory();
        if (CMainFrame* main = app.GetMainWindow())
            main->FillAddressHistory();
    };
    services.m_newTaskPrompt = [&app](CTaskSettings& task) {
        CNewTaskDlg dialog(app.GetTaskDialogContext(), app.GetMainWindow());
        if (dialog.DoModal() != IDOK)
            return false;
        task = dialog.m_task;
        return true;
    };
    services.m_openTask = [](const CTaskSettings& task) { OpenTaskDocument(task); };
    services.m_openEditor = [&app](const std::string& path) -> CTanglewardenDoc* {
        return app.GetDocManager() ? app.GetDocManager()->OpenEditDocument(path) : nullptr;
    };
    return services;
}

CLinkTreeView* FindLinkTreeView(CDocument& document)
{
    for (CView* view : document.GetViews())
    {
        if (auto* tree = dynamic_cast<CLinkTreeView*>(view))
            return tree;
    }
    return nullptr;
}

void RegisterLinkTreeWindow(CTanglewardenApp& app)
{
    CTanglewardenDocManager* manager = app.GetDocManager();
    if (!manager)
        return;
    if (CTanglewardenTemplate* tasks = manager->FindTemplateOfKind(kKindTask))
        tasks->SetFrameFactory([&app](CDocument& document) { return MakeTaskWindow(app, document); });
    manager->SetTaskStarter([](CTanglewardenDoc& document) {
        if (CLinkTreeView* tree = FindLinkTreeView(document))
            (void)tree->StartTask(true);
    });
}
