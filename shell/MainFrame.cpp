#include "shell/MainFrame.h"

#include "checker/TaskSettings.h"
#include "dialogs/StartUrl.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/desktop/ShellHelpers.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/Text.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "shell/AppGlobals.h"
#include "shell/QuickConnectBar.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/ToolbarResources.h"
#include "widgets/Base64Dlg.h"
#include "shell/TransferQueueView.h"
#include "widgets/ChevronReBar.h"
#include "widgets/LoginPromptDlg.h"
#include "widgets/SysColor.h"
#include "widgets/TabbedBar.h"
#include "widgets/WindowHelpers.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <charconv>
#include <tuple>

std::string ShortenPathForTitle(std::string_view text)
{
    constexpr size_t kKeep = 20;
    for (size_t i = text.size(); i-- > 0;)
    {
        if ((text[i] == '/' || text[i] == '\\') && text.size() - i - 1 >= kKeep)
            return "..." + std::string(text.substr(i));
    }
    return std::string(text);
}

CQuickConnectRequest MakeQuickConnectRequest(std::string_view urlText, std::string_view depthText)
{
    CQuickConnectRequest request;
    request.m_url = Trim(urlText);
    const std::string depth = Trim(depthText);
    int value = 0;
    const auto [end, error] = std::from_chars(depth.data(), depth.data() + depth.size(), value);
    if (error == std::errc() && end == depth.data() + depth.size() && value > 0)
        request.m_depth = value;
    return request;
}

namespace
{
// A bar that holds one widget at a fixed place of the main window.
QToolBar* HolderBar(QMainWindow* window, Qt::ToolBarArea area, QWidget* content, const char* name)
{
    auto* holder = new QToolBar(window);
    holder->setObjectName(name);
    holder->setMovable(false);
    holder->setFloatable(false);
    holder->toggleViewAction()->setVisible(false);
    holder->addWidget(content);
    window->addToolBar(area, holder);
    return holder;
}

// The toolbar and the quick-connect bar are bands the user may arrange: side
// by side or one above the other, always along the top of the window.
void AllowMovingAlongTheTop(QToolBar* holder)
{
    holder->setMovable(true);
    holder->setAllowedAreas(Qt::TopToolBarArea);
}

// The menu a child's kind shows; the frame's own for no child or a window
// of no kind.
unsigned MenuIdOf(const CMDIChildWnd* child)
{
    if (const auto* frame = dynamic_cast<const CTanglewardenFrame*>(child))
    {
        for (int kind = kKindTask; kind <= kKindTextEditor; ++kind)
        {
            const CFrameClass* frameClass = CTanglewardenFrame::FindFrameClass(kind);
            if (frameClass && frameClass->m_classIndex == frame->GetClassIndex())
                return GetKindResourceId(kind);
        }
    }
    return IDR_MAINFRAME;
}

// A toolbar button's tooltip: the label of the command's first menu row
// (MenuLabelOf); the fallback when no menu has the command.
QString ToolTipOf(UINT id, const char* fallback)
{
    for (const MenuDesc& menu : GetMenus())
    {
        const QString label = MenuLabelOf(menu, id);
        if (!label.isEmpty())
            return label;
    }
    return QString::fromUtf8(fallback);
}

std::string TitlePrefix(const CMDIChildWnd* child)
{
    const auto* frame = dynamic_cast<const CTanglewardenFrame*>(child);
    switch (frame ? frame->GetClassIndex() : 0)
    {
    case 2: return "Log: ";
    case 3: return "Report: ";
    case 5: return "Edit: ";
    default: return {};
    }
}
} // namespace

std::string FormatBarPlace(const CBarPlace& place)
{
    return std::to_string(place.m_row) + ":" + std::to_string(place.m_order);
}

bool ParseBarPlace(std::string_view text, CBarPlace& place)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    const auto number = [](std::string_view part, int& value) {
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        return error == std::errc() && end == part.data() + part.size() && value >= 0;
    };
    CBarPlace read;
    if (!number(text.substr(0, colon), read.m_row) || !number(text.substr(colon + 1), read.m_order))
        return false;
    place = read;
    return true;
}

