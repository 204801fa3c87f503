#include "widgets/LinkButton.h"

#include "widgets/PaintHelpers.h"
#include "widgets/ResourceImages.h"

#include "foundation/desktop/ShellHelpers.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace
{
// Pixels between the image and the button's side.
constexpr int kImageMargin = 3;
// Pixels inside the button at which the focus rectangle is drawn.
constexpr int kFocusInset = 3;
} // namespace

bool IsLinkButtonPressed(const CLinkButtonState& state)
{
    return state.m_selected || (state.m_checkMode && state.m_checked) || state.m_menuShown;
}

int LinkButtonBackground(const CLinkButtonState& state)
{
    if (state.m_lit || IsLinkButtonPressed(state))
        return kLinkBackIn;
    return state.m_focused ? kLinkBackFocus : kLinkBackOut;
}

int LinkButtonText(const CLinkButtonState& state)
{
    return state.m_lit || IsLinkButtonPressed(state) ? kLinkTextIn : kLinkTextOut;
}

bool LinkButtonShowsInImage(const CLinkButtonState& state, bool hasOutImage)
{
    const bool pressed = IsLinkButtonPressed(state);
    const bool in = state.m_checkMode ? pressed : (state.m_lit || pressed);
    return in || !hasOutImage;
}

bool LinkButtonLightsOnMove(bool flat, bool lit, bool leftButtonDown, bool underCursor, bool applicationActive,
                            bool trackWhenInactive)
{
    return flat && !lit && !leftButtonDown && underCursor && (applicationActive || trackWhenInactive);
}

CLinkButtonLayout ComputeLinkButtonLayout(const QRect& content, QSize image, bool hasCaption, int alignment)
{
    CLinkButtonLayout layout;
    layout.m_caption = content;
    if (image.isEmpty())
        return layout;
    QRect& r = layout.m_image;
    r.setSize(image);
    const int centreX = content.left() + (content.width() - image.width()) / 2;
    const int centreY = content.top() + (content.height() - image.height()) / 2;
    if (!hasCaption)
    {
        r.moveTo(centreX, centreY);
        return layout;
    }
    switch (alignment)
    {
    case 1: // above the caption
        r.moveTo(centreX, content.top() + kImageMargin);
        layout.m_caption.setTop(r.bottom() + 1);
        break;
    case 2: // right of the caption
        r.moveTo(content.right() + 1 - kImageMargin - image.width(), centreY);
        layout.m_caption.setRight(r.left() - 1);
        break;
    default: // left of the caption
        r.moveTo(content.left() + kImageMargin, centreY);
        layout.m_caption.setLeft(r.right() + 1);
        break;
    }
    return layout;
}

QBitmap CreateBitmapMask(const QImage& bitmap, QColor transparent)
{
    if (bitmap.isNull())
        return QBitmap();
    // MaskInColor: the pixels of the colour become transparent.
    return QPixmap::fromImage(bitmap).createMaskFromColor(transparent, Qt::MaskInColor);
}

CLinkButton::CLinkButton(QWidget* parent, uint32_t style) : QPushButton(parent)
{
    SetStyle(style);
    SetDefaultColors(false);
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, &CLinkButton::OnClicked);
}

void CLinkButton::SetStyle(uint32_t style)
{
    const uint32_t type = style & 0x0F;
    m_checkMode = (style & kStyleCheckBit) != 0;
    if (type == 0 || type == kStyleDefPushButton)
        m_default = type == kStyleDefPushButton;
    setDefault(m_default);
    Qt::Alignment horizontal = Qt::AlignHCenter;
    switch (style & kStyleCenter)
    {
    case kStyleLeft: horizontal = Qt::AlignLeft; break;
    case kStyleRight: horizontal = Qt::AlignRight; break;
    default: break;
    }
    Qt::Alignment vertical = Qt::AlignVCenter;
    switch (style & kStyleVCenter)
    {
    case kStyleTop: vertical = Qt::AlignTop; break;
    case kStyleBottom: vertical = Qt::AlignBottom; break;
    default: break;
    }
    m_captionAlign = horizontal | vertical;
    update();
}

CLinkButtonState CLinkButton::State() const
{
    CLinkButtonState state;
    state.m_lit = m_lit;
    state.m_selected = isDown();
    state.m_focused = hasFocus();
    state.m_checkMode = m_checkMode;
    state.m_checked = m_checked;
    state.m_menuShown = m_menuShown;
    return state;
}

