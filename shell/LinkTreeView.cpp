#include "shell/LinkTreeView.h"

#include "checker/LinkNames.h"
#include "checker/LinkStats.h"
#include "checker/LinkStatus.h"
#include "checker/TaskSettings.h"
#include "dialogs/StartUrl.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/Text.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "platform/ui/WindowTimers.h"
#include "res/Resources.h"
#include "shell/LinkListPane.h"
#include "shell/LinkTaskStart.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TextWindows.h"
#include "transfer/base/LogRegistry.h"
#include "widgets/WaitDlg.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>

#include <QPointer>
#include <QScrollBar>
#include <QTimer>

// An editor document opened from a link: it tells this view when it goes.
class CLinkTreeView::CAttachedDocument : public ITaskDocumentView
{
public:
    CAttachedDocument(CLinkTreeView& view, CTanglewardenDoc& document) : m_view(view), m_document(document)
    {
        m_document.AttachTaskView(this);
    }
    void DetachDocument() override { m_view.DetachDocument(&m_document); }
    // The view goes first: the document forgets it, and its editor stops
    // asking this view's engine for link states (another task window's
    // engine, which a later Edit gave the page, stays).
    void Release()
    {
        m_document.DetachTaskView(this);
        StopColoringEditorLinksByEngine(m_document, m_view.m_engine.get());
    }
    CTanglewardenDoc* Document() const { return &m_document; }

private:
    CLinkTreeView& m_view;
    CTanglewardenDoc& m_document;
};

CLinkTreeView::CLinkTreeView(const CLinkTreeViewServices& services, QWidget* parent)
    : CView(parent), m_services(services), m_engine(std::make_unique<CLinkChecker>(services.m_engine))
{
    // Pages always show; other types are hidden until "Show all Tree Items";
    // links of unknown type show.
    m_filter.Init();
    m_filter.m_pageMode = CLinkViewFilter::kAlwaysShown;
    m_filter.m_fileMode = CLinkViewFilter::kNeverShown;
    m_filter.m_type0Mode = CLinkViewFilter::kAlwaysShown;
    if (m_services.m_logs)
        m_reportLogId = m_services.m_logs->CreateLog();

    m_tree = new CTreeCtrl(this);
    m_tree->setObjectName("linkTree");
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    setFocusProxy(m_tree);
    m_tree->installEventFilter(this);

    connect(m_tree, &CTreeCtrl::itemDeleting, this, [](HTREEITEM, DWORD_PTR data) { delete InfoOf(data); });
    connect(m_tree, &CTreeCtrl::itemExpandedChanged, this, &CLinkTreeView::OnItemExpanded);
    connect(m_tree, &CTreeCtrl::selectionChanged, this,
            [this](HTREEITEM, HTREEITEM, int cause) { OnSelectionChanged(cause); });
    connect(m_tree, &CTreeCtrl::itemActivatedByUser, this, [this](HTREEITEM) { (void)GoToLink(); });
    connect(m_tree, &CTreeCtrl::contextMenuRequested, this, [this](HTREEITEM item, const QPoint& at) {
        if (HTREEITEM target = m_tree->GetDropHilightItem() ? m_tree->GetDropHilightItem() : item)
            m_tree->SelectItem(target);
        ShowContextMenu(at);
    });

    // Scrolling shows other items: they are brought up to date.
    connect(m_tree->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { RefreshTree(false); });

    m_timers = new CWindowTimers(this, [this](UINT_PTR id) { OnTimer(id); });
    (void)CWidgetWindow::Attach(this);
    AddCommands();
}

CLinkTreeView::~CLinkTreeView()
{
    Shutdown();
    // The items' copies go with the items, before the tree widget goes.
    m_tree->DeleteAllItems();
}

