#include "dialogs/LinkFilterPage.h"

#include "checker/LinkNames.h"
#include "checker/TaskFilter.h"
#include "foundation/links/UrlParts.h"
#include "foundation/markup/LinkWalk.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/ListCtrl.h"
#include "res/Resources.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTreeView>

namespace
{
// Cells of the state images: a box, a ticked box.
constexpr UINT kUnchecked = 1;
constexpr UINT kChecked = 2;
constexpr int kProtocolSchemes[] = {URL_SCHEME_HTTP, URL_SCHEME_HTTPS, URL_SCHEME_FTP};

void SetCheck(CListCtrl& list, int row, bool checked)
{
    list.SetItemState(row, INDEXTOSTATEIMAGEMASK(checked ? kChecked : kUnchecked), LVIS_STATEIMAGEMASK);
}

void ToggleBit(int32_t& mask, int bit)
{
    mask = static_cast<int32_t>(static_cast<uint32_t>(mask) ^ (1u << bit));
}
} // namespace

CLinkFilterPage::CLinkFilterPage(CTaskFilter& filter)
    : CSettingsPage(IDD_LINK_FILTER_PAGE, nullptr, nullptr, "Filter", "Filter"), m_filter(filter)
{
    for (int id : {IDC_LINKFILTER_EXTERNAL, IDC_LINKFILTER_IGNORE_EMPTY, IDC_LINKFILTER_INCLUDE_ON,
                   IDC_LINKFILTER_EXCLUDE_ON, IDC_LINKFILTER_CONTAINERS, IDC_LINKFILTER_INCLUDE,
                   IDC_LINKFILTER_EXCLUDE})
        OnChange(id, [this, id] { OnBoundControlChanged(id); });
}

bool CLinkFilterPage::OnInitDialog()
{
    m_includeOn = m_filter.IsIncludeEnabled() ? 1 : 0;
    m_excludeOn = m_filter.IsExcludeEnabled() ? 1 : 0;
    m_include = m_filter.GetIncludeText(';');
    m_exclude = m_filter.GetExcludeText(';');
    m_external = m_filter.m_external ? 1 : 0;
    m_ignoreEmpty = m_filter.m_keepEmptyTags ? 0 : 1;
    m_containers = m_filter.m_containers ? 1 : 0;
    CSettingsPage::OnInitDialog();
    FillLists();
    UpdateControls();
    ActivateToolTips(true);
    return true;
}

void CLinkFilterPage::FillLists()
{
    m_tags = qobject_cast<CListCtrl*>(GetDlgItem(IDC_LINKFILTER_TAGS));
    m_protocols = qobject_cast<CListCtrl*>(GetDlgItem(IDC_LINKFILTER_PROTOCOLS));
    if (!m_tags || !m_protocols)
        return;
    m_images = CImageList(16, 16);
    m_images.AddStrip(LoadBitmapResource(IDB_LISTS_SMALL));
    m_stateImages.AddStrip(LoadBitmapResource(IDB_PROXY_STATES));
    for (CListCtrl* list : {m_tags, m_protocols})
    {
        list->ModifyStyle(0, LVS_SINGLESEL | LVS_SHOWSELALWAYS);
        list->InsertColumn(0, "", LVCFMT_LEFT, 200);
        list->SetImageList(&m_images, LVSIL_SMALL);
        list->SetImageList(&m_stateImages, LVSIL_STATE);
        list->ReportView()->setHeaderHidden(true);
        list->ReportView()->viewport()->installEventFilter(this);
    }
    for (int tag = 0; tag < kTagTypeCount; ++tag)
        m_tags->InsertItem(tag, GetLinkKindName(tag), 0);
    for (int scheme : kProtocolSchemes)
        m_protocols->InsertItem(m_protocols->GetItemCount(), GetProtocolName(scheme), 1);
    UpdateChecks();
}

