#include "dialogs/ReportOptionsDlg.h"

#include "checker/ui/LinkGroupTree.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QShowEvent>

#include <algorithm>

namespace
{
// The entries of the three combo boxes.
constexpr int kReportStyles = 4;
constexpr int kReportOutputs = 2;
constexpr int kReportGroupKinds = 6;
} // namespace

std::string EscapeReportTemplate(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '\\')
            shown += "\\\\";
        else if (c == '\t')
            shown += "\\t";
        else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        {
            shown += "\\n";
            ++i;
        }
        else if (c == '\r' || c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    return shown;
}

std::string UnescapeReportTemplate(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '\\' && next == '\\')
            result += '\\';
        else if (c == '\\' && next == 't')
            result += '\t';
        else if (c == '\\' && next == 'n')
            result += "\r\n";
        else
        {
            result += c;
            continue;
        }
        ++i;
    }
    return result;
}

CReportOptionsDlg::CReportOptionsDlg(IPropertySet& settings, std::function<bool()> saveSettings,
                                     QWidget* parent)
    : CDialog(IDD_REPORT_OPTIONS, parent), m_settings(settings), m_saveSettings(std::move(saveSettings))
{
    if (const DialogDesc* description = FindDialog(IDD_REPORT_OPTIONS))
        BuildDialogFromDescription(*this, *description);
    m_groups = new CLinkGroupTree(this);
    if (!ReplaceDlgItem(IDC_REPORT_GROUPS, m_groups))
        SetDlgItem(IDC_REPORT_GROUPS, m_groups);
    Load();
}

void CReportOptionsDlg::Load()
{
    // A stored number outside its list would leave its combo box without a
    // choice, and OK would store -1.
    m_style = std::clamp(GetIntOr(m_settings, SETTING_REPORT_STYLE), 0, kReportStyles - 1);
    m_output = std::clamp(GetIntOr(m_settings, SETTING_REPORT_OUTPUT), 0, kReportOutputs - 1);
    m_groupKind = std::clamp(GetIntOr(m_settings, SETTING_REPORT_GROUP_LINKS), 0, kReportGroupKinds - 1);
    m_template = GetStringOf(m_settings, SETTING_REPORT_FORMAT);
    m_includeStatistics = GetIntOr(m_settings, SETTING_REPORT_INCLUDE_GENERAL);
    // The selection's three modes stay "by masks".
    m_selection = CLinkViewFilter();
    m_selection.m_hideRepeats = GetIntOr(m_settings, SETTING_REPORT_HIDE_REPEATING_LINKS);
    m_selection.m_stateMask = GetIntOr(m_settings, SETTING_REPORT_LINK_STATES);
    m_selection.m_typeMask = GetIntOr(m_settings, SETTING_REPORT_LINK_TYPES);
    m_selection.m_protocolMask = GetIntOr(m_settings, SETTING_REPORT_LINK_PROTOCOLS);
    m_selection.m_scopeMask = GetIntOr(m_settings, SETTING_REPORT_LINK_INTERESET);
    m_selection.m_tagMask = GetIntOr(m_settings, SETTING_REPORT_LINK_TAGS);
    m_selection.m_containsBroken = GetIntOr(m_settings, SETTING_REPORT_CONTAIN_BROKEN);
}

bool CReportOptionsDlg::OnInitDialog()
{
    m_groups->SetFilter(m_selection);
    m_groups->Fill(true);
    UpdateData(false);
    return true;
}

void CReportOptionsDlg::showEvent(QShowEvent* event)
{
    CDialog::showEvent(event);
    // The dialog cannot be made smaller than it opened.
    if (!m_minimumSet)
    {
        setMinimumSize(size());
        m_minimumSet = true;
    }
}

void CReportOptionsDlg::DoDataExchange(CDataExchange& dx)
{
    DDX_CBIndex(dx, IDC_REPORT_STYLE, m_style);
    DDX_CBIndex(dx, IDC_REPORT_OUTPUT, m_output);
    DDX_CBIndex(dx, IDC_REPORT_GROUP_BY, m_groupKind);

    std::string shown = dx.m_bSaveAndValidate ? std::string() : EscapeReportTemplate(m_template);
    DDX_Text(dx, IDC_REPORT_FORMAT, shown);
    if (!dx.m_bSaveAndValidate)
        m_shownTemplate = shown;
    else if (shown != m_shownTemplate)
        m_template = UnescapeReportTemplate(shown);
    // An untouched text keeps the template as it was loaded: a lone LF or CR
    // is shown as "\n" like CR LF and would otherwise come back as CR LF.

    DDX_Check(dx, IDC_REPORT_INCLUDE_GENERAL, m_includeStatistics);
    int hideRepeats = m_selection.m_hideRepeats;
    DDX_Check(dx, IDC_REPORT_HIDE_REPEATING, hideRepeats);
    if (dx.m_bSaveAndValidate)
    {
        m_selection = m_groups->GetFilter();
        m_selection.m_hideRepeats = hideRepeats;
    }
    else
    {
        m_groups->SetFilter(m_selection);
    }
}

void CReportOptionsDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    m_selection.m_pageMode = CLinkViewFilter::kByMasks;
    m_selection.m_fileMode = CLinkViewFilter::kByMasks;
    m_selection.m_type0Mode = CLinkViewFilter::kByMasks;
    if (StoreChanged() && m_saveSettings)
        m_saveSettings();
    EndDialog(IDOK);
}

bool CReportOptionsDlg::StoreChanged()
{
    bool changed = false;
    if (GetStringOf(m_settings, SETTING_REPORT_FORMAT) != m_template)
    {
        m_settings.SetString(SETTING_REPORT_FORMAT, m_template.c_str());
        changed = true;
    }
    const std::pair<int, int> numbers[] = {
        {SETTING_REPORT_STYLE, m_style},
        {SETTING_REPORT_OUTPUT, m_output},
        {SETTING_REPORT_GROUP_LINKS, m_groupKind},
        {SETTING_REPORT_INCLUDE_GENERAL, m_includeStatistics},
        {SETTING_REPORT_HIDE_REPEATING_LINKS, m_selection.m_hideRepeats},
        {SETTING_REPORT_LINK_STATES, m_selection.m_stateMask},
        {SETTING_REPORT_LINK_TYPES, m_selection.m_typeMask},
        {SETTING_REPORT_LINK_PROTOCOLS, m_selection.m_protocolMask},
        {SETTING_REPORT_LINK_INTERESET, m_selection.m_scopeMask},
        {SETTING_REPORT_LINK_TAGS, m_selection.m_tagMask},
        {SETTING_REPORT_CONTAIN_BROKEN, m_selection.m_containsBroken},
    };
    for (const auto& [id, value] : numbers)
    {
        if (GetIntOr(m_settings, id) != value)
        {
            m_settings.SetInt(id, value);
            changed = true;
        }
    }
    return changed;
}

CReportOptions CReportOptionsDlg::GetReportOptions() const
{
    CReportOptions options;
    options.m_format = m_style;
    options.m_template = m_template;
    options.m_selection = m_selection;
    options.m_statistics = m_includeStatistics != 0;
    options.m_groupKind = m_groupKind;
    return options;
}
