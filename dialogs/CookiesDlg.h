#pragma once
// CCookiesDlg, "Cookies": every cookie of the cookie store, one row each
// (domain, path, expiry, "S" when secure, name=value, when it was added).
// Remove and Remove All act on the store at once; there is no working copy
// and no cancel. A row is removed by its domain, path and cookie name, so of
// two cookies on one path only the one of the row goes. After each change
// the store's file is written.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <functional>
#include <string>
#include <vector>

class CCookieStore;
class CListCtrl;

class CCookiesDlg : public CDialog
{
    Q_OBJECT

public:
    // One row as the store reported it.
    struct Row
    {
        std::string m_domain;
        std::string m_path;
        bool m_secure = false;
        std::string m_key; // name=value
        std::string m_expires;
        std::string m_added; // "%m/%d/%Y %H:%M:%S", empty when not known
    };

    // saveStore writes the store to its file (false: not written).
    CCookiesDlg(CCookieStore& store, std::function<bool()> saveStore, QWidget* parent = nullptr);
    ~CCookiesDlg() override;

    CListCtrl* GetList() const { return m_list; }
    const std::vector<Row>& GetRows() const { return m_rows; }

    void OnRemove();
    void OnRemoveAll();

protected:
    bool OnInitDialog() override;

private:
    void FillList();
    void SaveStore();

    CCookieStore& m_store;
    std::function<bool()> m_saveStore;
    CListCtrl* m_list = nullptr;
    std::vector<Row> m_rows; // in list order
};

// Runs the Cookies dialog modally over the store.
void RunCookiesDialog(CCookieStore& store, std::function<bool()> saveStore);