std::string ComposeChildTitle(const std::string& title, const CMDIChildWnd* child)
{
    const std::string prefix = TitlePrefix(child);
    return prefix.empty() ? title : prefix + ShortenPathForTitle(title);
}

CMainFrame::CMainFrame(CPropertySet& settings, CHooks hooks)
    : m_settings(settings), m_hooks(std::move(hooks)),
      m_quickTask(std::make_unique<CTaskSettings>(std::string_view(), &settings))
{
    setObjectName("MainFrame");
    setWindowTitle(LoadResourceString(IDR_MAINFRAME));
    AddCommands();
    AddQuickConnectCommands();
}

CMainFrame::~CMainFrame()
{
    // The children go first, while the tabbed bar they remove their tabs
    // from still exists.
    for (CMDIChildWnd* child : GetChildren())
        delete child;
}

void CMainFrame::PreCreateWindow(CCreateStruct& cs)
{
    PlacementToCreateStruct(m_settings.GetStringValue(SETTING_LAYOUT_MAIN_FRAME), cs);
}

bool CMainFrame::OnCreate()
{
    CCreateStruct cs;
    PreCreateWindow(cs);
    if (cs.cx > 0 && cs.cy > 0)
        setGeometry(cs.x, cs.y, cs.cx, cs.cy);
    if (cs.style & CCreateStruct::kStyleMaximize)
        setWindowState(Qt::WindowMaximized);
    else if (cs.style & CCreateStruct::kStyleMinimize)
        setWindowState(Qt::WindowMinimized);

    ShowMenu(IDR_MAINFRAME);
    if (const AcceleratorTableDesc* keys = FindAcceleratorTable(IDR_MAINFRAME))
        Commands().InstallAccelerators(keys->m_keys);
    if (!CreateToolBar() || !CreateQuickConnectBar())
        return false;
    CreateStatusBar();

    m_tabbedBar = new CTabbedBar(this);
    m_tabbedBar->setObjectName("TabbedBar");
    if (!m_tabbedBar->Create(this, ID_VIEW_TABBED_BAR, false))
        return false;
    // The bar spans the window, so every child's tab has room.
    m_tabbedBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_tabbedBar->Strip().SetContextMenu(int(IDM_TAB), [this](int menuId, QWidget*) {
        return BuildPopupMenu(unsigned(menuId));
    });
    m_bottom = HolderBar(this, Qt::BottomToolBarArea, m_tabbedBar, "TabbedBarHolder");

    m_toolHolder->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_TOOLBAR_VISIBLE, 1) != 0);
    statusBar()->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_STATUSBAR_VISIBLE, 1) != 0);
    m_quickHolder->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_QC_VISIBLE, 1) != 0);
    m_bottom->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_TABBEDBAR_VISIBLE, 1) != 0);
    Commands().StartIdleUpdates();
    return true;
}

