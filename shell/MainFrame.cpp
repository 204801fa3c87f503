#include "shell/MainFrame.h"

#include "checker/TaskSettings.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/Text.h"
#include "platform/ui/ModalDriver.h"
#include "res/Resources.h"
#include "platform/ui/WidgetWindow.h"
#include "shell/AppGlobals.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TransferQueueView.h"
#include "widgets/ChevronReBar.h"
#include "widgets/SysColor.h"
#include "widgets/TabbedBar.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <charconv>

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

CMainFrame::CMainFrame(CPropertySet& settings, CHooks hooks) : m_settings(settings), m_hooks(std::move(hooks))
{
    setObjectName("MainFrame");
    setWindowTitle(LoadResourceString(IDR_MAINFRAME));
    AddCommands();
}

CMainFrame::~CMainFrame()
{
    // The children go first, while the tabbed bar they remove their tabs
    // from still exists.
    for (CMDIChildWnd* child : GetChildren())
        delete child;
    if (m_depthEdit)
    {
        const int depth = std::max(1, m_depthEdit->value());
        if (GetIntOr(m_settings, SETTING_MISC_MAX_RECURSION, 1) != depth)
        {
            m_settings.SetInt(SETTING_MISC_MAX_RECURSION, depth);
            (void)SaveAllSettings();
        }
    }
}

bool CMainFrame::OnCreate()
{
    if (const MenuDesc* menu = FindMenu(IDR_MAINFRAME))
        Commands().BuildMenuBar(menuBar(), menu->m_items);
    if (const AcceleratorTableDesc* keys = FindAcceleratorTable(IDR_MAINFRAME))
        Commands().InstallAccelerators(keys->m_keys);
    if (!CreateToolBar())
        return false;
    CreateQuickConnectBar();
    CreateStatusBar();

    m_tabbedBar = new CTabbedBar(this);
    m_tabbedBar->setObjectName("TabbedBar");
    if (!m_tabbedBar->Create(this, ID_VIEW_TABBED_BAR, false))
        return false;
    m_bottom = HolderBar(this, Qt::BottomToolBarArea, m_tabbedBar, "TabbedBarHolder");

    m_toolHolder->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_TOOLBAR_VISIBLE, 1) != 0);
    statusBar()->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_STATUSBAR_VISIBLE, 1) != 0);
    m_quickHolder->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_QC_VISIBLE, 1) != 0);
    m_bottom->setVisible(GetIntOr(m_settings, SETTING_LAYOUT_TABBEDBAR_VISIBLE, 1) != 0);
    FillAddressHistory();
    Commands().StartIdleUpdates();
    return true;
}

bool CMainFrame::CreateToolBar()
{
    const ToolbarDesc* desc = FindToolbar(IDR_MAINFRAME);
    if (!desc)
        return false;
    m_toolBar = new QToolBar;
    m_toolBar->setObjectName("ToolBar");
    const QImage strip = LoadBitmapResource(desc->m_bitmap);
    std::vector<QIcon> icons;
    for (int x = 0; x + desc->m_imageWidth <= strip.width(); x += desc->m_imageWidth)
        icons.emplace_back(QPixmap::fromImage(strip.copy(x, 0, desc->m_imageWidth, strip.height())));
    Commands().BuildToolBar(m_toolBar, *desc, icons);
    m_toolRebar = new CChevronReBar;
    m_toolRebar->setObjectName("ToolRebar");
    m_toolRebar->SetStringSource([](int id) { return std::string(LoadResourceString(UINT(id))); });
    m_toolRebar->AddBar(m_toolBar, 0, {}, CChevronReBar::kBandUseChevron);
    m_toolHolder = HolderBar(this, Qt::TopToolBarArea, m_toolRebar, "ToolRebarHolder");
    addToolBarBreak(Qt::TopToolBarArea);
    return true;
}

