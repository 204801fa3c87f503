#pragma once
// The parts of the link commands that the link tree and the link list share:
// the Find flow over their items, Save Link(s) As for a set of links, and the
// link context menu. Each view keeps its own enabling rules and its own idea
// of which links are selected.
//
// UI thread only.

#include "foundation/desktop/ItemSearch.h"
using UINT = unsigned int;

#include <string>
#include <vector>

class CLinkChecker;
class CLinkInfo;
class CView;
class IPropertySet;
class QPoint;
class QWidget;

// The text to search for. With again and a stored last search text (shared
// by every link view) that text; otherwise the Find prompt, with the caption
// string id and the stored text offered; OK stores the answer. Empty when
// cancelled or when nothing was entered.
std::string AskLinkFindText(QWidget* parent, IPropertySet& settings, UINT caption, bool again);

// Searches the items for text from after the selection and, when the search
// started from a selection, once more from the top. When neither finds it the
// user is told "Cannot find the string '...'.". The index found, or -1.
int FindLinkItem(IFindItemList& items, const std::string& text);

// A link an editor window may open: a local path of type TEXT, HTML or a
// URL list.
bool CanEditLink(const CLinkInfo& info);

// Save Link(s) As: asks for a folder (folder) or a file name (proposing
// proposed), copies the links' local copies there and shows whatever the
// engine reported in one message box. False when the user cancelled.
bool SaveLinksWithPrompt(QWidget* parent, CLinkChecker& engine, const std::vector<int>& ids, bool folder,
                         const std::string& proposed);

// The "Link" menu of the task window's menu, built on the view's frame so
// that its commands take the route through the view, with defaultCommand
// shown as the default item; at globalPosition, or 5 pixels inside the
// view's top left corner for a null point (the menu key).
void TrackLinkItemMenu(CView& view, UINT defaultCommand, const QPoint& globalPosition);