bool CMainFrame::CreateToolBar()
{
    const ToolbarDesc* desc = FindToolbar(IDR_MAINFRAME);
    const MenuDesc* views = FindMenu(IDM_VIEWS);
    if (!desc || !views)
        return false;
    m_toolBar = new QToolBar;
    m_toolBar->setObjectName("ToolBar");
    Commands().BuildToolBar(m_toolBar, *desc, LoadToolbarIcons(*desc));
    for (QAction* action : m_toolBar->actions())
    {
        if (const UINT id = CCommandActions::CommandId(action))
            action->setToolTip(ToolTipOf(id, id == ID_VIEW_VIEWS ? "Views" : ""));
    }
    // "Views" is a drop-down button: its arrow offers the view types.
    if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(Commands().Action(ID_VIEW_VIEWS))))
    {
        m_viewsMenu = new QMenu(this);
        Commands().BuildMenu(m_viewsMenu, views->m_items);
        button->setMenu(m_viewsMenu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_toolRebar = new CChevronReBar;
    m_toolRebar->setObjectName("ToolRebar");
    m_toolRebar->SetStringSource([](int id) { return std::string(LoadResourceString(UINT(id))); });
    m_toolRebar->AddBar(m_toolBar, 0, {}, CChevronReBar::kBandUseChevron);
    m_toolHolder = HolderBar(this, Qt::TopToolBarArea, m_toolRebar, "ToolRebarHolder");
    AllowMovingAlongTheTop(m_toolHolder);
    addToolBarBreak(Qt::TopToolBarArea);
    return true;
}

bool CMainFrame::CreateQuickConnectBar()
{
    m_quickConnect = new CQuickConnectBar(m_settings, *this);
    if (!m_quickConnect->UrlCombo())
        return false;
    // The bar stretches with the window; its address box takes the width.
    m_quickConnect->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_quickRebar = new CChevronReBar;
    m_quickRebar->setObjectName("QuickRebar");
    m_quickRebar->AddBar(m_quickConnect, -1, {}, 0);
    m_quickHolder = HolderBar(this, Qt::TopToolBarArea, m_quickRebar, "QuickRebarHolder");
    AllowMovingAlongTheTop(m_quickHolder);
    return true;
}

void CMainFrame::CreateStatusBar()
{
    m_messagePane = new QLabel(QStringLiteral("Ready"));
    statusBar()->setObjectName("StatusBar");
    statusBar()->addWidget(m_messagePane, 1);
    // Caps, Num and Scroll Lock cannot be read portably: the panes stay empty.
    for (QLabel*& pane : m_indicators)
    {
        pane = new QLabel;
        pane->setMinimumWidth(40);
        statusBar()->addPermanentWidget(pane);
    }
}

QComboBox* CMainFrame::GetUrlCombo() const
{
    return m_quickConnect ? m_quickConnect->UrlCombo() : nullptr;
}

QLineEdit* CMainFrame::GetDepthEdit() const
{
    return m_quickConnect ? m_quickConnect->DepthEdit() : nullptr;
}

void CMainFrame::LoadRememberedStrings()
{
    m_toolbarLayout = m_settings.GetStringValue(SETTING_LAYOUT_TOOLBAR);
    m_quickConnectLayout = m_settings.GetStringValue(SETTING_LAYOUT_QUICK_CONNECT);
    ApplyBarPlaces();
}

void CMainFrame::ApplyBarPlaces()
{
    if (!m_toolHolder || !m_quickHolder)
        return;
    CBarPlace tool{0, 0};
    CBarPlace quick{1, 0};
    if (!ParseBarPlace(m_toolbarLayout, tool) || !ParseBarPlace(m_quickConnectLayout, quick))
        return; // both or neither: one place alone says nothing about the other bar
    struct Bar
    {
        QToolBar* m_holder;
        CBarPlace m_place;
    };
    std::vector<Bar> bars = {{m_toolHolder, tool}, {m_quickHolder, quick}};
    std::stable_sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) {
        return std::tie(a.m_place.m_row, a.m_place.m_order) < std::tie(b.m_place.m_row, b.m_place.m_order);
    });
    // Added again in order; a row break between bars of different rows.
    for (const Bar& bar : bars)
    {
        if (toolBarBreak(bar.m_holder))
            removeToolBarBreak(bar.m_holder);
    }
    for (size_t i = 0; i < bars.size(); ++i)
    {
        const bool shown = !bars[i].m_holder->isHidden();
        removeToolBar(bars[i].m_holder);
        if (i > 0 && bars[i].m_place.m_row != bars[i - 1].m_place.m_row)
            addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, bars[i].m_holder);
        bars[i].m_holder->setVisible(shown);
    }
}

