#pragma once
// CFavoritesDlg, "Favorite Sites": the user's saved tasks, kept in folders,
// shown as a tree over the favourites store (Favorites.h). Folders and tasks
// are added, renamed (label editing in place) and deleted in the tree; the
// selected task is edited on an embedded task General page, its other
// options through Properties (Link properties). The dialog can end by
// starting the selected task (Check links, Browse links, Browse offline);
// m_task then holds it.
//
// A task is applied to its favourite when the user leaves it, on OK and
// before a run: an empty or unparsable address is refused with "Invalid url:
// %s." and the selection stays on the task. A password inside the address
// never reaches Favorites.xml: it goes to the password store under the
// site's resource, and the address is kept without it.
//
// Every edit changes the loaded store; it reaches the file only when the
// dialog closes other than by Cancel. A save that fails is reported and
// keeps the dialog open with the edits, so OK can be tried again or Cancel
// chosen knowingly. A damaged Favorites.xml is reported when the dialog
// opens; the store keeps it aside rather than save over it. When a password
// was moved into the password store, that store is written first, so the
// saved favourite never names a login whose password exists only in this
// run's memory; a store that cannot be written is reported like a failed
// save, before the favourites are touched. Closing remembers the selected favourite ("Layout/Last Favorite
// Site"), which the next opening selects.
//
// UI thread only.

#include "checker/TaskSettings.h"
#include "dialogs/TaskDialogContext.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/TreeCtrl.h"

#include <functional>
#include <memory>
#include <string>

class CPasswordStore;
class CTaskGeneralPage;
class CXmlNode;
class QLineEdit;

class CFavoritesDlg : public CDialog
{
    Q_OBJECT

public:
    // passwords: where a password found in an address goes; savePasswords
    // writes that store to its file (false: not written).
    CFavoritesDlg(CTaskDialogContext context, CPasswordStore* passwords, std::function<bool()> savePasswords,
                  QWidget* parent = nullptr);
    ~CFavoritesDlg() override;

    // The selected task; after a run command, the task to run.
    CTaskSettings m_task;

    CTreeCtrl* GetTree() const { return m_tree; }
    // The page of the selected task; null when no task is selected.
    CTaskGeneralPage* GetPage() const { return m_page.get(); }
    // The label editor while a label is edited, else null.
    QLineEdit* GetLabelEdit() const { return m_labelEdit; }
    HTREEITEM GetAllItem() const { return m_allItem; }

    void done(int code) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CXmlNode* NodeOf(HTREEITEM item) const;
    bool IsFolder(HTREEITEM item) const;
    bool IsTask(HTREEITEM item) const;

    void FillTree();
    void UpdateButtons();
    void OnSelectionChanged(HTREEITEM oldItem, HTREEITEM newItem);
    void ShowPageFor(HTREEITEM item);
    // A new page over m_task in the page area.
    void ShowTaskPage();
    void DiscardPage();
    // Writes the page's task to the item's favourite; false (with a message)
    // when its address is empty or does not parse.
    bool ApplyTask(HTREEITEM item, bool discardPage);
    // The attribute text of the item's favourite read into a fresh task.
    void LoadTaskOf(HTREEITEM item);
    void SortChildrenOf(HTREEITEM parent);

    void OnNewFolder();
    void OnNewTask();
    void OnRename();
    void OnDelete();
    void OnProperties();
    void OnRun(int command, int action);

    void BeginLabelEdit(HTREEITEM item);
    void EndLabelEdit();

    // Stores the selection, saves, and frees the store; once.
    void Close();
    // Saves the password store (when a password was moved into it) and then
    // the favourites; on failure tells the user and returns false with the
    // tree and the edits left as they are, so the dialog can stay open.
    bool SaveEdits();

    CTaskDialogContext m_context;
    CPasswordStore* m_passwords;
    std::function<bool()> m_savePasswords;
    // A password was taken out of an address into m_passwords.
    bool m_passwordMoved = false;
    CTreeCtrl* m_tree = nullptr;
    CImageList m_images;
    QWidget* m_pageArea = nullptr;
    std::unique_ptr<CTaskGeneralPage> m_page;
    HTREEITEM m_allItem = nullptr;
    QLineEdit* m_labelEdit = nullptr;
    HTREEITEM m_editItem = nullptr;
    bool m_saveOnClose = true;
    bool m_favoritesSaved = false;
    int m_editEndKey = 0;
    // Set while the dialog changes the selection itself.
    bool m_selecting = false;
    bool m_loaded = false;
};

// Runs the dialog; after a run command copies its task into task (the
// filter's keys included). The code the dialog ended with.
int RunFavoritesDlg(CPropertySet& task, const CTaskDialogContext& context, CPasswordStore* passwords,
                    std::function<bool()> savePasswords, QWidget* parent);
