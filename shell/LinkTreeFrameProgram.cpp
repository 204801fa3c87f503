// The task window of the running program: CLinkTreeFrame over the
// process-wide services, registered as the frame of task documents, and the
// starter that runs a task as soon as its window is open.

#include "shell/LinkTreeFrame.h"

#include "checker/CrawlTransport.h"
#include "checker/ui/TanglewardenDoc.h"
#include "dialogs/NewTaskDlg.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenTemplate.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/jobs/TransferManager.h"

#include <memory>

namespace
{
CFrameWnd* MakeTaskWindow(CTanglewardenApp& app, CDocument& document)
{
    CMainFrame* main = app.GetMainWindow();
    const CLinkTreeViewServices services = CLinkTreeFrame::MakeProgramServices(app);
    if (!main || !services.m_engine.m_transport)
        return nullptr;
    auto* frame = dynamic_cast<CLinkTreeFrame*>(CTanglewardenFrame::MakeForKind(kKindTask, &GetSettings(), &services));
    if (!frame)
        return nullptr;
    frame->SetSaveSettings([] { return SaveAllSettings(); });
    frame->AttachDocument(document);
    main->AddChild(frame);
    frame->OnCreate();
    frame->OnCreateClient();
    return frame;
}
} // namespace

CLinkTreeViewServices CLinkTreeFrame::MakeProgramServices(CTanglewardenApp& app)
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
    services.m_savePasswords = [] { return SavePasswordStore(); };
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
    services.m_openReport = [&app](int logId, int format, const std::string& title) {
        CTanglewardenDocManager* documents = app.GetDocManager();
        if (CTanglewardenDoc* shown = documents ? documents->OpenReportDocument(logId, format) : nullptr)
            shown->SetTitle(title);
    };
    services.m_reportPrompt = MakeReportPrompt(GetSettings(), [] { return SaveAllSettings(); }, app.GetMainWindow());
    return services;
}

CLinkTreeView* CLinkTreeFrame::FindTreeView(CDocument& document)
{
    for (CView* view : document.GetViews())
    {
        if (auto* tree = dynamic_cast<CLinkTreeView*>(view))
            return tree;
    }
    return nullptr;
}

void CLinkTreeFrame::RegisterTaskWindow(CTanglewardenApp& app)
{
    CTanglewardenDocManager* manager = app.GetDocManager();
    if (!manager)
        return;
    if (CTanglewardenTemplate* tasks = manager->FindTemplateOfKind(kKindTask))
        tasks->SetFrameFactory([&app](CDocument& document) { return MakeTaskWindow(app, document); });
    manager->SetTaskStarter([](CTanglewardenDoc& document) {
        if (CLinkTreeView* tree = FindTreeView(document))
            (void)tree->StartTask(true);
    });
}
