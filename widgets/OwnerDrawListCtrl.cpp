#include "widgets/OwnerDrawListCtrl.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionFocusRect>
#include <QTreeView>

namespace
{
constexpr int kBufferHeight = 18;
} // namespace

COwnerDrawListCtrl::COwnerDrawListCtrl(QWidget* parent) : CListCtrl(parent)
{
    ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED);
    InitBackBuffer();
}

void COwnerDrawListCtrl::InitBackBuffer()
{
    if (!m_backBuffer.isNull())
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 1920;
    m_backBuffer = QPixmap(screenWidth + 4, kBufferHeight);
}

COwnerDrawListCtrl::RowLook COwnerDrawListCtrl::ChooseRowLook(UINT state, bool listFocused, bool showSelectionAlways)
{
    RowLook look;
    look.m_lookSelected =
        (state & LVIS_DROPHILITED) || ((listFocused || showSelectionAlways) && (state & LVIS_SELECTED));
    look.m_focusRect = (state & LVIS_FOCUSED) && listFocused;
    if (look.m_lookSelected)
    {
        look.m_background = listFocused ? QPalette::Highlight : QPalette::Button;
        look.m_text = QPalette::HighlightedText;
    }
    return look;
}

Qt::Alignment COwnerDrawListCtrl::CellAlignment(int format, int textWidth, int rectWidth)
{
    const bool fits = textWidth <= rectWidth;
    if (format == LVCFMT_RIGHT && fits)
        return Qt::AlignRight;
    if (format == LVCFMT_CENTER && fits)
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

bool COwnerDrawListCtrl::IsListFocused() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || focus == RowsWidget());
}

void COwnerDrawListCtrl::DrawRow(QPainter& painter, const QStyleOptionViewItem& option, int index)
{
    if (GetView() != LVS_REPORT || !(GetStyle() & LVS_OWNERDRAWFIXED))
    {
        DrawRowDefault(painter, option, index);
        return;
    }
    QRect bounds;
    if (!GetItemRect(index, bounds, LVIR_BOUNDS))
        return;
    InitBackBuffer();
    if (bounds.height() > m_backBuffer.height())
        m_backBuffer = QPixmap(m_backBuffer.width(), bounds.height());
    // The width of the rows' area as it is now, scroll bar excluded.
    m_clientWidth = ReportView()->viewport()->width();

    const int image = GetItemImage(index);
    const UINT state = GetItemState(index, ~0u);
    const RowLook look = ChooseRowLook(state, IsListFocused(), (GetStyle() & LVS_SHOWSELALWAYS) != 0);
    const QPalette& colours = palette();

    QPainter buffer(&m_backBuffer);
    buffer.setFont(painter.font());
    buffer.setPen(colours.color(look.m_text));

    // Everything of the row is drawn with the row's top at 0.
    const int rowTop = bounds.top();
    QRect row = bounds;
    row.setRight(m_clientWidth - 1);
    row.translate(0, -rowTop);
    buffer.fillRect(row, colours.color(look.m_background));

    UINT iconStyle = ILD_TRANSPARENT;
    QColor blend;
    if (state & LVIS_CUT)
    {
        iconStyle |= ILD_BLEND50;
        blend = colours.color(QPalette::Base);
    }
    else if (look.m_lookSelected)
    {
        iconStyle |= ILD_BLEND50;
        blend = colours.color(QPalette::Highlight);
    }

    const UINT stateImage = (state & LVIS_STATEIMAGEMASK) >> 12;
    if (CImageList* states = GetImageList(LVSIL_STATE); states && stateImage != 0)
    {
        states->Draw(buffer, static_cast<int>(stateImage) - 1, row.topLeft(), ILD_TRANSPARENT);
        m_stateIconSize = states->GetIconSize();
    }
    QRect icon;
    if (CImageList* small = GetImageList(LVSIL_SMALL); small && GetItemRect(index, icon, LVIR_ICON) && icon.width() > 1)
    {
        icon.translate(0, -rowTop);
        small->Draw(buffer, image, icon.topLeft(), iconStyle | (state & LVIS_OVERLAYMASK), blend);
    }

    for (int column = 0; DrawSubItem(index, column, buffer, rowTop, state); ++column)
    {
    }

    QRect label;
    if (look.m_focusRect && GetItemRect(index, label, LVIR_LABEL))
    {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = label.translated(0, -rowTop);
        focus.backgroundColor = colours.color(look.m_background);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &buffer, this);
    }
    buffer.end();

    painter.drawPixmap(QPoint(0, rowTop), m_backBuffer, QRect(0, 0, m_clientWidth - bounds.left(), bounds.height()));
}

bool COwnerDrawListCtrl::DrawSubItem(int row, int column, QPainter& painter, int rowTop, UINT state)
{
    ListColumn info;
    if (!GetColumn(column, info))
        return false;
    QRect cell;
    if (!GetSubItemRect(row, column, LVIR_LABEL, cell))
        return false;
    cell.translate(0, -rowTop);
    if (m_drawCallback)
    {
        painter.save();
        const bool done = m_drawCallback(*this, row, column, painter, cell, state, info);
        painter.restore();
        if (done)
            return true;
    }
    DrawListCellText(painter, row, column, cell, info.m_format);
    return true;
}

void COwnerDrawListCtrl::DrawListCellText(QPainter& painter, int row, int column, const QRect& cell, int format) const
{
    const QRect textRect = cell.adjusted(kCellMargin, 0, -kCellMargin, 0);
    if (textRect.width() <= 0)
        return;
    const QString text = QString::fromStdString(GetItemText(row, column));
    const QFontMetrics metrics(painter.font());
    const Qt::Alignment horizontal = CellAlignment(format, metrics.horizontalAdvance(text), textRect.width());
    const QString shown = metrics.elidedText(text, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

int COwnerDrawListCtrl::HitTest(const QPoint& point, UINT* flags) const
{
    UINT found = 0;
    const int row = CListCtrl::HitTest(point, &found);
    if (row >= 0)
    {
        found &= ~(LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON);
        QRect icon, label, bounds;
        if (GetItemRect(row, icon, LVIR_ICON) && icon.contains(point))
            found |= LVHT_ONITEMICON;
        if (GetItemRect(row, label, LVIR_LABEL) && label.contains(point))
            found |= LVHT_ONITEMLABEL;
        if (GetItemRect(row, bounds, LVIR_BOUNDS))
        {
            bounds.setWidth(m_stateIconSize.width());
            if (bounds.contains(point))
                found |= LVHT_ONITEMSTATEICON;
        }
    }
    if (flags)
        *flags = found;
    return row;
}

void SetHeaderSortBitmap(CListCtrl& list, int column, const QImage& bitmap)
{
    for (int each = 0; each < list.GetColumnCount(); ++each)
        list.SetColumnHeaderImage(each, QImage());
    if (column != -1 && !bitmap.isNull())
        list.SetColumnHeaderImage(column, bitmap);
}
