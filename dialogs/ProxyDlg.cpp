#include "dialogs/ProxyDlg.h"

#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QComboBox>
#include <algorithm>
#include <QLineEdit>

CProxyDlg::CProxyDlg(QWidget* parent)
    : CDialog(IDD_ENTER_PROXY, parent), m_protocols{URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP}
{
    if (const DialogDesc* description = FindDialog(IDD_ENTER_PROXY))
        BuildDialogFromDescription(*this, *description);
    OnChange(IDC_ENTER_PROXY_TYPE, [this] { OnTypeChanged(); });
    OnChange(IDC_ENTER_PROXY_PROTOCOL, [this] { OnProtocolChanged(); });
    OnChange(IDC_ENTER_PROXY_SERVER, [this] { UpdateOk(); });
}

const std::vector<int>& CProxyDlg::GetProxyTypes()
{
    static const std::vector<int> types = {URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_SOCKS4, URL_SCHEME_SOCKS5};
    return types;
}

bool CProxyDlg::OnInitDialog()
{
    if (m_protocol == 0 && !m_protocols.empty())
        m_protocol = m_protocols.front();
    if (auto* protocols = qobject_cast<QComboBox*>(GetDlgItem(IDC_ENTER_PROXY_PROTOCOL)))
    {
        protocols->clear();
        for (int protocol : m_protocols)
        {
            protocols->addItem(QString::fromStdString(GetProtocolName(protocol)));
            if (protocol == m_protocol)
                protocols->setCurrentIndex(protocols->count() - 1);
        }
    }
    FillTypes();
    if (m_port <= 0)
        m_port = GetProxyDefaultPort(m_type);
    UpdateData(false);
    UpdateOk();
    if (QWidget* server = GetDlgItem(IDC_ENTER_PROXY_SERVER))
        server->setFocus();
    return false;
}

void CProxyDlg::FillTypes()
{
    auto* types = qobject_cast<QComboBox*>(GetDlgItem(IDC_ENTER_PROXY_TYPE));
    if (m_type == 0)
        m_type = URL_SCHEME_HTTP;
    if (!types)
        return;
    types->clear();
    for (int type : GetProxyTypes())
        types->addItem(QString::fromStdString(GetProtocolName(type)));
    const auto& all = GetProxyTypes();
    const auto found = std::find(all.begin(), all.end(), m_type);
    types->setCurrentIndex(found == all.end() ? -1 : static_cast<int>(found - all.begin()));
}

void CProxyDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, IDC_ENTER_PROXY_PASSWORD, m_password);
    DDX_Text(dx, IDC_ENTER_PROXY_PORT, m_port);
    DDV_MinMaxInt(dx, m_port, 0, 65535);
    DDX_Text(dx, IDC_ENTER_PROXY_USER, m_user);
    DDX_Text(dx, IDC_ENTER_PROXY_SERVER, m_server);
}

void CProxyDlg::OnTypeChanged()
{
    if (!UpdateData(true))
        return;
    auto* types = qobject_cast<QComboBox*>(GetDlgItem(IDC_ENTER_PROXY_TYPE));
    m_type = types ? FindScheme(types->currentText().toStdString()) : 0;
    if (m_type == 0)
        return;
    m_port = GetProxyDefaultPort(m_type);
    UpdateData(false);
}

void CProxyDlg::OnProtocolChanged()
{
    auto* protocols = qobject_cast<QComboBox*>(GetDlgItem(IDC_ENTER_PROXY_PROTOCOL));
    m_protocol = protocols ? FindScheme(protocols->currentText().toStdString()) : 0;
    if (!UpdateData(true))
        return;
    FillTypes();
    if (m_type != 0)
        m_port = GetProxyDefaultPort(m_type);
    UpdateData(false);
}

void CProxyDlg::UpdateOk()
{
    // Only the server decides; reading the port here would complain about
    // a half-typed port at every key stroke in the server field.
    const auto* server = qobject_cast<QLineEdit*>(GetDlgItem(IDC_ENTER_PROXY_SERVER));
    const bool ready = server && !Trim(server->text().toStdString()).empty();
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setEnabled(ready);
}

void CProxyDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    m_user = Trim(m_user);
    m_server = Trim(m_server);
    // OK is a push button and Enter a key: neither may end the dialog
    // without a server.
    if (m_server.empty())
        return;
    EndDialog(IDOK);
}