void CMainFrame::SaveBarPlaces()
{
    // The two bars' arrangement can only be seen, and only changed, while
    // both are shown; otherwise the places they had stay.
    std::vector<QToolBar*> bars = {m_toolHolder, m_quickHolder};
    for (const QToolBar* bar : bars)
    {
        if (!bar || !bar->isVisible() || toolBarArea(bar) != Qt::TopToolBarArea)
            return;
    }
    std::sort(bars.begin(), bars.end(), [](const QToolBar* a, const QToolBar* b) {
        return std::make_pair(a->y(), a->x()) < std::make_pair(b->y(), b->x());
    });
    CBarPlace place{0, -1};
    for (size_t i = 0; i < bars.size(); ++i)
    {
        if (i > 0 && bars[i]->y() != bars[i - 1]->y())
            place = {place.m_row + 1, 0};
        else
            ++place.m_order;
        (bars[i] == m_toolHolder ? m_toolbarLayout : m_quickConnectLayout) = FormatBarPlace(place);
    }
    m_settings.SetString(SETTING_LAYOUT_TOOLBAR, m_toolbarLayout.c_str());
    m_settings.SetString(SETTING_LAYOUT_QUICK_CONNECT, m_quickConnectLayout.c_str());
}

void CMainFrame::FillAddressHistory()
{
    QComboBox* combo = GetUrlCombo();
    if (!combo)
        return;
    combo->clear();
    for (const std::string& url : GetHistoryList())
        combo->addItem(QString::fromStdString(url));
    if (combo->count() > 0)
        combo->setCurrentIndex(0);
}

std::unique_ptr<QMenu> CMainFrame::BuildPopupMenu(unsigned menuId)
{
    const MenuDesc* desc = FindMenu(menuId);
    if (!desc)
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    Commands().BuildMenu(menu.get(), desc->m_items);
    return menu;
}

void CMainFrame::OnUpdateFrameMenu(CMDIChildWnd* active)
{
    ShowMenu(MenuIdOf(active));
}

void CMainFrame::ShowMenu(unsigned menuId)
{
    const MenuDesc* desc = FindMenu(menuId);
    if (!desc || menuId == m_shownMenu)
        return;
    QMenuBar* bar = menuBar();
    for (QAction* title : bar->actions())
        bar->removeAction(title);
    const auto built = m_menuBars.find(menuId);
    if (built != m_menuBars.end())
    {
        bar->addActions(built->second);
    }
    else
    {
        Commands().BuildMenuBar(bar, desc->m_items);
        if (QMenu* window = FindMenuItemByText(bar, "window"))
            AddWindowList(window);
        m_menuBars.emplace(menuId, bar->actions());
    }
    // A command keeps one action for every menu that has it; the words are
    // those of the menu shown ("Show &Log" in the queue's, "&Log" in a
    // task's).
    for (const MenuItemDesc& item : desc->m_items)
    {
        if (item.m_id != 0 && item.m_text)
            Commands().Action(item.m_id)->setText(QString::fromUtf8(item.m_text));
    }
    m_shownMenu = menuId;
}

void CMainFrame::TrackPopupMenu(QMenu& menu, QPoint globalPoint)
{
    menu.exec(globalPoint);
}

void CMainFrame::OnTab(const CTabInfo& tab, int flag, const std::string&)
{
    auto* child = dynamic_cast<CMDIChildWnd*>(tab.m_owner);
    if (!child)
        return;
    if (flag == 1)
    {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget()); sub && sub->isMinimized())
            sub->showNormal();
        child->MDIActivate();
    }
    else
    {
        // Closing later: the tab strip is still inside its callback.
        QMetaObject::invokeMethod(
            child, [child] { if (auto* sub = child->parentWidget()) sub->close(); else child->close(); },
            Qt::QueuedConnection);
    }
}

void CMainFrame::SetChildTitle(const std::string& title, CMDIChildWnd* child, intptr_t data)
{
    const std::string text = ComposeChildTitle(title, child);
    child->setWindowTitle(QString::fromStdString(text));
    if (m_tabbedBar)
        m_tabbedBar->AddTab(text, &CMainFrame::OnTab, child, nullptr, 0, data != 0);
}

void CMainFrame::RemoveChildTab(CMDIChildWnd* child)
{
    if (m_tabbedBar)
        m_tabbedBar->RemoveTabFor(&CMainFrame::OnTab, child, nullptr, 0);
}

