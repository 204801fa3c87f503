#pragma once
// CSettingsDlg: the Settings dialog. A tree of pages at the left, the
// selected page at the right under a painted banner with its caption, and
// OK, Cancel, Apply and Help. Every page is a CSettingsPage bound to a
// private working copy of the settings (source) and to the live settings
// (target); OK and Apply apply the modified pages in the order they were
// added, save the settings and tell the program's windows.
//
// What the dialog cannot do itself is handed in: saving the settings and
// telling every window that they changed (the application connects this to
// the settings-changed post to its windows).
//
// UI thread only.

#include "dialogs/SettingsPage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CSettingsBanner;
class CTreeCtrl;
class QStackedLayout;
class QTreeWidgetItem;

// The notify message the dialog gives its pages.
inline constexpr UINT WM_PAGE_MODIFIED = 0x084C;

// The record a tree item carries: its last path part, its full path (each
// part preceded by a backslash: "\\Connections\\Proxy") and its page's order.
struct CSettingsTreeItem
{
    std::string m_name;
    std::string m_fullPath;
    int m_order = -1;
};

class CSettingsDlg : public CDialog, public ISettingsPageOwner
{
    Q_OBJECT

public:
    // startPath: the page to select when the dialog opens.
    explicit CSettingsDlg(std::string startPath, QWidget* parent = nullptr);
    ~CSettingsDlg() override;

    // Saves every setting; true when saved. Called once per accept step that
    // applied a page.
    std::function<bool()> m_saveSettings;
    // Tells every window that settings changed; after each accept step that
    // applied a page.
    std::function<void()> m_settingsChanged;

    // Takes the page. Leading backslashes leave its path; a page with the
    // same path replaces the earlier one in its place; a page without an
    // order gets the next number.
    void AddPage(std::unique_ptr<CSettingsPage> page);
    CSettingsPage* FindPage(const std::string& path) const;
    const std::vector<std::unique_ptr<CSettingsPage>>& GetPages() const { return m_pages; }

    // The tree item of the page at path (made with its parents when
    // missing), captioned; null for an empty path.
    QTreeWidgetItem* AddTreePath(std::string path, const std::string& caption, int order);
    // Switches to page (null: none); refused while the current page does not
    // validate.
    void ShowPage(CSettingsPage* page);
    void SelectPageByPath(std::string path);
    void EnableApply(bool on);

    CSettingsPage* GetCurrentPage() const { return m_current; }
    const std::string& GetCurrentPath() const { return m_currentPath; }
    // The caption the banner shows; empty with no page.
    std::string GetBannerCaption() const;
    CTreeCtrl* GetTree() const { return m_tree; }

    // OK and Apply: applies the modified pages in order, stopping at the
    // first that fails; saves and announces when any page was applied, also
    // when a later one failed. True when every modified page was applied.
    bool OnAccept();

    void OnPageNotify(UINT message, std::uintptr_t param, const std::string& path) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnHelp() override;

private:
    void BuildControls();
    void OnTreeSelChanged();
    void OnPageModified();
    QTreeWidgetItem* FindTreeItem(const CSettingsPage* page) const;

    std::string m_startPath;
    std::vector<std::unique_ptr<CSettingsPage>> m_pages; // in the order added
    int m_pageCounter = 0;
    CSettingsPage* m_current = nullptr;
    std::string m_currentPath;
    CTreeCtrl* m_tree = nullptr;
    CSettingsBanner* m_banner = nullptr;
    QWidget* m_pageArea = nullptr;
    QStackedLayout* m_pageStack = nullptr;
    bool m_applyEnabled = false;
    bool m_inSelChange = false;
};
