#pragma once
// CMainFrame: the program's main window. It carries the main toolbar and the
// quick-connect bar (each in a chevron bar), the status bar, and the tabbed
// bar with one tab per content window; it owns the global commands
// (settings, stores, help, history, bar toggles) and keeps its placement
// and the visibility of its bars in the settings.
//
// Commands reach the quick-connect bar first, so that Copy, Cut and Paste act
// on its edits while it has the focus. UI thread only.

#include "platform/ui/ChildTabColor.h"
#include "platform/ui/FrameWnd.h"

#include <functional>
#include <string>
#include <string_view>

class CPropertySet;
class CTabbedBar;
class CChevronReBar;
class QComboBox;
class QLabel;
class QSpinBox;
class QToolBar;
class QWidget;

// Scanning from the end, the first '/' or '\' with at least 20 characters
// after it: "..." and the text from that separator on; else the whole text.
std::string ShortenPathForTitle(std::string_view text);

// What a quick-connect start asks for: the URL trimmed at both ends (empty
// means invalid) and the depth, 1 when the field holds nothing above 0.
struct CQuickConnectRequest
{
    std::string m_url;
    int m_depth = 1;
};
CQuickConnectRequest MakeQuickConnectRequest(std::string_view urlText, std::string_view depthText);

class CMainFrame : public CMDIFrameWnd, public IChildTabColor
{
    Q_OBJECT

public:
    // What the frame asks of the application.
    struct CHooks
    {
        std::function<void(const CPropertySet& task)> m_openTask;
        std::function<void(int kind)> m_closeAllOfKind;
        std::function<void()> m_closeAllDocuments;
    };

    CMainFrame(CPropertySet& settings, CHooks hooks);
    ~CMainFrame() override;

    // Builds the bars; false when one could not be made.
    bool OnCreate();

    // The tab (and caption) text of a child frame, with the prefix of its
    // class; a non-zero data value makes the tab current.
    void SetChildTitle(const std::string& title, CMDIChildWnd* child, intptr_t data);
    void RemoveChildTab(CMDIChildWnd* child);
    void SetChildTabColor(CFrameWnd* child, int color) override;
    void CloseAllOfKind(int kind);

    // The URL combo box emptied and filled from the URL history.
    void FillAddressHistory();

    CTabbedBar* GetTabbedBar() const { return m_tabbedBar; }
    QToolBar* GetToolBar() const { return m_toolBar; }
    QWidget* GetQuickConnectBar() const { return m_quickConnect; }
    QComboBox* GetUrlCombo() const { return m_urlCombo; }
    QSpinBox* GetDepthEdit() const { return m_depthEdit; }
    QLabel* GetMessagePane() const { return m_messagePane; }
    QLabel* GetIndicatorPane(int index) const { return m_indicators[index]; }

    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Worker notifications (WM_WORKER_NOTIFY): codes 0 and 1 resynchronise
    // the transfer queue's rows, 2 updates its watched rows.
    bool event(QEvent* event) override;

private:
    void AddCommands();
    bool CreateToolBar();
    void CreateQuickConnectBar();
    void CreateStatusBar();
    void StartQuickConnect();
    void MoveQuickConnectFocus(bool next);
    void ToggleBar(QWidget* bar);
    void SaveLayout();
    static void OnTab(const struct CTabInfo& tab, int flag, const std::string& text);

    CPropertySet& m_settings;
    CHooks m_hooks;
    QToolBar* m_toolBar = nullptr;
    CChevronReBar* m_toolRebar = nullptr;
    CChevronReBar* m_quickRebar = nullptr;
    QWidget* m_quickConnect = nullptr;
    QComboBox* m_urlCombo = nullptr;
    QSpinBox* m_depthEdit = nullptr;
    QWidget* m_statusBar = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_indicators[3] = {};
    CTabbedBar* m_tabbedBar = nullptr;
    QWidget* m_bottom = nullptr;
    QWidget* m_toolHolder = nullptr;
    QWidget* m_quickHolder = nullptr;
};
