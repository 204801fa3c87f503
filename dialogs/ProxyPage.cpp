#include "dialogs/ProxyPage.h"

#include "dialogs/ProxyDlg.h"
#include "foundation/links/UrlParts.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/StringSplit.h"
#include "platform/core/Text.h"
#include "platform/ui/ListCtrl.h"
#include "res/Resources.h"
#include "widgets/ListColumns.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeView>

namespace
{
constexpr UINT kUnchecked = 1;
constexpr UINT kChecked = 2;

struct ProxyParts
{
    int m_type = 0;
    std::string m_server;
    int m_port = 0;
    std::string m_user;
};

ProxyParts ParseProxyUrl(const std::string& url)
{
    CUrlParts parts;
    std::string path;
    ProxyParts result;
    if (!ParseUrlToParts(url.c_str(), parts, path, true))
        return result;
    result.m_type = parts.m_scheme;
    result.m_server = parts.m_host;
    result.m_port = parts.m_port;
    result.m_user = parts.m_user;
    return result;
}
} // namespace

CProxyPage::CProxyPage(IPropertySet* source, IPropertySet* target, CPasswordStore& passwords, std::string path)
    : CSettingsPage(IDD_SETTINGS_PROXY, source, target, std::move(path), LoadResourceString(IDS_PROXY_CAPTION)),
      m_passwords(passwords)
{
    AddBinding(IDC_PROXY_SKIP_ENABLED, SETTING_PROXY_SKIP_LIST_ENABLED, CSettingBinding::kCheck);
    AddBinding(IDC_PROXY_SKIP_LIST, SETTING_PROXY_SKIP_LIST, CSettingBinding::kText);
    AddBinding(IDC_PROXY_SKIP_LOCAL, SETTING_PROXY_SKIP_LOCAL_ENABLED, CSettingBinding::kCheck);
    OnCommand(IDC_PROXY_ADD, [this] { OnAdd(); });
    OnCommand(IDC_PROXY_EDIT, [this] { OnEdit(); });
    OnCommand(IDC_PROXY_REMOVE, [this] { OnRemove(); });
}

CProxyPage::~CProxyPage() = default;

const CProxyPage::ProtocolSettings* CProxyPage::FindProtocol(int scheme)
{
    static const ProtocolSettings kProtocols[] = {
        {URL_SCHEME_HTTP, SETTING_PROXY_HTTP, SETTING_PROXY_HTTP_ENABLED},
        {URL_SCHEME_HTTPS, SETTING_PROXY_HTTPS, SETTING_PROXY_HTTPS_ENABLED},
        {URL_SCHEME_FTP, SETTING_PROXY_FTP, SETTING_PROXY_FTP_ENABLED},
    };
    for (const ProtocolSettings& protocol : kProtocols)
    {
        if (protocol.m_scheme == scheme)
            return &protocol;
    }
    return nullptr;
}

const CProxyPage::ProtocolSettings* CProxyPage::FindProtocolByName(const std::string& name)
{
    // Only an exact protocol name: a row named otherwise is never active.
    for (int scheme : {URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP})
    {
        if (GetProtocolName(scheme) == name)
            return FindProtocol(scheme);
    }
    return nullptr;
}

std::string CProxyPage::ComposeProxyUrl(int type, const std::string& server, int port, const std::string& user)
{
    return ComposeUrl(type, server, "", port, user, "");
}