void CLinkButton::DropImages()
{
    m_iconIn = m_iconOut = QIcon();
    m_iconSize = QSize();
    m_bitmapIn = m_bitmapOut = QPixmap();
}

int CLinkButton::SetBitmaps(int idIn, QColor transparentIn, int idOut, QColor transparentOut)
{
    return SetBitmapsFromHandles(LoadResourceImage(idIn), transparentIn,
                                 idOut ? LoadResourceImage(idOut) : QImage(), transparentOut);
}

int CLinkButton::SetBitmapsFromHandles(const QImage& in, QColor transparentIn, const QImage& out,
                                       QColor transparentOut)
{
    DropImages();
    int result = 0;
    if (in.isNull() || in.size().isEmpty())
        result = 1;
    else
    {
        QPixmap pixmapIn = QPixmap::fromImage(in);
        const QBitmap maskIn = CreateBitmapMask(in, transparentIn);
        QPixmap pixmapOut;
        QBitmap maskOut;
        if (!out.isNull())
        {
            pixmapOut = QPixmap::fromImage(out);
            maskOut = CreateBitmapMask(out, transparentOut);
        }
        if (maskIn.isNull() || (!out.isNull() && maskOut.isNull()))
        {
            result = 2;
        }
        else
        {
            pixmapIn.setMask(maskIn);
            if (!pixmapOut.isNull())
                pixmapOut.setMask(maskOut);
            m_bitmapIn = pixmapIn;
            m_bitmapOut = pixmapOut;
        }
    }
    update();
    return result;
}

void CLinkButton::SetIcons(const QIcon& in, const QIcon& out, QSize size)
{
    DropImages();
    m_iconIn = in;
    m_iconOut = out;
    m_iconSize = size;
    update();
}

void CLinkButton::SetChecked(bool checked, bool redraw)
{
    if (!m_checkMode)
        return;
    m_checked = checked;
    if (redraw)
        update();
}

int CLinkButton::SetColor(int index, QColor color, bool redraw)
{
    if (index < 0 || index >= kLinkColorCount)
        return 3;
    m_colors[index] = color;
    if (redraw)
        update();
    return 0;
}

QColor CLinkButton::GetColor(int index) const
{
    return index >= 0 && index < kLinkColorCount ? m_colors[index] : QColor();
}

void CLinkButton::SetDefaultColors(bool redraw)
{
    for (int i = 0; i < kLinkColorCount; i += 2)
    {
        m_colors[i] = palette().color(QPalette::Button);
        m_colors[i + 1] = palette().color(QPalette::ButtonText);
    }
    if (redraw)
        update();
}

void CLinkButton::SetURL(std::string_view url)
{
    m_url = std::string(url);
}

void CLinkButton::SetMenu(QMenu* menu, QWidget* owner)
{
    m_menu = menu;
    m_menuOwner = owner;
}

void CLinkButton::SetFlat(bool flat)
{
    m_flat = flat;
    if (!flat)
        m_lit = false;
    update();
}

void CLinkButton::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    m_backgroundCopy = QPixmap();
    update();
}

void CLinkButton::SetAlign(int imageAlignment)
{
    m_imageAlign = imageAlignment;
    update();
}

void CLinkButton::SetButtonCursor(std::optional<QCursor> cursor)
{
    if (cursor)
        setCursor(*cursor);
    else
        unsetCursor();
}

void CLinkButton::OnClicked()
{
    if (m_checkMode)
    {
        m_checked = !m_checked;
        repaint();
        return;
    }
    if (m_menu)
    {
        m_menuShown = true;
        repaint();
        TrackMenu(m_menu, mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
        m_menuShown = false;
        repaint();
        return;
    }
    if (!m_url.empty())
        ShellOpen(m_url);
}

void CLinkButton::TrackMenu(QMenu* menu, QPoint globalPoint)
{
    menu->exec(globalPoint);
}

void CLinkButton::GoDark()
{
    if (!m_lit)
        return;
    m_lit = false;
    update();
}

void CLinkButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_flat && !m_lit)
    {
        const bool applicationActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
        if (LinkButtonLightsOnMove(m_flat, m_lit, event->buttons() & Qt::LeftButton,
                                   rect().contains(event->position().toPoint()), applicationActive,
                                   m_trackWhenInactive))
        {
            m_lit = true;
            update();
        }
    }
    QPushButton::mouseMoveEvent(event);
}