void CLinkTreeView::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (m_timerId != 0)
        m_timers->KillTimer(m_timerId);
    m_timerId = 0;
    // No progress is posted from here on, and the engine's thread has ended
    // before anything of this view goes.
    m_engine->SetProgressCallback(nullptr, 0);
    m_engine->Stop();
    for (const auto& attached : m_attached)
        attached->Release();
    m_attached.clear();
    if (m_services.m_logs && m_reportLogId != 0)
        (void)m_services.m_logs->ReleaseLog(m_reportLogId);
    m_reportLogId = 0;
}

void CLinkTreeView::OnInitialUpdate()
{
    if (const CImageList* images = m_tree->GetImageList(); !images)
    {
        static CImageList s_icons(16, 16);
        if (s_icons.IsEmpty())
            (void)s_icons.AddStrip(LoadBitmapResource(IDB_LINKS_SMALL));
        m_tree->SetImageList(&s_icons);
    }
    m_engine->SetProgressCallback(
        [](std::intptr_t window) { (void)PostEngineProgress(window); },
        reinterpret_cast<std::intptr_t>(CWidgetWindow::HandleOf(this)));
    m_timerId = m_timers->SetTimer(kStatisticsTimer, kStatisticsPeriodMs);
    CView::OnInitialUpdate();
}

int CLinkTreeView::PostEngineProgress(std::intptr_t window)
{
    auto handle = reinterpret_cast<WindowHandle>(window);
    if (!handle || !IsWindow(handle))
        return 0;
    return PostMessage(handle, WM_ENGINE_PROGRESS, 0, 0) ? 1 : 0;
}

// ---- Messages -----------------------------------------------------------------

bool CLinkTreeView::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        OnPostedMessage(message.m_message, message.m_wParam, message.m_lParam);
        return true;
    }
    return CView::event(event);
}

void CLinkTreeView::OnPostedMessage(uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (m_shutDown)
        return; // a late message for a view that is closing
    switch (message)
    {
    case WM_ENGINE_PROGRESS: OnEngineProgress(); break;
    case WM_END_WAIT:
        if (m_waitDialog)
            m_waitDialog->EndDialog(IDCANCEL);
        else
            EndOfRunRefresh();
        break;
    case WM_START_TASK: (void)StartTask(true); break;
    case WM_TREE_EXPAND: {
        // Only an item still in the tree: it may have gone since the post.
        auto* item = reinterpret_cast<HTREEITEM>(wParam);
        for (HTREEITEM walk = m_tree->GetRootItem(); walk; walk = NextItem(walk))
        {
            if (walk == item)
            {
                m_tree->Expand(item, static_cast<UINT>(lParam));
                break;
            }
        }
        break;
    }
    case WM_TREE_SELECT: (void)SelectLink(static_cast<int>(wParam)); break;
    case kSettingsChangedMessage:
        m_engine->TouchAllLinks();
        RefreshTree(false);
        break;
    default: break;
    }
}

void CLinkTreeView::OnEngineProgress()
{
    // Every further progress message already queued says nothing new.
    (void)CWidgetWindow::RemovePendingMessages(CWidgetWindow::HandleOf(this), WM_ENGINE_PROGRESS);
    // The last call of a run comes while its thread is still leaving: the
    // run's own state says whether it ended, not the thread's.
    if (m_engine->IsRunning() && !m_engine->IsRunFinished())
    {
        RefreshTree(false);
        FillList(kDeferredFillMs);
        return;
    }
    if (m_reportPause)
        m_reportPause->quit();
    if (m_waitDialog)
        m_waitDialog->EndDialog(IDCANCEL);
    else
        EndOfRunRefresh();
}

void CLinkTreeView::EndOfRunRefresh()
{
    m_engine->TouchAllLinks();
    RefreshTree(false);
    FillList(0);
}

void CLinkTreeView::FillList(int delayMs)
{
    if (m_list)
        m_list->FillList(delayMs, false);
}

void CLinkTreeView::OnTimer(UINT_PTR id)
{
    if (id != kStatisticsTimer || !m_statisticsSink)
        return;
    CLinkStats stats;
    stats.Touch();
    m_engine->GetStatistics(stats);
    m_statisticsSink(stats);
}

