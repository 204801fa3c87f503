#include "widgets/TabStripWnd.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <numeric>

namespace
{
constexpr int kTabPadding = 21;
constexpr int kMinTabWidth = 40;
constexpr int kMaxTabWidth = 280;
// Only texts longer than this are capped at the maximum width.
constexpr int kCappedTextLength = 30;
// Height of the strip's memory bitmap at least; its width is the screen's.
constexpr int kStripBitmapHeight = 20;
// Pixels the text keeps from a tab's slanted sides.
constexpr int kTextInset = 8;
} // namespace

int ClampTabWidth(int measured, int characters)
{
    if (measured < kMinTabWidth)
        return kMinTabWidth;
    if (measured > kMaxTabWidth && characters > kCappedTextLength)
        return kMaxTabWidth;
    return measured;
}

int MeasureTabWidth(const QFontMetrics& metrics, std::string_view text)
{
    const QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    int width = kTabPadding;
    int characters = 0;
    for (char32_t c : string.toUcs4())
    {
        width += metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
        ++characters;
    }
    return ClampTabWidth(width, characters);
}

CTabShape ComputeTabShape(int left, int right, int top, int bottom, int index, int count, bool active,
                          int scrollOffset)
{
    CTabShape shape;
    int x[4] = {left - 4, left + 1, right - 1, right + 4};
    int y[4] = {top, bottom, bottom, top};
    shape.m_textLeft = left;
    shape.m_textRight = right;
    if (index == 0)
    {
        x[0] = left;
        x[1] = left + 5;
        shape.m_textLeft = left + 4;
    }
    if (index == count - 1 && count > 1)
    {
        x[2] -= 4;
        x[3] -= 4;
        shape.m_textRight -= 4;
    }
    if (!active)
    {
        x[0] += 2;
        x[1] += 2;
        x[2] -= 2;
        x[3] -= 2;
        y[1] = y[2] = bottom - 1;
    }
    for (int i = 0; i < 4; ++i)
        shape.m_points[i] = QPoint(x[i] - scrollOffset, y[i]);
    shape.m_textLeft -= scrollOffset;
    shape.m_textRight -= scrollOffset;
    return shape;
}

int EnsureActiveVisibleOffset(const std::vector<int>& widths, int active, int offset, int clientWidth)
{
    const int total = std::accumulate(widths.begin(), widths.end(), 0);
    if (active >= 0 && active < int(widths.size()))
    {
        const int before = std::accumulate(widths.begin(), widths.begin() + active, 0);
        const int width = widths[size_t(active)];
        if (before - offset < 10)
        {
            offset = before;
        }
        else if (width + before - offset > clientWidth)
        {
            offset = width + before - clientWidth + 20;
            if (before - offset < 0)
                offset = before;
        }
    }
    if (total - offset < clientWidth)
        offset = total - clientWidth;
    return std::max(offset, 0);
}

int ClampScrollOffset(int x, int offset, int total, int clientWidth)
{
    x = std::max(x, 0);
    if (x > offset && total - x < clientWidth)
        x = total - clientWidth;
    // Tabs narrower than the strip have nothing to scroll.
    return std::max(x, 0);
}