void CLinkFilterPage::UpdateChecks()
{
    if (!m_tags || !m_protocols)
        return;
    for (int row = 0; row < m_tags->GetItemCount(); ++row)
        SetCheck(*m_tags, row, MaskHasBit(m_filter.m_tagMask, row));
    for (int row = 0; row < m_protocols->GetItemCount(); ++row)
        SetCheck(*m_protocols, row, MaskHasBit(m_filter.m_protocolMask, FindScheme(m_protocols->GetItemText(row, 0))));
}

void CLinkFilterPage::ToggleRow(int listId, int row)
{
    if (listId == IDC_LINKFILTER_TAGS && m_tags && row >= 0 && row < m_tags->GetItemCount())
    {
        ToggleBit(m_filter.m_tagMask, row);
    }
    else if (listId == IDC_LINKFILTER_PROTOCOLS && m_protocols && row >= 0 && row < m_protocols->GetItemCount())
    {
        // The scheme named by the row's text, and every row of that text.
        const int scheme = FindScheme(m_protocols->GetItemText(row, 0));
        if (scheme == URL_SCHEME_UNKNOWN)
            return;
        ToggleBit(m_filter.m_protocolMask, scheme);
    }
    else
    {
        return;
    }
    UpdateChecks();
    SetModified(true);
}

void CLinkFilterPage::DoDataExchange(CDataExchange& dx)
{
    DDX_Check(dx, IDC_LINKFILTER_INCLUDE_ON, m_includeOn);
    DDX_Text(dx, IDC_LINKFILTER_INCLUDE, m_include);
    DDX_Check(dx, IDC_LINKFILTER_EXCLUDE_ON, m_excludeOn);
    DDX_Text(dx, IDC_LINKFILTER_EXCLUDE, m_exclude);
    DDX_Check(dx, IDC_LINKFILTER_EXTERNAL, m_external);
    DDX_Check(dx, IDC_LINKFILTER_IGNORE_EMPTY, m_ignoreEmpty);
    DDX_Check(dx, IDC_LINKFILTER_CONTAINERS, m_containers);
}

void CLinkFilterPage::OnBoundControlChanged(int controlId)
{
    if (controlId != IDC_LINKFILTER_INCLUDE && controlId != IDC_LINKFILTER_EXCLUDE)
    {
        UpdateData(true);
        UpdateControls();
    }
    CSettingsPage::OnBoundControlChanged(controlId);
}

void CLinkFilterPage::UpdateControls()
{
    const auto enable = [this](int id, bool on) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(on);
    };
    enable(IDC_LINKFILTER_INCLUDE, m_includeOn != 0);
    enable(IDC_LINKFILTER_EXCLUDE, m_excludeOn != 0);
    enable(IDC_LINKFILTER_PROTOCOLS, m_external != 0);
}

bool CLinkFilterPage::ApplyBindings()
{
    m_filter.SetIncludeEnabled(m_includeOn != 0);
    m_filter.SetExcludeEnabled(m_excludeOn != 0);
    m_filter.SetIncludeText(m_include, ';');
    m_filter.SetExcludeText(m_exclude, ';');
    m_filter.m_external = m_external != 0;
    m_filter.m_keepEmptyTags = m_ignoreEmpty == 0;
    m_filter.m_containers = m_containers != 0;
    return true;
}

bool CLinkFilterPage::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    if (press || doubleClick)
    {
        for (auto [list, id] : {std::pair{m_tags, IDC_LINKFILTER_TAGS}, std::pair{m_protocols, IDC_LINKFILTER_PROTOCOLS}})
        {
            if (!list || watched != list->ReportView()->viewport())
                continue;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            UINT flags = 0;
            const int row = list->HitTest(mouse->position().toPoint(), &flags);
            if (mouse->button() == Qt::LeftButton && row >= 0 && flags == LVHT_ONITEMSTATEICON)
            {
                ToggleRow(static_cast<int>(id), row);
                return true;
            }
        }
    }
    return CSettingsPage::eventFilter(watched, event);
}
