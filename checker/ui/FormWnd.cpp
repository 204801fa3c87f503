#include "checker/ui/FormWnd.h"

#include "checker/ui/FormControls.h"

#include "widgets/ScrollBarInfo.h"
#include "widgets/SysColor.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace
{
constexpr int kLineStep = 1;
constexpr int kVerticalPage = 24;
constexpr int kHorizontalPage = 20;
}

CFormWnd::CFormWnd(QWidget* parent)
    : QWidget(parent),
      m_viewport(new QWidget(this)),
      m_page(new QWidget(m_viewport)),
      m_vertical(new QScrollBar(Qt::Vertical, this)),
      m_horizontal(new QScrollBar(Qt::Horizontal, this))
{
    m_vertical->setFocusPolicy(Qt::NoFocus);
    m_horizontal->setFocusPolicy(Qt::NoFocus);
    // The thumb's final position and the end of a scroll are ignored; the
    // moves while tracking already placed the page.
    connect(m_vertical, &QScrollBar::actionTriggered, this,
            [this](int action) { SteerScrollAction(m_vertical, action, kLineStep, kVerticalPage, true); });
    connect(m_horizontal, &QScrollBar::actionTriggered, this,
            [this](int action) { SteerScrollAction(m_horizontal, action, kLineStep, kHorizontalPage, true); });
    connect(m_vertical, &QScrollBar::valueChanged, this, [this] { OnScrolled(); });
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this] { OnScrolled(); });
    LayOut();
}

CFormWnd::~CFormWnd()
{
    m_form.Clear();
}

void CFormWnd::OnFormChanged()
{
    CreateControls(m_form, m_page, [this](int controlId, int code) { OnCommand(controlId, code); });
    UpdateScrollBars();
}

void CFormWnd::DestroyControls()
{
    m_form.DestroyControls();
    UpdateScrollBars();
}

bool CFormWnd::MoveFocus(bool backwards)
{
    return ::MoveFocus(m_form, backwards);
}

void CFormWnd::LayOut()
{
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int clientWidth = std::max(width() - extent, 0);
    const int clientHeight = std::max(height() - extent, 0);
    m_vertical->setGeometry(clientWidth, 0, extent, clientHeight);
    m_horizontal->setGeometry(0, clientHeight, clientWidth, extent);
    m_viewport->setGeometry(0, 0, clientWidth, clientHeight);
}

void CFormWnd::UpdateScrollBars()
{
    LayOut();
    const QSize client = m_viewport->size();
    SetScrollBarInfo(m_vertical, std::max(m_form.GetNextTop(), 0), client.height(), m_form.m_scrollY);
    SetScrollBarInfo(m_horizontal, std::max(m_form.GetWidestWidth(), 0), client.width(), m_form.m_scrollX);
    OnScrolled();
}

void CFormWnd::OnScrolled()
{
    m_form.m_scrollX = m_horizontal->value();
    m_form.m_scrollY = m_vertical->value();
    const QSize client = m_viewport->size();
    // The page holds every control at its form coordinates and moves as one.
    const int pageWidth = std::max(m_form.GetWidestWidth() + 2 * m_form.GetLeftOrigin(), client.width());
    const int pageHeight = std::max(m_form.GetNextTop() + m_form.GetLeftOrigin(), client.height());
    m_page->setGeometry(-m_form.m_scrollX, -m_form.m_scrollY, pageWidth + m_form.m_scrollX,
                        pageHeight + m_form.m_scrollY);
}

void CFormWnd::OnCommand(int controlId, int code)
{
    if (CFormItem* item = m_form.FindItemById(controlId))
        OnFormCommand(*item, code);
}

void CFormWnd::OnFormCommand(CFormItem&, int)
{
}

void CFormWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), GetSysColor(kColorBtnFace, palette()));
}

void CFormWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateScrollBars();
}

void CFormWnd::wheelEvent(QWheelEvent* event)
{
    // The wheel does not scroll the form.
    event->ignore();
}

bool CFormWnd::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab from a control land here; at either end the focus
    // stays put rather than leaving the form.
    MoveFocus(!next);
    return true;
}
