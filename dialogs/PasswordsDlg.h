#pragma once
// CPasswordsDlg, "Passwords": the saved resource passwords in a list of
// resources ("http://user@host", ":port" only for a port other than the
// protocol's default). Every edit goes to a working copy; Save (enabled once
// something was edited) replaces the store's entries with it and has the
// store's file written, so Cancel, Esc and the close box leave both as they
// were.
//
// Adding and changing run the Compose URL dialog in credentials mode, with
// SOCKS4 and SOCKS5 among its protocols; a resource that does not read as a
// URL is edited as HTTP on port 80.
//
// UI thread only.

#include "foundation/stores/PasswordStore.h"
#include "platform/ui/Dialog.h"

#include <QSize>

#include <functional>
#include <string>
#include <vector>

class CListCtrl;

class CPasswordsDlg : public CDialog
{
    Q_OBJECT

public:
    // store: the program's password store, read at initialisation and
    // replaced on Save; saveStore writes it to its file (false: not written).
    CPasswordsDlg(CPasswordStore& store, std::function<bool()> saveStore, QWidget* parent = nullptr);
    ~CPasswordsDlg() override;

    CListCtrl* GetList() const { return m_list; }
    int GetChangeCount() const { return m_changeCount; }
    // The resources the list shows, in row order.
    std::vector<std::string> GetRows() const;

    void OnAddPassword();
    void OnChangePassword();
    void OnRemove();
    void OnRemoveAll();

protected:
    bool OnInitDialog() override;
    // Save.
    void OnOK() override;

private:
    // Refills the list from the working copy and selects select (without
    // regard to case), else the first row.
    void FillList(const std::string& select = {});
    void UpdateButtons();
    // Runs Compose URL over the given parts; on OK the entry is stored in
    // the working copy under its composed resource, which is returned
    // (empty when cancelled or not storable).
    std::string EditEntry(int protocol, const std::string& host, int port, const std::string& user,
                          const std::string& password);

    CPasswordStore& m_store;
    std::function<bool()> m_saveStore;
    CPasswordStore m_workingCopy;
    CListCtrl* m_list = nullptr;
    int m_changeCount = 0;
};

// Runs the Passwords dialog modally over the store.
void RunPasswordsDialog(CPasswordStore& store, std::function<bool()> saveStore);