void CMainFrame::CreateQuickConnectBar()
{
    m_quickConnect = new QWidget;
    m_quickConnect->setObjectName("QuickConnectBar");
    auto* layout = new QHBoxLayout(m_quickConnect);
    layout->setContentsMargins(2, 1, 2, 1);
    m_urlCombo = new QComboBox;
    m_urlCombo->setObjectName("UrlCombo");
    m_urlCombo->setEditable(true);
    m_urlCombo->setInsertPolicy(QComboBox::NoInsert);
    m_depthEdit = new QSpinBox;
    m_depthEdit->setObjectName("DepthEdit");
    m_depthEdit->setRange(1, 1000);
    m_depthEdit->setValue(std::clamp(GetIntOr(m_settings, SETTING_MISC_MAX_RECURSION, 1), 1, 1000));
    auto* start = new QPushButton(QStringLiteral("&Open"));
    start->setObjectName("StartButton");
    layout->addWidget(new QLabel(QStringLiteral("URL:")));
    layout->addWidget(m_urlCombo, 1);
    layout->addWidget(new QLabel(QStringLiteral("Depth:")));
    layout->addWidget(m_depthEdit);
    layout->addWidget(start);
    // The start button follows the URL text at every edit.
    start->setEnabled(false);
    connect(m_urlCombo, &QComboBox::editTextChanged, start,
            [start](const QString& text) { start->setEnabled(!Trim(text.toStdString()).empty()); });
    connect(start, &QPushButton::clicked, this, [this] { ExecuteCommand(1); });
    m_quickRebar = new CChevronReBar;
    m_quickRebar->setObjectName("QuickRebar");
    m_quickRebar->AddBar(m_quickConnect, -1, {}, 0);
    m_quickHolder = HolderBar(this, Qt::TopToolBarArea, m_quickRebar, "QuickRebarHolder");
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

void CMainFrame::FillAddressHistory()
{
    if (!m_urlCombo)
        return;
    m_urlCombo->clear();
    for (const std::string& url : GetHistoryList())
        m_urlCombo->addItem(QString::fromStdString(url));
    if (m_urlCombo->count() > 0)
        m_urlCombo->setCurrentIndex(0);
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
    const std::string prefix = TitlePrefix(child);
    const std::string text = prefix.empty() ? title : prefix + ShortenPathForTitle(title);
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
        MakeQuickConnectRequest(m_urlCombo->currentText().toStdString(), m_depthEdit->text().toStdString());
    if (request.m_url.empty())
    {
        const QString text = QString(LoadResourceString(IDS_INVALID_URL)).replace("%s", LoadResourceString(IDS_EMPTY));
        AfxMessageBox(text.toStdString(), MB_OK | MB_ICONERROR);
        return;
    }
    CTaskSettings task(request.m_url, &m_settings);
    task.SetInt(TASK_RECURSION, request.m_depth);
    if (m_hooks.m_openTask)
        m_hooks.m_openTask(task);
}

void CMainFrame::MoveQuickConnectFocus(bool next)
{
    // The next (previous) control of the bar that takes the focus, going
    // round within the bar.
    const QList<QWidget*> controls = m_quickConnect->findChildren<QWidget*>();
    std::vector<QWidget*> order;
    for (QWidget* control : controls)
    {
        if (control->focusPolicy() & Qt::TabFocus && control->isEnabled() && !qobject_cast<QLineEdit*>(control))
            order.push_back(control);
    }
    if (order.empty())
        return;
    QWidget* focus = QApplication::focusWidget();
    size_t at = order.size();
    for (size_t i = 0; i < order.size(); ++i)
    {
        if (focus && (order[i] == focus || order[i]->isAncestorOf(focus)))
            at = i;
    }
    const size_t target = at == order.size() ? 0 : (next ? at + 1 : at + order.size() - 1) % order.size();
    order[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CMainFrame::ToggleBar(QWidget* bar)
{
    bar->setVisible(!bar->isVisible());
}

void CMainFrame::AddCommands()
{
    const auto urlPresent = [this](CCmdUI& ui) {
        ui.Enable(m_urlCombo && !Trim(m_urlCombo->currentText().toStdString()).empty());
    };
    OnCommand(1, [this] { StartQuickConnect(); });
    OnUpdateCommand(1, urlPresent);
    OnCommand(ID_QC_START_KEY, [this] { StartQuickConnect(); });
    OnUpdateCommand(ID_QC_START_KEY, urlPresent);
    OnCommand(ID_QC_FOCUS_URL, [this] { m_urlCombo->setFocus(); });
    OnCommand(ID_QC_NEXT_CONTROL, [this] { MoveQuickConnectFocus(true); });
    OnCommand(ID_QC_PREV_CONTROL, [this] { MoveQuickConnectFocus(false); });
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
    // The stores' dialogs, Settings and help are the application's commands:
    // a command nobody handles yet stays disabled. The favourites browser
    // never does anything.
    OnUpdateCommand(ID_QC_BROWSE_FAVORITES, [](CCmdUI& ui) { ui.Enable(false); });
}

bool CMainFrame::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    // The edits of the quick-connect bar take the editing commands while
    // they have the focus.
    QWidget* focus = QApplication::focusWidget();
    const bool inBar = focus && m_quickConnect && m_quickConnect->isAncestorOf(focus);
    if (inBar && (id == ID_EDIT_COPY || id == ID_EDIT_CUT || id == ID_EDIT_PASTE || id == ID_EDIT_UNDO))
    {
        QLineEdit* edit = m_urlCombo->isAncestorOf(focus) || focus == m_urlCombo ? m_urlCombo->lineEdit()
                                                                                 : m_depthEdit->findChild<QLineEdit*>();
        if (!edit || (id == ID_EDIT_UNDO && edit != m_depthEdit->findChild<QLineEdit*>()))
            return false;
        if (request == CommandRequest::Update && ui)
        {
            if (id == ID_EDIT_PASTE)
                ui->Enable(!QApplication::clipboard()->text().isEmpty());
            else if (id == ID_EDIT_UNDO)
                ui->Enable(edit->isUndoAvailable());
            else
                ui->Enable(edit->hasSelectedText());
        }
        else if (request == CommandRequest::Execute)
        {
            if (id == ID_EDIT_COPY)
                edit->copy();
            else if (id == ID_EDIT_CUT)
                edit->cut();
            else if (id == ID_EDIT_PASTE)
                edit->paste();
            else
                edit->undo();
        }
        return true;
    }
    return CMDIFrameWnd::OnCmdMsg(id, request, ui);
}

void CMainFrame::SaveLayout()
{
    SaveWindowPlacement(m_settings, this, SETTING_LAYOUT_MAIN_FRAME);
    m_settings.SetInt(SETTING_LAYOUT_TOOLBAR_VISIBLE, m_toolHolder && m_toolHolder->isVisible());
    m_settings.SetInt(SETTING_LAYOUT_STATUSBAR_VISIBLE, statusBar()->isVisible());
    m_settings.SetInt(SETTING_LAYOUT_QC_VISIBLE, m_quickHolder && m_quickHolder->isVisible());
    m_settings.SetInt(SETTING_LAYOUT_TABBEDBAR_VISIBLE, m_bottom && m_bottom->isVisible());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The bars' states are read before the children go, while all is shown.
    SaveLayout();
    CMDIFrameWnd::closeEvent(event);
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_WORKER_NOTIFY && message.m_wParam <= 2)
        {
            if (CTransferQueueView* queue = GetTransferQueueWnd())
            {
                if (message.m_wParam == 2)
                    queue->UpdateItem();
                else
                    queue->Refresh();
            }
            return true;
        }
    }
    return CMDIFrameWnd::event(event);
}
