#pragma once
// CTabbedBar: the bar at the bottom of the main frame and of the link view
// frame with one tab per child window or page: a CTabStripWnd and, when the
// tabs do not fit, a small scroll bar at its left whose arrows scroll the
// tabs by 20 pixels; with the size grip, the grip sits in the 12 pixels at
// the right. The bar passes the tab calls to its strip and lays itself out
// after each. UI thread.

#include "widgets/TabStripWnd.h"

#include <QWidget>

class QScrollBar;
class QSizeGrip;

// Where the bar puts its parts: the scroll bar is shown only for two or more
// tabs that do not fit the client width less the grip; the strip then starts
// 24 pixels in, and always ends at the grip.
struct CTabbedBarLayout
{
    bool m_scrollShown = false;
    int m_stripLeft = 0;
    int m_stripRight = 0;
};
CTabbedBarLayout ComputeTabbedBarLayout(int tabCount, int totalWidth, int clientWidth, int gripWidth);

class CTabbedBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kStripId = 113;
    static constexpr int kScrollBarId = 112;
    static constexpr int kBarId = 111;
    static constexpr int kScrollBarWidth = 24;
    static constexpr int kGripWidth = 12;
    // Pixels one scroll-bar arrow moves the tabs.
    static constexpr int kScrollStep = 20;

    explicit CTabbedBar(QWidget* parent = nullptr);

    // Places the bar in the parent with or without the size grip; the strip
    // takes the bar's font at normal weight. The indicator id of the status
    // bar the bar once was is accepted and not needed.
    bool Create(QWidget* parent, int indicatorId, bool sizeGrip);

    int AddTab(std::string_view text, TabCallback callback, QWidget* owner, void* userData, intptr_t value,
               bool select);
    void SelectTabFor(TabCallback callback, QWidget* owner, void* userData, intptr_t value, bool notify);
    void RemoveTabFor(TabCallback callback, QWidget* owner, void* userData, intptr_t value);
    void SetTabColor(TabCallback callback, QWidget* owner, void* userData, intptr_t value, int colorIndex,
                     QColor color);
    CTabInfo GetContextTab() const;
    // The context tab after its callback was called with flag 1.
    CTabInfo ActivateContextTab();
    CTabInfo GetActiveTab() const;
    void SetActiveLook(bool active);

    void Layout();
    // A scroll-bar action: a step left or right moves the tabs by 20 pixels;
    // the other actions do nothing.
    void OnHScroll(int action);

    CTabStripWnd& Strip() { return *m_strip; }
    QScrollBar& ScrollBar() { return *m_scrollBar; }
    int GripWidth() const { return m_sizeGrip ? kGripWidth : 0; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CTabStripWnd* m_strip;
    QScrollBar* m_scrollBar;
    QSizeGrip* m_grip = nullptr;
    bool m_sizeGrip = false;
};
