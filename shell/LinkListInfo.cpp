// The info pane of the link list: the link view frame's editor view shows
// one page about the link chosen by the list (the one selected row, else the
// tree's selected page; several rows give a note instead). The page is the
// list's info mode.

#include "shell/LinkListView.h"

#include "checker/FormData.h"
#include "checker/LinkNames.h"
#include "editor/SyntaxColorizer.h"
#include "editor/ui/HTMLEditView.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RefPtr.h"
#include "platform/core/Text.h"
#include "platform/ui/FrameWnd.h"
#include "shell/LinkTreeFrame.h"
#include "shell/LinkTreeView.h"
#include "shell/LinkViewFrame.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLog.h"

namespace
{
// Colouriser modes of the pane's texts.
constexpr int kColorNone = -2;
constexpr int kColorDetect = -1;
constexpr int kColorHtml = 1;
constexpr int kColorSource = 3;
constexpr int kColorLog = 4;
constexpr int kColorHeaders = 6;

// The tab size the log is laid out for.
constexpr int kLogTabSize = 6;

// What LoadHtmlFile writes for the three HTML pages: every node, the tags,
// the text alone.
int HtmlPageNodes(int mode)
{
    return mode == CLinkListView::kInfoHtmlElements ? -1 : mode == CLinkListView::kInfoHtmlTags ? 124 : 2;
}

void ShowPaneText(CHTMLEditView& view, const std::string& text, int colorMode)
{
    view.SetColorizer(colorMode == kColorNone ? nullptr : new CSyntaxColorizer(colorMode), colorMode != kColorNone,
                      false);
    view.ShowError(text);
}

bool IsSourceFile(const std::string& url)
{
    const size_t dot = url.find_last_of("./\\");
    if (dot == std::string::npos || url[dot] != '.')
        return false;
    const std::string extension = MakeLower(url.substr(dot));
    return extension == ".h" || extension == ".hpp" || extension == ".c" || extension == ".cpp";
}
} // namespace

void CLinkListView::SetLinkViewFrame(CLinkViewFrame* frame)
{
    if (m_linkViewFrame != frame)
        DetachLinkViewFrame();
    m_linkViewFrame = frame;
    if (!frame)
        return;
    frame->SetListPane(this);
    if (CHTMLEditView* view = frame->GetEditView())
        view->SetFormTarget([this](const CFormData& form) { SubmitForm(form); });
}

void CLinkListView::DetachLinkViewFrame()
{
    if (!m_linkViewFrame)
        return;
    m_linkViewFrame->SetListPane(nullptr);
    if (CHTMLEditView* view = m_linkViewFrame->GetEditView())
        view->SetFormTarget({});
    m_linkViewFrame = nullptr;
}

CLinkViewFrame* CLinkListView::GetLinkViewFrame() const
{
    if (m_linkViewFrame)
        return m_linkViewFrame;
    // In a task window the frame is the fourth pane.
    for (QWidget* parent = parentWidget(); parent; parent = parent->parentWidget())
        if (auto* window = qobject_cast<CLinkTreeFrame*>(parent))
            return window->GetLinkViewFrame();
    return nullptr;
}

int CLinkListView::InfoLinkId() const
{
    if (m_locked && m_shownLinkId != 0)
        return m_shownLinkId;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return m_tree.GetSelectedLinkId();
    if (rows.size() > 1)
        return kSeveralLinks;
    const CLinkInfo* info = RowInfo(rows.front());
    return info ? info->m_linkId : 0;
}

void CLinkListView::ShowSelectionInfo()
{
    ShowLinkInfo(InfoLinkId());
}

