#pragma once
// CMainFrame: the program's main window. It carries the main toolbar and the
// quick-connect bar (each in a chevron bar), the status bar, and the tabbed
// bar with one tab per content window; it owns the global commands
// (settings, stores, help, history, bar toggles) and keeps its placement
// and the visibility of its bars in the settings.
//
// Commands reach the quick-connect bar first, so that Copy, Cut and Paste act
// on its edits while it has the focus.
//
// Worker threads reach the frame only by posting WM_WORKER_NOTIFY
// (shell/AppGlobals.h): a waiting credential request opens the login prompt,
// or, while that is open, is handed to it, so the user never sees two. The
// broadcast of another running copy that saved the URL history refills the
// address box. When the frame is deactivated it remembers the focused
// control and gives the focus back to it when it is activated again.
//
// UI thread only.

#include "platform/ui/ChildTabColor.h"
#include "platform/ui/FrameWnd.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CChevronReBar;
class CLoginPromptDlg;
class CPromptRequestQueue;
class CPropertySet;
class CQuickConnectBar;
class CTabbedBar;
class CTaskSettings;
struct CCreateStruct;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QWidget;

// Scanning from the end, the first '/' or '\' with at least 20 characters
// after it: "..." and the text from that separator on; else the whole text.
std::string ShortenPathForTitle(std::string_view text);

// The caption and tab text of a child frame for its title: "Edit: ",
// "Log: " or "Report: " and the title shortened (ShortenPathForTitle) for
// the editor, log and report frames; the title as it is for any other.
std::string ComposeChildTitle(const std::string& title, const CMDIChildWnd* child);

// What a quick-connect start asks for: the URL trimmed at both ends (empty
// means invalid) and the depth, 1 when the field holds nothing above 0.
struct CQuickConnectRequest
{
    std::string m_url;
    int m_depth = 1;
};
CQuickConnectRequest MakeQuickConnectRequest(std::string_view urlText, std::string_view depthText);

// Where a bar at the top of the main window sits: its row from the top and
// its order from the left within that row, both from 0. Kept in the
// settings as "row:order" ("Layout/Toolbar", "Layout/Quick Connect").
struct CBarPlace
{
    int m_row = 0;
    int m_order = 0;
};
std::string FormatBarPlace(const CBarPlace& place);
// False (place unchanged) for a text that is not two numbers from 0.
bool ParseBarPlace(std::string_view text, CBarPlace& place);

class CMainFrame : public CMDIFrameWnd, public IChildTabColor
{
    Q_OBJECT

public:
    // What the frame asks of the application. A command whose hook is
    // missing stays disabled.
    struct CHooks
    {
        std::function<void(const CPropertySet& task)> m_openTask;
        std::function<void(int kind)> m_closeAllOfKind;
        std::function<void()> m_closeAllDocuments;
        // Edits a copy of the task in the Link properties dialog; true on OK.
        std::function<bool(CTaskSettings& task)> m_editTaskProperties;
        // Help for a context (0 with command 0: the contents).
        std::function<void(unsigned data, unsigned command)> m_winHelp;
        // Where transfer threads queue their credential requests; it must
        // outlive the frame.
        CPromptRequestQueue* m_prompts = nullptr;
    };

    CMainFrame(CPropertySet& settings, CHooks hooks);
    ~CMainFrame() override;

    // The placement of "Layout/Main Frame" as the frame's first rectangle
    // and show state.
    virtual void PreCreateWindow(CCreateStruct& cs);
    // Builds the bars (after PreCreateWindow, whose rectangle it applies);
    // false when one could not be made.
    bool OnCreate();

    // Start-up: the toolbar and the quick-connect bar (which the user may
    // drag beside or above each other) are put back where they were when
    // the frame last closed; a layout that cannot be read keeps the
    // default, the toolbar above the quick-connect bar.
    void LoadRememberedStrings();
    // The URL combo box emptied and filled from the URL history, the most
    // recent first and selected.
    void FillAddressHistory();

    // The tab (and caption) text of a child frame, with the prefix of its
    // class; a non-zero data value makes the tab current.
    void SetChildTitle(const std::string& title, CMDIChildWnd* child, intptr_t data);
    void RemoveChildTab(CMDIChildWnd* child);
    void SetChildTabColor(CFrameWnd* child, int color) override;
    void CloseAllOfKind(int kind);

    // A worker notification (WM_WORKER_NOTIFY's code), as posted.
    void OnWorkerNotify(int code);
    // The login prompt while it is open; null otherwise.
    CLoginPromptDlg* GetLoginPrompt() const { return m_loginPrompt; }

    // A popup menu of the resource tables whose commands go to this frame.
    std::unique_ptr<QMenu> BuildPopupMenu(unsigned menuId);

    CTabbedBar* GetTabbedBar() const { return m_tabbedBar; }
    QToolBar* GetToolBar() const { return m_toolBar; }
    // The bars at the top that hold the toolbar's and the quick-connect
    // bar's chevron bars.
    QToolBar* GetToolBarHolder() const { return m_toolHolder; }
    QToolBar* GetQuickConnectHolder() const { return m_quickHolder; }
    CQuickConnectBar* GetQuickConnectBar() const { return m_quickConnect; }
    QComboBox* GetUrlCombo() const;
    QLineEdit* GetDepthEdit() const;
    const CTaskSettings& GetQuickConnectTask() const { return *m_quickTask; }
    QLabel* GetMessagePane() const { return m_messagePane; }
    QLabel* GetIndicatorPane(int index) const { return m_indicators[index]; }
    // The control that gets the focus back when the frame is activated.
    QWidget* GetRememberedFocus() const { return m_lastFocus; }

    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Shows a popup menu and returns when it closes; a test answers it.
    virtual void TrackPopupMenu(QMenu& menu, QPoint globalPoint);

private:
    void AddCommands();
    void AddQuickConnectCommands();
    bool CreateToolBar();
    bool CreateQuickConnectBar();
    void CreateStatusBar();
    void StartQuickConnect();
    void EditQuickConnectProperties();
    void ShowBrowseMenu();
    void BrowseLocalPath(bool folder, bool start);
    void PromptForLogin();
    void OnActivation(bool active);
    void ToggleBar(QWidget* bar);
    void SaveLayout();
    // The places of the two top bars as they stand, while both are shown;
    // otherwise both keep the places they had.
    void SaveBarPlaces();
    void ApplyBarPlaces();
    static void OnTab(const struct CTabInfo& tab, int flag, const std::string& text);

    CPropertySet& m_settings;
    CHooks m_hooks;
    std::unique_ptr<CTaskSettings> m_quickTask;
    QToolBar* m_toolBar = nullptr;
    CChevronReBar* m_toolRebar = nullptr;
    CChevronReBar* m_quickRebar = nullptr;
    CQuickConnectBar* m_quickConnect = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_indicators[3] = {};
    CTabbedBar* m_tabbedBar = nullptr;
    QWidget* m_bottom = nullptr;
    QToolBar* m_toolHolder = nullptr;
    QToolBar* m_quickHolder = nullptr;
    QMenu* m_viewsMenu = nullptr;
    CLoginPromptDlg* m_loginPrompt = nullptr;
    QPointer<QWidget> m_lastFocus;
    std::string m_toolbarLayout;
    std::string m_quickConnectLayout;
};
