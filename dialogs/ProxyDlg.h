#pragma once
// CProxyDlg, "Enter Proxy": one proxy for one protocol. The caller sets the
// offered protocols and the fields, runs it modally and reads the fields
// after IDOK. Choosing a proxy type (or a protocol) puts the type's default
// proxy port into the port field (8000 for HTTP and HTTPS proxies, 1080 for
// SOCKS). OK is enabled while the server, trimmed, is not empty.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CProxyDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CProxyDlg(QWidget* parent = nullptr);

    // The proxy types the type box offers, by scheme id.
    static const std::vector<int>& GetProxyTypes();

    std::vector<int> m_protocols; // scheme ids offered: HTTP, HTTPS, FTP
    int m_protocol = 0;           // 0: not chosen (the first offered)
    int m_type = 0;               // 0: not chosen (HTTP)
    std::string m_server;
    int m_port = 0; // 0 or less: the type's default
    std::string m_user;
    std::string m_password;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;

private:
    void FillTypes();
    void OnTypeChanged();
    void OnProtocolChanged();
    void UpdateOk();
};