void CMainFrame::SetChildTabColor(CFrameWnd* child, int color)
{
    if (!m_tabbedBar)
        return;
    // -1 is the default text colour; any other value is 0x00BBGGRR.
    if (color < 0)
        m_tabbedBar->SetTabColor(&CMainFrame::OnTab, child, nullptr, 0, kColorWindowText, QColor(0, 0, 0));
    else
        m_tabbedBar->SetTabColor(&CMainFrame::OnTab, child, nullptr, 0, -1,
                                 QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
}

void CMainFrame::CloseAllOfKind(int kind)
{
    if (m_hooks.m_closeAllOfKind)
        m_hooks.m_closeAllOfKind(kind);
}

void CMainFrame::StartQuickConnect()
{
    const CQuickConnectRequest request =
        MakeQuickConnectRequest(m_quickConnect->GetUrlText(), m_quickConnect->GetDepthText());
    if (request.m_url.empty())
    {
        AfxMessageBox(InvalidUrlMessage(request.m_url), MB_OK | MB_ICONERROR);
        return;
    }
    m_quickTask->SetString(TASK_URI, request.m_url.c_str());
    m_quickTask->SetInt(TASK_RECURSION, request.m_depth);
    if (m_hooks.m_openTask)
        m_hooks.m_openTask(*m_quickTask);
}

void CMainFrame::EditQuickConnectProperties()
{
    const CQuickConnectRequest request =
        MakeQuickConnectRequest(m_quickConnect->GetUrlText(), m_quickConnect->GetDepthText());
    m_quickTask->SetString(TASK_URI, request.m_url.c_str());
    m_quickTask->SetInt(TASK_RECURSION, request.m_depth);
    CTaskSettings copy(*m_quickTask);
    if (!m_hooks.m_editTaskProperties || !m_hooks.m_editTaskProperties(copy))
        return;
    *m_quickTask = copy;
    m_quickConnect->SetUrlText(m_quickTask->GetUrl());
    m_quickConnect->SetDepth(GetIntOr(*m_quickTask, TASK_RECURSION, 1));
}

void CMainFrame::ShowBrowseMenu()
{
    std::unique_ptr<QMenu> menu = BuildPopupMenu(IDM_BROWSE);
    const QPushButton* button = m_quickConnect->BrowseButton();
    if (menu && button)
        TrackPopupMenu(*menu, button->mapToGlobal(button->rect().bottomLeft()));
}

void CMainFrame::BrowseLocalPath(bool folder, bool start)
{
    const std::string chosen = BrowseForPath(m_quickConnect->GetUrlText(), folder);
    if (chosen.empty())
        return;
    m_quickConnect->SetUrlText(chosen);
    if (start)
        (void)ExecuteCommand(ID_QC_START);
}

void CMainFrame::OnWorkerNotify(int code)
{
    switch (code)
    {
    case kWorkerCredentialRequest:
        PromptForLogin();
        break;
    case kWorkerJobsAdded:
    case kWorkerJobsRemoved:
        if (CTransferQueueView* queue = GetTransferQueueWnd())
            queue->Refresh();
        break;
    case kWorkerJobChanged:
        if (CTransferQueueView* queue = GetTransferQueueWnd())
            queue->UpdateItem();
        break;
    default:
        break;
    }
}

void CMainFrame::PromptForLogin()
{
    if (!m_hooks.m_prompts)
        return;
    // One prompt at a time: a request announced while it is open is handed
    // to it and shown once the current one is answered.
    if (m_loginPrompt)
    {
        m_loginPrompt->OnWorkerNotify();
        return;
    }
    CLoginPromptDlg prompt(*m_hooks.m_prompts, this);
    m_loginPrompt = &prompt;
    (void)prompt.DoModalNext();
    m_loginPrompt = nullptr;
}

void CMainFrame::OnActivation(bool active)
{
    if (!active)
    {
        // The control that had the focus inside this window, even if the
        // application already moved it away.
        QWidget* focus = focusWidget();
        m_lastFocus = focus && isAncestorOf(focus) ? focus : nullptr;
    }
    else if (m_lastFocus && m_lastFocus->isVisible() && m_lastFocus->isEnabled())
    {
        m_lastFocus->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (auto* child = dynamic_cast<CTanglewardenFrame*>(MDIGetActive()))
        child->OnMainFrameActivation(active);
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<const CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_WORKER_NOTIFY)
        {
            OnWorkerNotify(int(message.m_wParam));
            return true;
        }
        const uint32_t broadcast = GetInstanceBroadcastMessage();
        if (broadcast != 0 && message.m_message == broadcast)
        {
            // The application has reloaded what the other copy saved.
            if (message.m_wParam == kBroadcastHistorySaved)
                FillAddressHistory();
            return true;
        }
    }
    else if (event->type() == QEvent::WindowDeactivate)
    {
        OnActivation(false);
    }
    else if (event->type() == QEvent::WindowActivate)
    {
        const bool handled = CMDIFrameWnd::event(event);
        OnActivation(true);
        return handled;
    }
    return CMDIFrameWnd::event(event);
}

