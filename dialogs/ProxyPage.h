#pragma once
// CProxyPage, "Connections\\Proxy" of the Settings dialog: the list of
// proxies, each mapping a protocol (HTTP, HTTPS or FTP) to a proxy of type
// HTTP, HTTPS, SOCKS4 or SOCKS5, and the skip list. One entry per protocol
// can be checked: it is the proxy the transfer engine uses for that
// protocol ("Proxy/HTTP" and "Proxy/HTTP enabled", and so on).
//
// The whole list is kept in "Proxy/All" as "protocol->url;" entries; the
// URLs carry no password. Passwords live in a private map while the page is
// open and reach the application's password store only when the page is
// applied, every row's password (checked or not), so Cancel leaves the store
// untouched.
//
// UI thread only.

#include "dialogs/SettingsPage.h"

#include "foundation/stores/PasswordStore.h"
#include "platform/ui/ImageList.h"

#include <string>
#include <vector>

class CListCtrl;
class CProxyDlg;

class CProxyPage : public CSettingsPage
{
    Q_OBJECT

public:
    // passwords: the application's password store, read when the page is
    // initialised and written when it is applied.
    CProxyPage(IPropertySet* source, IPropertySet* target, CPasswordStore& passwords, std::string path);
    ~CProxyPage() override;

    bool ApplyBindings() override;

    // The proxy URL a row stands for, in row order.
    const std::vector<std::string>& GetRowUrls() const { return m_urls; }
    CListCtrl* GetList() const { return m_list; }
    // Whether a row is checked (its state image is the checked one).
    bool IsRowChecked(int row) const;
    // The password the page holds for a proxy URL.
    std::string GetPrivatePassword(const std::string& url);

    // Adds a row (see the file comment); with check the row becomes the
    // active proxy of its protocol.
    void AddProxy(int protocol, int type, const std::string& server, int port, const std::string& user,
                  const std::string& password, bool check);
    // 1 checks, 0 unchecks, -1 toggles; other rows of the same protocol
    // are unchecked, and the protocol's settings follow the row.
    void SetRowCheck(int row, int mode);

    void OnAdd();
    void OnEdit();
    void OnRemove();

    // The proxy URL of a row: type, server, port and user, no password.
    static std::string ComposeProxyUrl(int type, const std::string& server, int port, const std::string& user);

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ProtocolSettings
    {
        int m_scheme;
        int m_urlSetting;
        int m_enabledSetting;
    };
    static const ProtocolSettings* FindProtocol(int scheme);
    static const ProtocolSettings* FindProtocolByName(const std::string& name);

    void SaveList();
    void UpdateButtons();
    void SetRowTexts(int row, int protocol, int type, const std::string& server, int port, const std::string& user);
    void StorePrivatePassword(const std::string& url, const std::string& user, const std::string& password);

    CPasswordStore& m_passwords;
    CPasswordStore m_privatePasswords; // in memory only
    CListCtrl* m_list = nullptr;
    CImageList m_stateImages{16, 16};
    std::vector<std::string> m_urls;
};
