#pragma once
// CTabStripWnd: the owner-painted strip of slanted tabs inside the tabbed
// bar, one tab per open child window (main frame) or page (link view frame).
// Each tab stands for an owner window, by which it is found, and carries a
// callback that is called with flag 1 when the tab is activated; the
// callback brings the owner to the front. The strip is painted into its
// CMemDC and copied to the screen. UI thread.

#include "widgets/MemDC.h"
#include "widgets/SysColor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QPoint>
#include <QWidget>

class QFontMetrics;
class QMenu;
class QPainter;
struct CTabInfo;

// Called with the tab, flag 1 when the tab is activated, and its text.
using TabCallback = void (*)(const CTabInfo& tab, int flag, const std::string& text);

// What a callback receives and the tab queries return; all zero when no tab
// is meant.
struct CTabInfo
{
    TabCallback m_callback = nullptr;
    QWidget* m_owner = nullptr;
    void* m_userData = nullptr;
    intptr_t m_value = 0;

    bool operator==(const CTabInfo&) const = default;
};

// The tab width for a text measured as w = 21 + the widths of its
// characters each measured alone: at least 40, and at most 280 when the text
// has more than 30 characters (a shorter text is never capped).
int ClampTabWidth(int measured, int characters);
int MeasureTabWidth(const QFontMetrics& metrics, std::string_view text);

// The outline of one tab and its text span, already shifted by the scroll
// offset. A tab spans left to right, top to bottom; the first tab starts
// straight and its text 4 pixels in, the last (of several) ends 4 pixels
// early, and an inactive tab is narrower by 2 pixels a side and one lower.
struct CTabShape
{
    QPoint m_points[4];
    int m_textLeft = 0;
    int m_textRight = 0;
};
CTabShape ComputeTabShape(int left, int right, int top, int bottom, int index, int count, bool active,
                          int scrollOffset);

// The scroll offset that shows the active tab: flush left when its left edge
// is within 10 pixels of the strip's (or hidden), else when its right edge is
// hidden so that it ends 20 pixels inside; never so far that the strip ends
// in empty space, never below 0.
int EnsureActiveVisibleOffset(const std::vector<int>& widths, int active, int offset, int clientWidth);
// A scroll request to x: never below 0, and scrolling right stops where the
// last tab ends at the strip's right edge.
int ClampScrollOffset(int x, int offset, int total, int clientWidth);

class CTabStripWnd : public QWidget
{
    Q_OBJECT

public:
    // Builds the context menu of a menu id (the first pop-up of that menu
    // resource) for its owner window, the strip's top-level window; the strip
    // shows it and deletes it.
    using MenuSource = std::function<std::unique_ptr<QMenu>(int menuId, QWidget* owner)>;

    explicit CTabStripWnd(QWidget* parent = nullptr);
    ~CTabStripWnd() override;

    // Adds a tab (at position, or at the end for -1 or beyond), or, when the
    // owner has one, gives it the text and keeps its place; with select the
    // tab is selected with notify and without scrolling. Returns its index.
    int InsertTab(int position, std::string_view text, TabCallback callback, QWidget* owner, void* userData,
                  intptr_t value, bool select);
    // Nothing for the active index or one out of range.
    void SelectTab(int index, bool notify, bool scroll);
    void SelectTabFor(QWidget* owner, bool notify);
    // Removes the owner's tab. The active tab stays active; when the active
    // tab itself goes, the one before it (or the new last) is selected with
    // notify.
    void RemoveTabFor(QWidget* owner);
    // The text colour of the owner's tab: a system colour index, or below 0
    // the colour.
    void SetTabColor(QWidget* owner, int colorIndex, QColor color);
    // The strip's background: the active caption colour, or the inactive one.
    void SetActiveLook(bool active);
    void SelectPrevTab();
    void SelectNextTab();
    // The tab under the point (client coordinates), -1 when none.
    int HitTest(QPoint point) const;
    void RedrawNow();
    void EnsureActiveVisible();
    void SetScrollOffset(int x);

    void SetContextMenu(int menuId, MenuSource source);
    // The tab under the last context-menu point; zeros when none.
    CTabInfo GetContextTab() const;
    int GetContextIndex() const { return HitTest(m_menuPoint); }
    void SetMenuPoint(QPoint point) { m_menuPoint = point; }

    int GetTabCount() const { return int(m_tabs.size()); }
    int GetActiveIndex() const { return m_active; }
    int GetScrollOffset() const { return m_scrollOffset; }
    int GetTotalWidth() const;
    CTabInfo GetTabInfo(int index) const;
    std::string GetTabText(int index) const;
    int GetTabWidth(int index) const;
    QColor GetTabTextColor(int index) const;
    QColor GetBackColor() const { return m_backColor.Resolve(palette()); }
    // Calls the tab's callback with flag 1; nothing for no tab.
    void NotifyTab(int index);

    void Draw(QPainter& target);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Shows the menu and returns when it closes; a test answers it instead.
    virtual void TrackMenu(QMenu* menu, QPoint globalPoint);

private:
    struct CTab
    {
        std::string m_text;
        int m_width = 0;
        CTabInfo m_info;
        CColorChoice m_textColor{kColorWindowText, QColor(0, 0, 0)};
    };

    int FindTab(const QWidget* owner) const;
    std::vector<int> Widths() const;

    QPoint m_menuPoint{-1, -1};
    int m_menuId = 0;
    MenuSource m_menuSource;
    CColorChoice m_tabColor{kColorBtnFace, QColor()};
    CColorChoice m_activeColor{kColorWindow, QColor()};
    CColorChoice m_backColor{kColorActiveCaption, QColor()};
    CMemDC m_memDC;
    int m_active = 0;
    int m_scrollOffset = 0;
    std::vector<std::unique_ptr<CTab>> m_tabs;
};
