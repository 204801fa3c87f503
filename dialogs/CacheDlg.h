#pragma once
// CCacheDlg, "Cache": the sites that have local copies in the cache folder
// (a folder per protocol, "http", "https" and "ftp", then a folder per site),
// one row a site folder ("http://site"), and deleting their folders. It
// works on the folders only, never on the transfer manager's index.
//
// Deleting never leaves the cache folder: a protocol folder or site folder
// that is a symbolic link gives no row (whatever it points to), a protocol
// folder found to be a link at deletion time is not entered, and the trees
// are removed without following the links inside them. Without a cache
// folder (an empty setting) the dialog shows no rows, rather than reading
// folders relative to wherever the program runs.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class COwnerDrawListCtrl;

class CCacheDlg : public CDialog
{
    Q_OBJECT

public:
    // cacheFolder: the setting "Misc/Cache Folder".
    explicit CCacheDlg(std::string cacheFolder, QWidget* parent = nullptr);
    ~CCacheDlg() override;

    COwnerDrawListCtrl* GetList() const { return m_list; }
    // The full path of each row's site folder, in row order.
    const std::vector<std::string>& GetRowPaths() const { return m_paths; }

    // Fills the list again from the folders.
    void FillList();
    // Deletes the folders of the selected rows, then refills.
    void OnClean();
    // After confirmation, deletes the folders of all rows, then refills.
    void OnCleanAll();

protected:
    bool OnInitDialog() override;

private:
    void BuildControls();
    void UpdateButtons();
    // Deletes the rows' folders in order. When one cannot be deleted, a
    // following row asks whether to go on (No stops), the last one only
    // tells. Refills afterwards.
    void DeleteRows(const std::vector<int>& rows);
    // Whether the site folder of a row was deleted; a row whose protocol
    // folder became a link is refused.
    bool DeleteSiteFolder(const std::string& path) const;

    std::string m_cacheFolder;
    COwnerDrawListCtrl* m_list = nullptr;
    std::vector<std::string> m_paths;
};

// Runs the Cache dialog modally over the cache folder.
void ShowCacheDialog(const std::string& cacheFolder);
