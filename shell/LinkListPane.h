#pragma once
// ILinkListPane: what the other panes of a task window ask of its link list
// (the right-hand list of the links of the page selected in the tree). The
// tree view refills it and reads its selection; the link view frame shows
// and switches its info mode (1 Content, 2 Log, 3 Information, 4 Form,
// 5 HTML elements, 6 HTML tags, 7 HTML text) and its lock.
//
// UI thread only.

#include <string>

class ILinkListPane
{
public:
    virtual ~ILinkListPane() = default;

    // The one refresh entry: delay 0 fills at once; a delay asks for a fill
    // once that many milliseconds passed without another request, so that
    // bursts of requests fill once. With rebuild every row is made again.
    virtual void FillList(int delayMs, bool rebuild) = 0;
    // The URL of the one selected row; false with none or several selected.
    virtual bool GetSingleSelectedUrl(std::string& url) const = 0;

    virtual int GetInfoMode() const = 0;
    // Takes the mode, refills and shows its page in the link view frame.
    virtual void SetInfoMode(int mode) = 0;
    virtual bool IsLocked() const = 0;
    virtual void SetLocked(bool locked) = 0;
};
