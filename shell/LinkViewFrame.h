#pragma once
// CLinkViewFrame: the lower right pane of a task window. It shows details of
// the link selected in the link list: a bar with the link's address and a
// lock button, one tab per information page, and one editor view
// (CHTMLEditView) that shows the page. Which page is shown is the link
// list's info mode; this frame only shows the mode and switches it (a click
// on a tab, Ctrl+Page Down and Ctrl+Page Up).
//
// Pages, in tab order (page number = the list's info mode): 1 "Content",
// 3 "Information", 2 "Log", 4 "Form", 5 "HTML elements", 6 "HTML tags",
// 7 "HTML text".
//
// UI thread only.

#include "platform/ui/FrameWnd.h"

#include <span>
#include <string>
#include <vector>

class CHTMLEditView;
class CTabbedBar;
class ILinkListPane;
class IPropertySet;
class QLineEdit;
class QToolButton;
struct CTabInfo;

struct CLinkViewPage
{
    int m_page = 0;       // the list's info mode
    unsigned m_caption = 0; // string id
};

// The pages in tab order.
std::span<const CLinkViewPage> GetLinkViewPages();
// The tab index of a page; -1 for a number that is no page.
int LinkViewTabOfPage(int page);
// The tab after (forward) or before index, wrapping at both ends.
int LinkViewStepTab(int index, bool forward);

class CLinkViewFrame : public CFrameWnd
{
    Q_OBJECT

public:
    explicit CLinkViewFrame(QWidget* parent = nullptr);
    ~CLinkViewFrame() override;

    // The link view bar, the tabs and the editor view (which reads tab size
    // and highlighting from settings; null: the defaults). The editor view
    // gets its initial update with the frame around it
    // (CFrameWnd::InitialUpdateFrame).
    void Create(IPropertySet* settings);

    // The task window's link list; null until it exists.
    void SetListPane(ILinkListPane* list) { m_list = list; }

    // Makes the tab of the list's info mode current; a mode that is no page
    // changes nothing.
    void ShowPageForKind();
    void SetBarText(const std::string& text);
    std::string GetBarText() const;
    void SetLockCheck(bool checked);
    void EnableLockButton(bool enable);
    // The tab strip's active or inactive look.
    void SetActive(bool active);

    CHTMLEditView* GetEditView() const { return m_editView; }
    CTabbedBar& GetTabbedBar() const { return *m_tabs; }
    // The page of the current tab.
    int GetCurrentPage() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void OnTab(const CTabInfo& tab, int flag, const std::string& text);
    void OnPageChosen(int page);
    void StepTab(bool forward);

    QLineEdit* m_barText = nullptr;
    QToolButton* m_lockButton = nullptr;
    CTabbedBar* m_tabs = nullptr;
    CHTMLEditView* m_editView = nullptr;
    ILinkListPane* m_list = nullptr;
    // One key per tab: the tab strip knows a tab by its owner widget.
    std::vector<QWidget*> m_tabKeys;
};
