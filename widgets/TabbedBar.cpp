#include "widgets/TabbedBar.h"

#include <QPainter>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStyleOptionFrame>

CTabbedBarLayout ComputeTabbedBarLayout(int tabCount, int totalWidth, int clientWidth, int gripWidth)
{
    CTabbedBarLayout layout;
    layout.m_scrollShown = tabCount >= 2 && totalWidth > clientWidth - gripWidth;
    layout.m_stripLeft = layout.m_scrollShown ? CTabbedBar::kScrollBarWidth : 0;
    layout.m_stripRight = clientWidth - gripWidth;
    return layout;
}

CTabbedBar::CTabbedBar(QWidget* parent)
    : QWidget(parent), m_strip(new CTabStripWnd(this)), m_scrollBar(new QScrollBar(Qt::Horizontal, this))
{
    m_strip->setObjectName("tabStrip");
    // The bar's value means nothing: only its arrows are used, each a step.
    m_scrollBar->setRange(-1, 1);
    m_scrollBar->setValue(0);
    m_scrollBar->hide();
    m_scrollBar->setEnabled(false);
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, [this](int action) {
        OnHScroll(action);
        m_scrollBar->setSliderPosition(0);
    });
    QFont stripFont = font();
    stripFont.setWeight(QFont::Normal);
    m_strip->setFont(stripFont);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

bool CTabbedBar::Create(QWidget* parent, int, bool sizeGrip)
{
    if (parent != parentWidget())
        setParent(parent);
    m_sizeGrip = sizeGrip;
    if (sizeGrip && !m_grip)
        m_grip = new QSizeGrip(this);
    else if (!sizeGrip && m_grip)
    {
        delete m_grip;
        m_grip = nullptr;
    }
    QFont stripFont = font();
    stripFont.setWeight(QFont::Normal);
    m_strip->setFont(stripFont);
    Layout();
    return true;
}

QSize CTabbedBar::sizeHint() const
{
    return QSize(200, std::max(20, m_strip->fontMetrics().height() + 6));
}

int CTabbedBar::AddTab(std::string_view text, TabCallback callback, QWidget* owner, void* userData, intptr_t value,
                       bool select)
{
    const int index = m_strip->InsertTab(-1, text, callback, owner, userData, value, select);
    Layout();
    return index;
}

void CTabbedBar::SelectTabFor(TabCallback, QWidget* owner, void*, intptr_t, bool notify)
{
    m_strip->SelectTabFor(owner, notify);
    Layout();
}

void CTabbedBar::RemoveTabFor(TabCallback, QWidget* owner, void*, intptr_t)
{
    m_strip->RemoveTabFor(owner);
    Layout();
}

void CTabbedBar::SetTabColor(TabCallback, QWidget* owner, void*, intptr_t, int colorIndex, QColor color)
{
    m_strip->SetTabColor(owner, colorIndex, color);
}

CTabInfo CTabbedBar::GetContextTab() const
{
    return m_strip->GetContextTab();
}

CTabInfo CTabbedBar::ActivateContextTab()
{
    const int index = m_strip->GetContextIndex();
    m_strip->NotifyTab(index);
    return m_strip->GetTabInfo(index);
}

CTabInfo CTabbedBar::GetActiveTab() const
{
    return m_strip->GetTabInfo(m_strip->GetActiveIndex());
}

void CTabbedBar::SetActiveLook(bool active)
{
    m_strip->SetActiveLook(active);
}

void CTabbedBar::Layout()
{
    const CTabbedBarLayout layout =
        ComputeTabbedBarLayout(m_strip->GetTabCount(), m_strip->GetTotalWidth(), width(), GripWidth());
    m_scrollBar->setGeometry(0, 0, kScrollBarWidth, height());
    m_scrollBar->setVisible(layout.m_scrollShown);
    m_scrollBar->setEnabled(layout.m_scrollShown);
    m_strip->setGeometry(layout.m_stripLeft, 0, std::max(0, layout.m_stripRight - layout.m_stripLeft), height());
    if (m_grip)
        m_grip->setGeometry(width() - kGripWidth, 0, kGripWidth, height());
}

void CTabbedBar::OnHScroll(int action)
{
    if (action == QAbstractSlider::SliderSingleStepSub)
        m_strip->SetScrollOffset(m_strip->GetScrollOffset() - kScrollStep);
    else if (action == QAbstractSlider::SliderSingleStepAdd)
        m_strip->SetScrollOffset(m_strip->GetScrollOffset() + kScrollStep);
}

void CTabbedBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
}

void CTabbedBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    // The top border of a bar docked at the bottom.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, width() - 1, 0);
}