void CMainFrame::ToggleBar(QWidget* bar)
{
    bar->setVisible(!bar->isVisible());
}

void CMainFrame::AddQuickConnectCommands()
{
    const auto urlPresent = [this](CCmdUI& ui) {
        ui.Enable(m_quickConnect && !Trim(m_quickConnect->GetUrlText()).empty());
    };
    OnCommand(ID_QC_START, [this] { StartQuickConnect(); });
    OnUpdateCommand(ID_QC_START, urlPresent);
    OnCommand(ID_QC_START_KEY, [this] { StartQuickConnect(); });
    OnUpdateCommand(ID_QC_START_KEY, [this, urlPresent](CCmdUI& ui) {
        urlPresent(ui);
        if (m_quickConnect && m_quickConnect->StartButton())
            m_quickConnect->StartButton()->setEnabled(ui.IsEnabled());
    });
    OnCommand(ID_QC_FOCUS_URL, [this] { GetUrlCombo()->setFocus(Qt::ShortcutFocusReason); });
    OnCommand(ID_QC_NEXT_CONTROL, [this] { m_quickConnect->MoveFocus(true); });
    OnCommand(ID_QC_PREV_CONTROL, [this] { m_quickConnect->MoveFocus(false); });
    OnCommand(ID_QC_BROWSE, [this] { ShowBrowseMenu(); });
    OnCommand(ID_QC_PROPERTIES, [this] { EditQuickConnectProperties(); });
    // The Link properties dialog comes from the application.
    OnUpdateCommand(ID_QC_PROPERTIES, [this](CCmdUI& ui) { ui.Enable(bool(m_hooks.m_editTaskProperties)); });
    OnCommand(ID_QC_BROWSE_FILE, [this] { BrowseLocalPath(false, true); });
    OnCommand(ID_QC_BROWSE_FOLDER, [this] { BrowseLocalPath(true, true); });
    // There are no browser favourites to pick from here.
    OnUpdateCommand(ID_QC_BROWSE_FAVORITES, [](CCmdUI& ui) { ui.Enable(false); });
}

