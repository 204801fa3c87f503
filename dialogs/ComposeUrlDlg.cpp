#include "dialogs/ComposeUrlDlg.h"

#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace
{
int DefaultPort(int scheme)
{
    const UrlScheme* entry = GetUrlSchemeEntry(scheme);
    return entry ? entry->defaultPort : -1;
}
} // namespace

CComposeUrlDlg::CComposeUrlDlg(QWidget* parent)
    : CDialog(IDD_COMPOSE_URL, parent), m_protocols{URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP}
{
    if (const DialogDesc* description = FindDialog(IDD_COMPOSE_URL))
        BuildDialogFromDescription(*this, *description);
    for (int id : {IDC_COMPOSE_HOST, IDC_COMPOSE_USER, IDC_COMPOSE_AUTH})
        OnChange(id, [this] { UpdateControls(); });
    OnChange(IDC_COMPOSE_PROTOCOL, [this] { OnProtocolChanged(); });
}

bool CComposeUrlDlg::OnInitDialog()
{
    if (auto* protocols = qobject_cast<QComboBox*>(GetDlgItem(IDC_COMPOSE_PROTOCOL)))
    {
        protocols->clear();
        int selected = 0;
        for (int protocol : m_protocols)
        {
            if (protocol == m_protocol)
                selected = protocols->count();
            protocols->addItem(QString::fromStdString(GetProtocolName(protocol)));
        }
        protocols->setCurrentIndex(protocols->count() > 0 ? selected : -1);
    }
    UpdateData(false);
    UpdateControls();
    if (auto* host = qobject_cast<QLineEdit*>(GetDlgItem(IDC_COMPOSE_HOST)))
    {
        host->setFocus();
        host->selectAll();
    }
    return false;
}

void CComposeUrlDlg::DoDataExchange(CDataExchange& dx)
{
    int authentication = m_authentication ? 1 : 0;
    DDX_Check(dx, IDC_COMPOSE_AUTH, authentication);
    m_authentication = authentication != 0;
    DDX_Text(dx, IDC_COMPOSE_HOST, m_host);
    DDX_Text(dx, IDC_COMPOSE_PATH, m_path);
    DDX_Text(dx, IDC_COMPOSE_PASSWORD, m_password);
    DDX_Text(dx, IDC_COMPOSE_USER, m_user);
    DDX_Text(dx, IDC_COMPOSE_PORT, m_port);
}

void CComposeUrlDlg::UpdateControls()
{
    // Read straight from the controls: a half-typed port must not raise a
    // message at every key stroke in the host field.
    const auto text = [this](int id) {
        const auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id));
        return edit ? Trim(edit->text().toStdString()) : std::string();
    };
    const auto* box = qobject_cast<QCheckBox*>(GetDlgItem(IDC_COMPOSE_AUTH));
    const bool authentication = (box && box->isChecked()) || m_credentialsMode;
    const bool ready = !text(IDC_COMPOSE_HOST).empty() && (!authentication || !text(IDC_COMPOSE_USER).empty());
    const auto enable = [this](int id, bool on) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(on);
    };
    enable(IDOK, ready);
    for (int id : {IDC_COMPOSE_USER, IDC_COMPOSE_USER_LABEL, IDC_COMPOSE_PASSWORD, IDC_COMPOSE_PASSWORD_LABEL})
        enable(id, authentication);
    for (int id : {IDC_COMPOSE_PATH, IDC_COMPOSE_PATH_LABEL, IDC_COMPOSE_AUTH})
        enable(id, !m_credentialsMode);
}

std::string CComposeUrlDlg::ChosenProtocolText() const
{
    const auto* protocols = qobject_cast<QComboBox*>(GetDlgItem(IDC_COMPOSE_PROTOCOL));
    return protocols ? protocols->currentText().toStdString() : std::string();
}

void CComposeUrlDlg::OnProtocolChanged()
{
    if (!UpdateData(true))
        return;
    if (m_port != DefaultPort(m_protocol) && m_port != 8000 && m_port != 8080)
        return;
    m_protocol = FindScheme(ChosenProtocolText());
    m_port = DefaultPort(m_protocol);
    UpdateData(false);
}

void CComposeUrlDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    m_protocol = FindScheme(ChosenProtocolText());
    m_host = MakeLower(Trim(m_host));
    m_user = Trim(m_user);
    if (!m_authentication && !m_credentialsMode)
    {
        m_user.clear();
        m_password.clear();
    }
    // Enter is not the OK button: it must not end the dialog without what
    // OK needs.
    if (m_host.empty() || ((m_authentication || m_credentialsMode) && m_user.empty()))
        return;
    EndDialog(IDOK);
}

bool ComposeUrlFromText(std::string& url, QWidget* parent)
{
    CComposeUrlDlg dialog(parent);
    int scheme = URL_SCHEME_UNKNOWN;
    std::string host;
    int port = -1;
    std::string user;
    std::string password;
    std::string path;
    if (!IsLocalPath(url) && ParseUrl(url.c_str(), scheme, host, port, &user, &password, &path, false))
    {
        dialog.m_protocol = scheme;
        dialog.m_host = host;
        dialog.m_port = port;
        dialog.m_user = user;
        dialog.m_password = password;
        dialog.m_path = path;
        dialog.m_authentication = !user.empty();
    }
    else
    {
        dialog.m_protocol = URL_SCHEME_HTTP;
        dialog.m_port = 80;
        dialog.m_authentication = false;
    }
    if (dialog.DoModal() != IDOK)
        return false;
    url = dialog.m_authentication
              ? ComposeUrl(dialog.m_protocol, dialog.m_host, dialog.m_path, dialog.m_port, dialog.m_user,
                           dialog.m_password)
              : ComposeUrl(dialog.m_protocol, dialog.m_host, dialog.m_path, dialog.m_port, {}, {});
    return true;
}
