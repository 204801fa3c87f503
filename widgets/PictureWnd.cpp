#include "widgets/PictureWnd.h"

#include "widgets/PaintHelpers.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace
{
// Pixels per wheel notch when the picture overflows by more than that.
constexpr int kWheelStep = 36;

// The scroll of one axis that overflows by d pixels.
int WheelScrollAxis(int overflow, double steps)
{
    if (overflow > kWheelStep)
        return static_cast<int>(std::trunc(-kWheelStep * steps));
    if (steps > 0)
        return -overflow;
    if (steps < 0)
        return overflow;
    return 0;
}
} // namespace

CPictureLayout ComputePictureLayout(QSize client, QSize picture, QPoint offset)
{
    const int w = client.width(), h = client.height();
    const int W = picture.width(), H = picture.height();
    int x = offset.x(), y = offset.y();
    if (W < w + x)
        x = W - w;
    if (H < h + y)
        y = H - h;
    x = std::max(x, 0);
    y = std::max(y, 0);
    CPictureLayout layout;
    layout.m_offset = QPoint(x, y);
    layout.m_visible = {std::max(0, -x), std::max(0, -y), std::min(w, W - x), std::min(h, H - y)};
    return layout;
}

QPoint PictureWheelScroll(QSize client, QSize picture, int delta)
{
    const double steps = delta / 120.0;
    const int taller = picture.height() - client.height();
    if (taller > 0)
        return QPoint(0, WheelScrollAxis(taller, steps));
    const int wider = picture.width() - client.width();
    if (wider > 0)
        return QPoint(WheelScrollAxis(wider, steps), 0);
    return QPoint(0, 0);
}

CPictureWnd::CPictureWnd(QWidget* parent) : QWidget(parent)
{
    m_background.m_flag = kSystemBackground;
    // Every pixel is painted by Draw; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CPictureWnd::SetBitmapSize(int width, int height)
{
    m_memDC.CreateBitmap(width, height);
    UpdateLayout();
    return true;
}

bool CPictureWnd::LoadFile(const std::string& path, CColorTriple background)
{
    const bool loaded = GetBitmap().LoadFromFile(path, background);
    UpdateLayout();
    return loaded;
}

bool CPictureWnd::LoadResource(int id, uint32_t background)
{
    m_background = CColorQuad::FromValue(background);
    const bool loaded = m_memDC.LoadFromResource(id);
    const QSize picture = GetBitmap().GetSize();
    m_visible = {0, 0, std::min(width(), picture.width()), std::min(height(), picture.height())};
    update();
    return loaded;
}

void CPictureWnd::SetOffset(int x, int y)
{
    m_offset = QPoint(x, y);
    UpdateLayout();
}

void CPictureWnd::Redraw()
{
    repaint();
}

void CPictureWnd::UpdateLayout()
{
    const CPictureLayout layout = ComputePictureLayout(size(), GetBitmap().GetSize(), m_offset);
    m_offset = layout.m_offset;
    m_visible = layout.m_visible;
    update();
}

QColor CPictureWnd::BackgroundColor() const
{
    if (m_background.m_flag == kSystemBackground)
        return palette().color(QPalette::Base);
    return m_background.ToQColor();
}

void CPictureWnd::EraseBackground(QPainter& painter, bool outsideOnly)
{
    const CRect client = CRect::FromQRect(rect());
    if (outsideOnly)
        FillOutsideRect(painter, BackgroundColor(), client, m_visible);
    else
        painter.fillRect(client.ToQRect(), BackgroundColor());
}

void CPictureWnd::DrawText(const std::string& text, const CRect& rect, int alignment,
                           std::optional<QColor> textColor, std::optional<QColor> backColor)
{
    std::unique_ptr<QPainter> painter = m_memDC.Paint();
    if (!painter)
        return;
    painter->setFont(font());
    if (textColor)
        painter->setPen(*textColor);
    if (backColor)
    {
        painter->setBackgroundMode(Qt::OpaqueMode);
        painter->setBackground(*backColor);
    }
    painter->drawText(rect.ToQRect(), alignment, QString::fromStdString(text));
}

void CPictureWnd::SetDrawMode(int mode)
{
    m_drawMode = mode;
    update();
}

void CPictureWnd::SetBackground(CColorQuad background)
{
    m_background = background;
    update();
}

void CPictureWnd::SetCursors(std::optional<QCursor> normal, std::optional<QCursor> drag)
{
    m_normalCursor = std::move(normal);
    m_dragCursor = std::move(drag);
    UpdateCursor();
}

void CPictureWnd::Draw(QPainter& painter)
{
    EraseBackground(painter, true);
    const QImage& picture = GetBitmap().Image();
    if (picture.isNull() || m_visible.IsEmpty())
        return;
    const QRect visible = m_visible.ToQRect();
    switch (m_drawMode)
    {
    case kDrawStretched:
        painter.drawImage(visible, picture);
        break;
    case kDrawTiled:
    {
        const int W = picture.width(), H = picture.height();
        const int columns = (visible.width() + W - 1) / W;
        const int rows = (visible.height() + H - 1) / H;
        painter.setClipRect(visible);
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i)
                painter.drawImage(QPoint(visible.left() + i * W, visible.top() + j * H), picture,
                                  QRect(m_offset, QSize(W, H)));
        break;
    }
    default:
        painter.drawImage(visible.topLeft(), picture, QRect(m_offset, visible.size()));
        break;
    }
}

void CPictureWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter);
}

void CPictureWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragEnabled)
    {
        m_dragOffset = m_offset;
        m_dragStart = event->position().toPoint();
        m_dragging = true;
        UpdateCursor();
    }
    QWidget::mousePressEvent(event);
}

void CPictureWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
    {
        if (!m_dragEnabled)
        {
            EndDrag();
        }
        else
        {
            const QPoint offset = m_dragOffset + m_dragStart - event->position().toPoint();
            SetOffset(offset.x(), offset.y());
            Redraw();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void CPictureWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        EndDrag();
    QWidget::mouseReleaseEvent(event);
}

void CPictureWnd::EndDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    UpdateCursor();
}

void CPictureWnd::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (m_dragging)
        return;
    const QPoint change = PictureWheelScroll(size(), GetBitmap().GetSize(), event->angleDelta().y());
    if (change.isNull())
        return;
    SetOffset(m_offset.x() + change.x(), m_offset.y() + change.y());
    Redraw();
}

void CPictureWnd::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    EndDrag();
}

void CPictureWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Every size change counts, the first included: a widget gets its real
    // size by a resize event, after which the offset must be pulled back.
    UpdateLayout();
}

void CPictureWnd::UpdateCursor()
{
    if (m_dragging && m_dragCursor)
        setCursor(*m_dragCursor);
    else if (m_normalCursor)
        setCursor(*m_normalCursor);
    else
        unsetCursor();
}
