#include "shell/LinkItemCommands.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNames.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RefPtr.h"
#include "platform/core/Text.h"
#include "platform/ui/CommandActions.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/View.h"
#include "platform/ui/WidgetWindow.h"
#include "foundation/desktop/FileBrowsing.h"
#include "res/Resources.h"
#include "transfer/base/TransferLog.h"
#include "widgets/TextPromptDlg.h"
#include "widgets/WindowHelpers.h"

#include <QMenu>
#include <QMenuBar>

std::string AskLinkFindText(QWidget* parent, IPropertySet& settings, UINT caption, bool again)
{
    std::string text;
    (void)settings.GetString(SETTING_LAST_SEARCH_TEXT, text);
    if (again && !text.empty())
        return text;
    CTextPromptDlg dialog(parent);
    dialog.m_caption = LoadResourceString(caption);
    dialog.m_label = LoadResourceString(IDS_FIND_WHAT);
    dialog.m_text = text;
    if (dialog.DoModal() != IDOK)
        return {};
    settings.SetString(SETTING_LAST_SEARCH_TEXT, dialog.m_text.c_str());
    return dialog.m_text;
}

int FindLinkItem(IFindItemList& items, const std::string& text)
{
    if (text.empty())
        return -1;
    const bool fromSelection = items.GetSelectedItem() != kNoViewItem;
    int found = FindItemText(items, text, false, false);
    if (found < 0 && fromSelection)
    {
        // Round again from the top.
        items.DeselectItem(items.GetSelectedItem());
        found = FindItemText(items, text, false, false);
    }
    if (found < 0)
        AfxMessageBox(Format(LoadResourceString(IDS_STRING_NOT_FOUND), text.c_str()), MB_OK | MB_ICONINFORMATION);
    return found;
}

bool CanEditLink(const CLinkInfo& info)
{
    return IsLocalPath(info.m_url) &&
           (info.m_linkType == kTypeUrlList || info.m_linkType == kTypeText || info.m_linkType == kTypeHtml);
}

bool SaveLinksWithPrompt(QWidget* parent, CLinkChecker& engine, const std::vector<int>& ids, bool folder,
                         const std::string& proposed)
{
    if (ids.empty())
        return false;
    const std::string target = BrowseForFile(folder, proposed, true, CWidgetWindow::HandleOf(parent),
                                             LoadResourceString(IDS_SELECT_FOLDER), std::string());
    if (target.empty())
        return false;
    CRefPtr<CTransferLog> messages = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
    (void)engine.SaveLinksAs(ids.data(), static_cast<int>(ids.size()), target, messages.Get());
    std::string text;
    messages->GetText(text);
    text = TrimRight(text, "\r\n");
    if (!text.empty())
        AfxMessageBox(text, MB_OK | MB_ICONWARNING);
    return true;
}

void TrackLinkItemMenu(CView& view, UINT defaultCommand, const QPoint& globalPosition)
{
    const MenuDesc* menu = FindMenu(IDR_TASK);
    CFrameWnd* frame = view.GetParentFrame();
    if (!menu || !frame)
        return;
    // The "Link" menu of the task window's menu bar, built on the frame's
    // commands so that they take the route through the active view.
    QMenuBar bar;
    frame->Commands().BuildMenuBar(&bar, menu->m_items);
    QMenu* links = FindMenuItemByText(&bar, "&Link");
    if (!links)
        return;
    for (QAction* action : links->actions())
    {
        if (CCommandActions::CommandId(action) == defaultCommand)
            links->setDefaultAction(action);
    }
    frame->Commands().UpdateActions(links->actions());
    const QPoint at = globalPosition.isNull() ? view.mapToGlobal(QPoint(5, 5)) : globalPosition;
    links->exec(at);
}
