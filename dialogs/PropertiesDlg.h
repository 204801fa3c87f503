#pragma once
// CPropertiesDlg, "Properties": a modeless tool window that shows a set of
// settings pages in tabs and closes itself when it loses activation, unless
// the user pinned it. A host creates it, hands it pages (SetPages) and shows
// it; it deletes itself when closed (OK, losing activation while unpinned,
// or its owner), and it owns its pages until the next SetPages or its end.
//
// A page's own message box (a failed check when the user switches tabs) takes
// the activation for a while; that is not the user leaving the window, so it
// never closes the container, pinned or not.
//
// UI thread only.

#include "dialogs/SettingsPage.h"

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QStackedLayout;
class QTabBar;

class CPropertiesDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CPropertiesDlg(QWidget* parent = nullptr);
    ~CPropertiesDlg() override;

    // Replaces the pages: the old ones are destroyed, the title set, and each
    // new page created on the container with a tab of its caption; page 0 is
    // then selected. Without pages "No properties available" shows.
    void SetPages(const std::string& title, std::vector<std::unique_ptr<CSettingsPage>> pages);
    // Ignored outside the pages; refused while the current page does not
    // validate (its tab stays selected).
    void SelectPage(int index);

    int GetCurrentIndex() const { return m_current; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CSettingsPage* GetPage(int index) const;
    QTabBar* GetTabs() const { return m_tabs; }
    bool IsPinned() const { return m_pinned; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    // OK and Esc close the window (modeless: no modal end).
    void OnOK() override;
    void OnCancel() override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    // Whether the page-switch check (or anything it showed) is running, so a
    // deactivation is not the user's.
    bool IsBusyWithPage() const;
    void PostClose();

    QTabBar* m_tabs = nullptr;
    QWidget* m_pageArea = nullptr;
    QStackedLayout* m_pageStack = nullptr;
    QLabel* m_none = nullptr;
    std::vector<std::unique_ptr<CSettingsPage>> m_pages;
    int m_current = -1;
    bool m_pinned = false;
    int m_validating = 0;
    bool m_closing = false;
};