void CLinkButton::leaveEvent(QEvent* event)
{
    GoDark();
    QPushButton::leaveEvent(event);
}

void CLinkButton::focusOutEvent(QFocusEvent* event)
{
    GoDark();
    QPushButton::focusOutEvent(event);
}

void CLinkButton::hideEvent(QHideEvent* event)
{
    GoDark();
    QPushButton::hideEvent(event);
}

void CLinkButton::changeEvent(QEvent* event)
{
    switch (event->type())
    {
    case QEvent::EnabledChange:
        // Qt moves the focus on from a disabled button itself.
        if (!isEnabled())
            GoDark();
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow())
            GoDark();
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        // Made again from the parent at the next paint.
        m_backgroundCopy = QPixmap();
        break;
    default:
        break;
    }
    QPushButton::changeEvent(event);
}

void CLinkButton::DrawBackground(QPainter& painter, const QRect& rect, const CLinkButtonState& state)
{
    if (m_transparent && parentWidget())
    {
        if (m_backgroundCopy.isNull())
        {
            // The parent's own painting under the button, without its
            // children (this button among them).
            m_backgroundCopy = QPixmap(size());
            m_backgroundCopy.fill(Qt::transparent);
            parentWidget()->render(&m_backgroundCopy, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
        }
        painter.drawPixmap(rect, m_backgroundCopy, rect);
        return;
    }
    painter.fillRect(rect, m_colors[LinkButtonBackground(state)]);
}

void CLinkButton::DrawBorder(QPainter& painter, const QRect& r, bool pressed)
{
    const QPalette& colors = palette();
    if (!m_flat)
    {
        if (pressed)
        {
            painter.setPen(colors.color(QPalette::Dark));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            return;
        }
        Draw3dRect(painter, r, colors.color(QPalette::Light), colors.color(QPalette::Shadow));
        Draw3dRect(painter, r.adjusted(1, 1, -1, -1), colors.color(QPalette::Midlight), colors.color(QPalette::Dark));
        return;
    }
    if (m_drawBorderWhenLit && (m_lit || pressed))
    {
        const QColor light = colors.color(QPalette::Light);
        const QColor shadow = colors.color(QPalette::Dark);
        Draw3dRect(painter, r, pressed ? shadow : light, pressed ? light : shadow);
    }
}

void CLinkButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const CLinkButtonState state = State();
    const bool pressed = IsLinkButtonPressed(state);
    const bool disabled = !isEnabled();
    QRect r = rect();

    if (!m_flat && (state.m_focused || m_default))
    {
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    DrawBackground(painter, r, state);
    DrawBorder(painter, r, pressed);

    const QString caption = text();
    const bool shift = pressed && !m_checkMode;
    const bool inImage = LinkButtonShowsInImage(state, !m_iconOut.isNull() || !m_bitmapOut.isNull());
    const QSize imageSize = !m_iconIn.isNull() ? m_iconSize : m_bitmapIn.size();
    const CLinkButtonLayout layout = ComputeLinkButtonLayout(r, imageSize, !caption.isEmpty(), m_imageAlign);
    const QRect imageRect = layout.m_image.translated(shift ? QPoint(1, 1) : QPoint());
    if (!m_iconIn.isNull())
    {
        const QIcon& icon = inImage || m_iconOut.isNull() ? m_iconIn : m_iconOut;
        icon.paint(&painter, imageRect, Qt::AlignCenter, disabled ? QIcon::Disabled : QIcon::Normal);
    }
    else if (!m_bitmapIn.isNull())
    {
        painter.drawPixmap(imageRect.topLeft(), inImage || m_bitmapOut.isNull() ? m_bitmapIn : m_bitmapOut);
    }

    if (!caption.isEmpty())
    {
        const QRect textRect = layout.m_caption.translated(shift ? QPoint(1, 1) : QPoint());
        const int flags = int(m_captionAlign) | Qt::TextSingleLine;
        if (disabled)
        {
            painter.setPen(palette().color(QPalette::Light));
            painter.drawText(textRect.translated(1, 1), flags, caption);
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawText(textRect, flags, caption);
        }
        else
        {
            painter.setPen(m_colors[LinkButtonText(state)]);
            painter.drawText(textRect, flags, caption);
        }
    }

    if (state.m_focused && (!m_flat || m_drawFocusWhenFlat))
    {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