bool CLinkTreeView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress)
    {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        {
            if (!GoToLink())
            {
                HTREEITEM item = m_tree->GetSelectedItem();
                const CLinkInfo* info = ItemInfo(item);
                if (info && info->m_state == kStateDownloaded && m_tree->GetChildItem(item))
                    m_tree->Expand(item, TVE_TOGGLE);
            }
            return true;
        }
    }
    return CView::eventFilter(watched, event);
}

void CLinkTreeView::OnActivateView(bool activate, CView* activated, CView* deactivated)
{
    CView::OnActivateView(activate, activated, deactivated);
    if (activate)
        UpdateTitle();
}

// ---- Starting -----------------------------------------------------------------

bool CLinkTreeView::StartTask(bool closeOnFailure)
{
    auto* document = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    const auto fail = [&] {
        if (closeOnFailure)
            CloseTaskWindowLater();
        return false;
    };
    if (!document || !document->GetTask())
        return fail();

    std::string url = document->GetTask()->GetUrl();
    if (url.empty() && m_services.m_newTaskPrompt)
    {
        CTaskSettings task(*document->GetTask());
        if (!m_services.m_newTaskPrompt(task))
            return fail();
        document->SetTask(&task);
        document->SetModifiedFlag(true);
        url = document->GetTask()->GetUrl();
    }

    const CStartAddress start = PrepareStartAddress(url);
    if (!start.m_valid)
    {
        AfxMessageBox(InvalidUrlMessage(start.m_invalid), MB_OK | MB_ICONERROR);
        return fail();
    }
    if (!start.m_passwordKey.empty() && m_services.m_passwords &&
        m_services.m_passwords->Set(start.m_passwordKey, start.m_password) && m_services.m_savePasswords)
        (void)m_services.m_savePasswords(); // a failed save keeps the old file; the check goes on
    document->GetTask()->SetString(TASK_URI, start.m_url.c_str());

    if (m_services.m_addToHistory)
        m_services.m_addToHistory(start.m_url);

    if (!m_engine->SetTaskSettings(*document->GetTask()) || !m_engine->Start())
        return fail();

    for (QWidget* walk = parentWidget(); walk; walk = walk->parentWidget())
    {
        if (auto* frame = dynamic_cast<CTanglewardenFrame*>(walk))
        {
            frame->SetFrameTitle(document->GetDisplayName(), 0);
            break;
        }
    }
    UpdateTitle();
    return true;
}

void CLinkTreeView::CloseTaskWindowLater()
{
    // The outermost frame around the pane is the task window.
    QWidget* window = nullptr;
    for (QWidget* walk = parentWidget(); walk; walk = walk->parentWidget())
    {
        if (dynamic_cast<CFrameWnd*>(walk))
            window = walk;
        if (dynamic_cast<CMDIChildWnd*>(walk))
            break;
    }
    if (!window)
        return;
    QPointer<QWidget> target(window);
    QTimer::singleShot(0, window, [target] {
        if (auto* child = dynamic_cast<CMDIChildWnd*>(target.data()))
            child->MDIDestroy();
        else if (target)
            target->close();
    });
}

void CLinkTreeView::UpdateTitle()
{
    auto* document = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    if (!document || !document->GetTask())
        return;
    const bool offline = GetIntOr(*document->GetTask(), TASK_ACTION) == 2;
    document->SetTitle(MakeLinkTreeTitle(GetSelectedUrl(true), m_engine->GetRecursion(), offline));
}

// ---- Attached documents ---------------------------------------------------------

void CLinkTreeView::AttachDocument(CTanglewardenDoc* document)
{
    if (!document || m_shutDown)
        return;
    for (const auto& attached : m_attached)
    {
        if (attached->Document() == document)
            return;
    }
    m_attached.push_back(std::make_unique<CAttachedDocument>(*this, *document));
}

void CLinkTreeView::DetachDocument(CTanglewardenDoc* document)
{
    std::erase_if(m_attached, [document](const auto& attached) { return attached->Document() == document; });
}