void CLinkListView::ShowLinkInfo(int linkId)
{
    CLinkViewFrame* frame = GetLinkViewFrame();
    CHTMLEditView* view = frame ? frame->GetEditView() : nullptr;
    if (!view)
        return;
    frame->EnableLockButton(m_locked || linkId != 0);
    if (linkId == kSeveralLinks)
    {
        if (m_shownLinkId != kSeveralLinks)
        {
            ShowPaneText(*view, "\tMultiple items selected.", kColorNone);
            frame->SetBarText({});
        }
        m_shownLinkId = kSeveralLinks;
        return;
    }
    const CLinkChecker& engine = m_tree.GetEngine();
    CLinkInfo info;
    info.m_linkId = linkId;
    if (linkId < 100 || linkId - 100 >= engine.GetLinkCount())
    {
        if (m_shownLinkId != 0)
        {
            view->ShowEmpty();
            frame->SetBarText({});
        }
        m_shownLinkId = 0;
        return;
    }
    (void)engine.QueryLinkInfo(info);

    if (linkId != m_shownLinkId)
    {
        // A form is best read as the form; leaving it goes back to content.
        if (info.m_linkType == kTypeForm)
            m_infoMode = kInfoForm;
        else if (m_infoMode == kInfoForm)
            m_infoMode = kInfoContent;
        frame->ShowPageForKind();
    }
    // The log follows its source by itself; every other page is redone only
    // when it would show something else.
    if (linkId == m_shownLinkId && m_infoMode == m_shownMode && info.m_contentStamp == m_shownStamp &&
        m_infoMode != kInfoLog)
        return;
    frame->SetBarText(info.m_url);
    m_shownLinkId = linkId;
    m_shownMode = m_infoMode;
    m_shownStamp = info.m_contentStamp;
    if (!ShowPage(*view, info))
        ShowPaneText(*view, "\tNot available.", kColorNone);
}

bool CLinkListView::ShowPage(CHTMLEditView& view, const CLinkInfo& info)
{
    const bool local = GetLinkProtocol(info.m_url) == kProtocolLocal;
    const std::string copy = !info.m_localCopy.empty() ? info.m_localCopy : local ? info.m_url : std::string();
    const bool fetched = info.m_state != kStateBroken && (local || info.m_state == kStateDownloaded) && !copy.empty();
    const int tabSize = GetIntOr(m_settings, SETTING_MISC_DEFAULT_TAB_SIZE, 4);
    if (m_infoMode != kInfoLog)
    {
        view.SetTabSize(tabSize, false);
        view.ShowLineNumbers(true, false);
    }

    switch (m_infoMode)
    {
    case kInfoContent:
        if (info.m_linkType == kTypeForm)
        {
            if (!info.m_form)
                return false;
            ShowPaneText(view, info.m_form.Get()->GetSource(), kColorHtml);
            return true;
        }
        if (!fetched)
            return false;
        switch (info.m_linkType)
        {
        case kTypeText:
        case kTypeFtpList:
        case kTypeHttpRedirect:
        case kTypeUrlList: {
            if (!view.LoadLocalFile(copy, true))
                return false;
            const bool source = info.m_linkType == kTypeText && IsSourceFile(info.m_url);
            view.SetColorizer(new CSyntaxColorizer(source ? kColorSource : kColorDetect), true, true);
            return true;
        }
        case kTypeHtml: return view.LoadPageFile(copy, true, &m_tree.GetEngine(), info.m_linkId, false);
        case kTypeImage: return view.SetImage(copy);
        default: return false;
        }
    case kInfoLog: {
        int logId = 0;
        CLogRegistry* logs = m_tree.GetServices().m_logs;
        if (local || !logs || !m_tree.GetEngine().GetLinkLogId(info.m_linkId, logId) || logId <= 0)
            return false;
        CRefPtr<ITransferLog> log = CRefPtr<ITransferLog>::Adopt(logs->GetLog(logId));
        if (!log)
            return false;
        if (view.GetMode() == CHTMLEditView::kModeSource && view.GetAttached() == log.Get())
            return true;
        view.SetTabSize(kLogTabSize, false);
        view.ShowLineNumbers(false, false);
        view.ShowText(log.Get());
        view.SetColorizer(new CSyntaxColorizer(kColorLog), true, true);
        return true;
    }
    case kInfoForm:
        if (info.m_linkType != kTypeForm || !info.m_form)
            return false;
        view.ShowFromView(*info.m_form.Get());
        view.FocusFormField(true);
        return true;
    case kInfoHtmlElements:
    case kInfoHtmlTags:
    case kInfoHtmlText:
        return info.m_linkType == kTypeHtml && fetched &&
               view.LoadHtmlFile(copy, true, &m_tree.GetEngine(), info.m_linkId, HtmlPageNodes(m_infoMode));
    default:
        ShowPaneText(view, CLinkInfo::FormatTooltip(info, "\r\n"), kColorHeaders);
        return true;
    }
}