void CMainFrame::AddCommands()
{
    OnCommand(ID_WINDOW_CLOSE_ALL, [this] {
        if (m_hooks.m_closeAllDocuments)
            m_hooks.m_closeAllDocuments();
    });
    OnCommand(ID_VIEW_TABBED_BAR, [this] { ToggleBar(m_bottom); });
    OnUpdateCommand(ID_VIEW_TABBED_BAR, [this](CCmdUI& ui) { ui.SetCheck(m_bottom && m_bottom->isVisible()); });
    OnCommand(ID_VIEW_QUICK_CONNECT, [this] { ToggleBar(m_quickHolder); });
    OnUpdateCommand(ID_VIEW_QUICK_CONNECT,
                    [this](CCmdUI& ui) { ui.SetCheck(m_quickHolder && m_quickHolder->isVisible()); });
    OnCommand(ID_VIEW_TOOLBAR, [this] { ToggleBar(m_toolHolder); });
    OnUpdateCommand(ID_VIEW_TOOLBAR,
                    [this](CCmdUI& ui) { ui.SetCheck(m_toolHolder && m_toolHolder->isVisible()); });
    OnCommand(ID_VIEW_STATUS_BAR, [this] { ToggleBar(statusBar()); });
    OnUpdateCommand(ID_VIEW_STATUS_BAR, [this](CCmdUI& ui) { ui.SetCheck(statusBar()->isVisible()); });
    OnCommand(ID_TAB_CLOSE, [this] {
        const CTabInfo tab = m_tabbedBar->GetContextTab();
        if (tab.m_callback)
            tab.m_callback(tab, 0, {});
    });
    OnUpdateCommand(ID_TAB_CLOSE, [this](CCmdUI& ui) { ui.Enable(m_tabbedBar && m_tabbedBar->GetActiveTab().m_owner); });
    OnCommand(ID_TAB_BRING_TO_TOP, [this] { (void)m_tabbedBar->ActivateContextTab(); });
    OnUpdateCommand(ID_TAB_BRING_TO_TOP, [this](CCmdUI& ui) {
        const CTabInfo tab = m_tabbedBar ? m_tabbedBar->GetContextTab() : CTabInfo{};
        ui.Enable(tab.m_owner && !(tab == m_tabbedBar->GetActiveTab()));
    });
    OnCommand(ID_TOOLS_CLEAR_HISTORY, [this] {
        ClearHistory();
        (void)SaveHistory();
        FillAddressHistory();
    });
    OnUpdateCommand(ID_TOOLS_CLEAR_HISTORY, [](CCmdUI& ui) { ui.Enable(!GetHistoryList().empty()); });
    OnCommand(ID_HELP_CONTENTS, [this] { m_hooks.m_winHelp(0, 0); });
    OnUpdateCommand(ID_HELP_CONTENTS, [this](CCmdUI& ui) { ui.Enable(bool(m_hooks.m_winHelp)); });
    OnCommand(ID_HELP_CHECK_UPDATE, [this] { (void)ShellOpen(m_settings.GetStringValue(SETTING_IDENTITY_WEB_SITE)); });
    OnCommand(ID_TOOLS_BASE64, [this] {
        CBase64Dlg dialog(this);
        (void)dialog.DoModal();
    });
    // The stores' dialogs and Settings are the application's commands: a
    // command nobody handles yet stays disabled.
}

bool CMainFrame::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    // The quick-connect bar takes the editing commands while it has the
    // focus; Tab (which moves round the bar) stays the frame's own.
    if (m_quickConnect && m_quickConnect->OnBarCommand(id, request, ui))
        return true;
    return CMDIFrameWnd::OnCmdMsg(id, request, ui);
}

void CMainFrame::SaveLayout()
{
    SaveWindowPlacement(m_settings, this, SETTING_LAYOUT_MAIN_FRAME);
    SaveBarPlaces();
    m_settings.SetInt(SETTING_LAYOUT_TOOLBAR_VISIBLE, m_toolHolder && m_toolHolder->isVisible());
    m_settings.SetInt(SETTING_LAYOUT_STATUSBAR_VISIBLE, statusBar()->isVisible());
    m_settings.SetInt(SETTING_LAYOUT_QC_VISIBLE, m_quickHolder && m_quickHolder->isVisible());
    m_settings.SetInt(SETTING_LAYOUT_TABBEDBAR_VISIBLE, m_bottom && m_bottom->isVisible());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The login prompt goes first, cancelled; the frame closes once it has
    // gone (the prompt's run must end before the frame does).
    if (m_loginPrompt)
    {
        event->ignore();
        static_cast<QDialog*>(m_loginPrompt)->reject(); // ends it as Cancel would
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
        return;
    }
    // The bars' states are read before the children go, while all is shown.
    SaveLayout();
    CMDIFrameWnd::closeEvent(event);
}