bool CProxyPage::OnInitDialog()
{
    CSettingsPage::OnInitDialog();
    m_list = qobject_cast<CListCtrl*>(GetDlgItem(IDC_PROXY_LIST));
    IPropertySet* source = GetSource();
    if (!m_list || !source)
        return true;
    m_list->ModifyStyle(0, LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    m_list->InsertColumn(0, "Protocol", LVCFMT_LEFT, 100);
    m_list->InsertColumn(1, "Proxy", LVCFMT_LEFT, 200);
    AutoSizeListColumns(m_list->ReportView()->header(), {0.3, 0.7});
    m_stateImages.AddStrip(LoadBitmapResource(IDB_PROXY_STATES));
    m_list->SetImageList(&m_stateImages, LVSIL_STATE);
    m_list->ReportView()->viewport()->installEventFilter(this);
    connect(m_list, &CListCtrl::itemChanged, this, [this] { UpdateButtons(); });

    struct Entry
    {
        std::string m_protocol;
        std::string m_url;
    };
    std::vector<Entry> entries;
    std::vector<std::string> pieces;
    SplitString(GetStringOf(*source, SETTING_PROXY_ALL), pieces, ';');
    for (const std::string& piece : pieces)
    {
        const size_t arrow = piece.find("->");
        if (piece.empty() || arrow == std::string::npos)
            continue;
        entries.push_back({piece.substr(0, arrow), piece.substr(arrow + 2)});
    }

    // The active entry of each protocol: the last whose URL is the
    // protocol's enabled proxy.
    std::map<int, size_t> active;
    for (size_t index = 0; index < entries.size(); ++index)
    {
        for (int scheme : {URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP})
        {
            const ProtocolSettings* protocol = FindProtocol(scheme);
            if (GetStringOf(*source, protocol->m_urlSetting) == entries[index].m_url && GetIntOr(*source, protocol->m_enabledSetting, 0) != 0 &&
                FindScheme(entries[index].m_protocol) == scheme)
                active[scheme] = index;
        }
    }

    std::vector<std::string> composed(entries.size());
    for (size_t index = 0; index < entries.size(); ++index)
    {
        const ProxyParts parts = ParseProxyUrl(entries[index].m_url);
        AddProxy(FindScheme(entries[index].m_protocol), parts.m_type, parts.m_server, parts.m_port, parts.m_user,
                 std::string(), false);
        composed[index] = m_urls.back();
        std::string password;
        if (m_passwords.Get(m_urls.back(), password))
            m_privatePasswords.Set(m_urls.back(), password);
    }

    for (int scheme : {URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP})
    {
        const ProtocolSettings* protocol = FindProtocol(scheme);
        source->SetString(protocol->m_urlSetting, "");
        source->SetInt(protocol->m_enabledSetting, 0);
    }
    for (const auto& [scheme, index] : active)
    {
        // A later duplicate may have replaced the entry's row.
        const std::string& url = composed[index];
        for (int row = 0; row < m_list->GetItemCount(); ++row)
        {
            if (EqualsNoCase(m_urls[static_cast<size_t>(row)], url) &&
                FindScheme(m_list->GetItemText(row, 0)) == scheme)
            {
                SetRowCheck(row, 1);
                break;
            }
        }
    }
    UpdateButtons();
    return true;
}

void CProxyPage::AddProxy(int protocol, int type, const std::string& server, int port, const std::string& user,
                          const std::string& password, bool check)
{
    if (!m_list || !GetSource())
        return;
    const std::string url = ComposeProxyUrl(type, server, port, user);
    const std::string protocolName = GetProtocolName(protocol);
    for (int row = 0; row < m_list->GetItemCount(); ++row)
    {
        if (EqualsNoCase(m_urls[static_cast<size_t>(row)], url) && m_list->GetItemText(row, 0) == protocolName)
        {
            m_list->DeleteItem(row);
            m_urls.erase(m_urls.begin() + row);
            break;
        }
    }
    if (const ProtocolSettings* settings = FindProtocol(protocol))
    {
        GetSource()->SetString(settings->m_urlSetting, url.c_str());
        GetSource()->SetInt(settings->m_enabledSetting, 1);
    }
    StorePrivatePassword(url, user, password);
    const int row = m_list->InsertItem(m_list->GetItemCount(), protocolName);
    m_urls.push_back(url);
    SetRowTexts(row, protocol, type, server, port, user);
    m_list->SetItemState(row, INDEXTOSTATEIMAGEMASK(kUnchecked), LVIS_STATEIMAGEMASK);
    if (check)
        SetRowCheck(row, 1);
}

void CProxyPage::SetRowTexts(int row, int protocol, int type, const std::string& server, int port,
                             const std::string& user)
{
    const std::string typeName = GetProtocolName(type);
    m_list->SetItemText(row, 0, GetProtocolName(protocol));
    m_list->SetItemText(row, 1,
                        user.empty() ? Format("%s: %s:%d", typeName.c_str(), server.c_str(), port)
                                     : Format("%s: %s@%s:%d", typeName.c_str(), user.c_str(), server.c_str(), port));
}

void CProxyPage::StorePrivatePassword(const std::string& url, const std::string& user, const std::string& password)
{
    if (user.empty())
        m_privatePasswords.Remove(url);
    else
        m_privatePasswords.Set(url, password);
}

std::string CProxyPage::GetPrivatePassword(const std::string& url)
{
    std::string password;
    m_privatePasswords.Get(url, password);
    return password;
}

bool CProxyPage::IsRowChecked(int row) const
{
    return m_list && m_list->GetItemState(row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kChecked);
}

void CProxyPage::SetRowCheck(int row, int mode)
{
    if (!m_list || row < 0 || row >= m_list->GetItemCount())
        return;
    const std::string protocolName = m_list->GetItemText(row, 0);
    const bool checked = mode == 1 || (mode == -1 && !IsRowChecked(row));
    for (int other = 0; other < m_list->GetItemCount(); ++other)
    {
        if (other != row && m_list->GetItemText(other, 0) == protocolName)
            m_list->SetItemState(other, INDEXTOSTATEIMAGEMASK(kUnchecked), LVIS_STATEIMAGEMASK);
    }
    m_list->SetItemState(row, INDEXTOSTATEIMAGEMASK(checked ? kChecked : kUnchecked), LVIS_STATEIMAGEMASK);
    if (const ProtocolSettings* settings = FindProtocolByName(protocolName); settings && GetSource())
    {
        GetSource()->SetString(settings->m_urlSetting, m_urls[static_cast<size_t>(row)].c_str());
        GetSource()->SetInt(settings->m_enabledSetting, checked ? 1 : 0);
    }
}

void CProxyPage::SaveList()
{
    if (!m_list || !GetSource())
        return;
    std::string all;
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        all += Format("%s->%s;", m_list->GetItemText(row, 0).c_str(), m_urls[static_cast<size_t>(row)].c_str());
    GetSource()->SetString(SETTING_PROXY_ALL, all.c_str());
}

void CProxyPage::UpdateButtons()
{
    const bool selected = m_list && m_list->GetSelectedCount() > 0;
    for (int id : {IDC_PROXY_EDIT, IDC_PROXY_REMOVE})
    {
        if (QWidget* button = GetDlgItem(id))
            button->setEnabled(selected);
    }
}

void CProxyPage::OnAdd()
{
    CProxyDlg dialog(this);
    if (dialog.DoModal() != IDOK)
        return;
    AddProxy(dialog.m_protocol, dialog.m_type, dialog.m_server, dialog.m_port, dialog.m_user, dialog.m_password, true);
    SaveList();
    SetModified(true);
    UpdateButtons();
}

void CProxyPage::OnEdit()
{
    const int row = m_list ? m_list->GetNextItem(-1, LVNI_SELECTED) : -1;
    if (row < 0 || !GetSource())
        return;
    const std::string oldUrl = m_urls[static_cast<size_t>(row)];
    const int oldProtocol = FindScheme(m_list->GetItemText(row, 0));
    const ProxyParts parts = ParseProxyUrl(oldUrl);
    CProxyDlg dialog(this);
    dialog.m_protocol = oldProtocol;
    dialog.m_type = parts.m_type;
    dialog.m_server = parts.m_server;
    dialog.m_port = parts.m_port;
    dialog.m_user = parts.m_user;
    dialog.m_password = GetPrivatePassword(oldUrl);
    if (dialog.DoModal() != IDOK)
        return;
    // A proxy moved to another protocol stops serving the old one.
    if (const ProtocolSettings* old = FindProtocol(oldProtocol); old && old->m_scheme != dialog.m_protocol)
    {
        if (GetStringOf(*GetSource(), old->m_urlSetting) == oldUrl)
        {
            GetSource()->SetString(old->m_urlSetting, "");
            GetSource()->SetInt(old->m_enabledSetting, 0);
        }
    }
    const std::string url = ComposeProxyUrl(dialog.m_type, dialog.m_server, dialog.m_port, dialog.m_user);
    m_urls[static_cast<size_t>(row)] = url;
    if (const ProtocolSettings* settings = FindProtocol(dialog.m_protocol))
    {
        GetSource()->SetString(settings->m_urlSetting, url.c_str());
        GetSource()->SetInt(settings->m_enabledSetting, 1);
    }
    StorePrivatePassword(url, dialog.m_user, dialog.m_password);
    SetRowTexts(row, dialog.m_protocol, dialog.m_type, dialog.m_server, dialog.m_port, dialog.m_user);
    SaveList();
    SetRowCheck(row, 1);
    SetModified(true);
    UpdateButtons();
}

void CProxyPage::OnRemove()
{
    const int row = m_list ? m_list->GetNextItem(-1, LVNI_SELECTED) : -1;
    if (row < 0 || !GetSource())
        return;
    const std::string url = m_urls[static_cast<size_t>(row)];
    if (const ProtocolSettings* settings = FindProtocolByName(m_list->GetItemText(row, 0));
        settings && GetStringOf(*GetSource(), settings->m_urlSetting) == url)
    {
        GetSource()->SetString(settings->m_urlSetting, "");
        GetSource()->SetInt(settings->m_enabledSetting, 0);
    }
    m_list->DeleteItem(row);
    m_urls.erase(m_urls.begin() + row);
    SaveList();
    SetModified(true);
    UpdateButtons();
}

bool CProxyPage::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    if (m_list && watched == m_list->ReportView()->viewport() && (press || doubleClick))
    {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
        {
            UINT flags = 0;
            const int row = m_list->HitTest(mouse->position().toPoint(), &flags);
            if (row >= 0 && flags == LVHT_ONITEMSTATEICON)
            {
                SetRowCheck(row, -1);
                SetModified(true);
                UpdateButtons();
            }
            else if (doubleClick)
            {
                OnEdit();
                return true;
            }
        }
    }
    return CSettingsPage::eventFilter(watched, event);
}

bool CProxyPage::ApplyBindings()
{
    IPropertySet* source = GetSource();
    IPropertySet* target = GetTarget();
    if (!source || !target)
        return true;
    for (int scheme : {URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP})
    {
        const ProtocolSettings* protocol = FindProtocol(scheme);
        target->SetString(protocol->m_urlSetting, GetStringOf(*source, protocol->m_urlSetting).c_str());
        target->SetInt(protocol->m_enabledSetting, GetIntOr(*source, protocol->m_enabledSetting, 0));
    }
    // Every listed proxy keeps its password, checked or not: the list is
    // rebuilt from the store the next time the page opens.
    for (const std::string& url : m_urls)
    {
        std::string password;
        if (m_privatePasswords.Get(url, password))
            m_passwords.Set(url, password);
    }
    target->SetString(SETTING_PROXY_ALL, GetStringOf(*source, SETTING_PROXY_ALL).c_str());
    return CSettingsPage::ApplyBindings();
}