CTabStripWnd::CTabStripWnd(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CTabStripWnd::~CTabStripWnd() = default;

int CTabStripWnd::FindTab(const QWidget* owner) const
{
    for (size_t i = 0; i < m_tabs.size(); ++i)
        if (m_tabs[i]->m_info.m_owner == owner)
            return int(i);
    return -1;
}

std::vector<int> CTabStripWnd::Widths() const
{
    std::vector<int> widths;
    for (const auto& tab : m_tabs)
        widths.push_back(tab->m_width);
    return widths;
}

int CTabStripWnd::GetTotalWidth() const
{
    int total = 0;
    for (const auto& tab : m_tabs)
        total += tab->m_width;
    return total;
}

CTabInfo CTabStripWnd::GetTabInfo(int index) const
{
    return index >= 0 && index < GetTabCount() ? m_tabs[size_t(index)]->m_info : CTabInfo();
}

std::string CTabStripWnd::GetTabText(int index) const
{
    return index >= 0 && index < GetTabCount() ? m_tabs[size_t(index)]->m_text : std::string();
}

int CTabStripWnd::GetTabWidth(int index) const
{
    return index >= 0 && index < GetTabCount() ? m_tabs[size_t(index)]->m_width : 0;
}

QColor CTabStripWnd::GetTabTextColor(int index) const
{
    return index >= 0 && index < GetTabCount() ? m_tabs[size_t(index)]->m_textColor.Resolve(palette()) : QColor();
}

int CTabStripWnd::InsertTab(int position, std::string_view text, TabCallback callback, QWidget* owner,
                            void* userData, intptr_t value, bool select)
{
    const int width = MeasureTabWidth(QFontMetrics(font()), text);
    int index = FindTab(owner);
    if (index >= 0)
    {
        m_tabs[size_t(index)]->m_text = std::string(text);
        m_tabs[size_t(index)]->m_width = width;
    }
    else
    {
        auto tab = std::make_unique<CTab>();
        tab->m_text = std::string(text);
        tab->m_width = width;
        tab->m_info = {callback, owner, userData, value};
        if (position < 0 || position >= GetTabCount())
            position = GetTabCount();
        m_tabs.insert(m_tabs.begin() + position, std::move(tab));
        // A tab put before the active one must not take its place.
        if (position <= m_active && GetTabCount() > 1)
            ++m_active;
        index = position;
    }
    if (select)
        SelectTab(index, true, false);
    update();
    return index;
}

void CTabStripWnd::SelectTab(int index, bool notify, bool scroll)
{
    if (index == m_active || index < 0 || index >= GetTabCount())
        return;
    m_active = index;
    if (scroll)
        EnsureActiveVisible();
    if (notify)
        NotifyTab(index);
    update();
}

void CTabStripWnd::NotifyTab(int index)
{
    if (index < 0 || index >= GetTabCount())
        return;
    // Copies: the callback may add or remove tabs.
    const CTabInfo info = m_tabs[size_t(index)]->m_info;
    const std::string text = m_tabs[size_t(index)]->m_text;
    if (info.m_callback)
        info.m_callback(info, 1, text);
}

void CTabStripWnd::SelectTabFor(QWidget* owner, bool notify)
{
    SelectTab(FindTab(owner), notify, true);
}

void CTabStripWnd::RemoveTabFor(QWidget* owner)
{
    const int index = FindTab(owner);
    if (index < 0)
        return;
    m_tabs.erase(m_tabs.begin() + index);
    if (index < m_active)
    {
        // The active tab moved down one place; it stays the active one.
        --m_active;
    }
    else if (m_active >= GetTabCount())
    {
        SelectTab(m_active - 1, true, false);
    }
    update();
}

void CTabStripWnd::SetTabColor(QWidget* owner, int colorIndex, QColor color)
{
    const int index = FindTab(owner);
    if (index < 0)
        return;
    m_tabs[size_t(index)]->m_textColor = {colorIndex, color};
    update();
}

void CTabStripWnd::SetActiveLook(bool active)
{
    m_backColor.m_index = active ? kColorActiveCaption : kColorInactiveCaption;
    update();
}

void CTabStripWnd::SelectPrevTab()
{
    if (m_tabs.empty())
        return;
    m_active = m_active <= 0 ? GetTabCount() - 1 : m_active - 1;
    NotifyTab(m_active);
    update();
}

void CTabStripWnd::SelectNextTab()
{
    if (m_tabs.empty())
        return;
    m_active = m_active + 1 >= GetTabCount() ? 0 : m_active + 1;
    NotifyTab(m_active);
    update();
}

int CTabStripWnd::HitTest(QPoint point) const
{
    if (!rect().contains(point))
        return -1;
    int left = -m_scrollOffset;
    for (size_t i = 0; i < m_tabs.size(); ++i)
    {
        const int right = left + m_tabs[i]->m_width;
        if (point.x() >= left && point.x() < right)
            return int(i);
        left = right;
    }
    return -1;
}

void CTabStripWnd::RedrawNow()
{
    repaint();
}

void CTabStripWnd::EnsureActiveVisible()
{
    m_scrollOffset = EnsureActiveVisibleOffset(Widths(), m_active, m_scrollOffset, width());
    update();
}

void CTabStripWnd::SetScrollOffset(int x)
{
    x = ClampScrollOffset(x, m_scrollOffset, GetTotalWidth(), width());
    if (x == m_scrollOffset)
        return;
    m_scrollOffset = x;
    update();
}

void CTabStripWnd::SetContextMenu(int menuId, MenuSource source)
{
    m_menuId = menuId;
    m_menuSource = std::move(source);
}

CTabInfo CTabStripWnd::GetContextTab() const
{
    return GetTabInfo(HitTest(m_menuPoint));
}

void CTabStripWnd::Draw(QPainter& target)
{
    const QRect client = rect();
    if (client.isEmpty())
        return;
    // The screen's width, or the strip's when it is wider (a window across
    // two screens), so that no part of the strip is left unpainted.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 0;
    const QSize have = m_memDC.GetBitmap().GetSize();
    if (have.width() < client.width() || have.height() < client.height() || have.height() < kStripBitmapHeight)
        m_memDC.CreateBitmap(std::max(screenWidth, client.width()), std::max(kStripBitmapHeight, client.height()));
    std::unique_ptr<QPainter> painter = m_memDC.Paint();
    if (!painter)
        return;

    const QPalette& colors = palette();
    painter->fillRect(client, m_backColor.Resolve(colors));
    painter->setFont(font());
    const int top = client.top();
    const int bottom = client.bottom(); // the client's bottom minus 1
    const QPen inactivePen(QColor(0, 0, 0), 1);
    const QPen activePen(QColor(0, 0, 180), 1);
    const int count = GetTabCount();

    auto drawTab = [&](int index, int left) {
        const CTab& tab = *m_tabs[size_t(index)];
        const bool active = index == m_active;
        const CTabShape shape =
            ComputeTabShape(left, left + tab.m_width, top, bottom, index, count, active, m_scrollOffset);
        painter->setPen(active ? activePen : inactivePen);
        painter->setBrush(active ? m_activeColor.Resolve(colors) : m_tabColor.Resolve(colors));
        painter->drawPolygon(shape.m_points, 4);
        const QRect text(shape.m_textLeft + kTextInset, top, shape.m_textRight - shape.m_textLeft - 2 * kTextInset,
                         bottom - top);
        if (text.width() <= 0)
            return;
        painter->setPen(tab.m_textColor.Resolve(colors));
        const QString caption = QString::fromStdString(tab.m_text);
        painter->drawText(text, Qt::AlignCenter | Qt::TextSingleLine,
                          painter->fontMetrics().elidedText(caption, Qt::ElideRight, text.width()));
    };

    int left = client.left();
    int activeLeft = -1;
    for (int i = 0; i < count; ++i)
    {
        if (i == m_active)
            activeLeft = left;
        else
            drawTab(i, left);
        left += m_tabs[size_t(i)]->m_width;
    }
    // The active tab last, so that it lies on top of its neighbours.
    if (activeLeft >= 0)
        drawTab(m_active, activeLeft);
    painter.reset();
    target.drawImage(client.topLeft(), m_memDC.GetBitmap().Image(), client);
}

void CTabStripWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter);
}

void CTabStripWnd::mousePressEvent(QMouseEvent* event)
{
    const int index = event->button() == Qt::LeftButton ? HitTest(event->position().toPoint()) : -1;
    if (index < 0)
    {
        QWidget::mousePressEvent(event);
        return;
    }
    SelectTab(index, true, true);
}

void CTabStripWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    EnsureActiveVisible();
}

void CTabStripWnd::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (m_menuId == 0 || !m_menuSource)
        return;
    QPoint point = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard)
        point = QPoint(5, 5);
    m_menuPoint = point;
    std::unique_ptr<QMenu> menu = m_menuSource(m_menuId, window());
    if (menu)
        TrackMenu(menu.get(), mapToGlobal(point));
}

void CTabStripWnd::TrackMenu(QMenu* menu, QPoint globalPoint)
{
    menu->exec(globalPoint);
}
