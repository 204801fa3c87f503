#pragma once
// The report list the program's lists are built on (the link list, the
// link-group list, the transfer queue, the lists of the Select New Action
// and Cache dialogs). It paints every row itself through a one-row back
// buffer, so that selection colours follow the focus, and an owner can take
// over any cell with one callback.
//
// Row look: a row looks selected when it is drop-highlighted, or when it is
// selected and the list has the focus or the show-selection-always style.
// Background: highlight when it looks selected and the list has the focus,
// button face when it looks selected without the focus, else the window
// colour; text: highlighted text when it looks selected, else window text.
// The focus rectangle is drawn around the label of the focused row while the
// list has the focus.
//
// The back buffer is (screen width + 4) pixels wide and 18 high, made once;
// a row taller than that (a large font) grows it once rather than being cut.
// Areas without rows are painted in the window colour by the view itself.
//
// UI thread only.

#include "platform/ui/ListCtrl.h"

#include <QColor>
#include <QPixmap>

#include <functional>

class QPainter;

class COwnerDrawListCtrl : public CListCtrl
{
    Q_OBJECT

public:
    // The owner's per-cell drawing: the list, row, column, the painter on the
    // back buffer, the cell rectangle in back-buffer coordinates (the row's
    // top is 0), the row's state bits and the column. True when the cell is
    // drawn completely; false lets the default text be drawn over it.
    using DrawCallback = std::function<bool(COwnerDrawListCtrl& list, int row, int column, QPainter& painter,
                                            const QRect& cell, UINT state, const ListColumn& columnInfo)>;

    // Report view with show-selection-always and owner-drawn rows, added
    // to nothing else; the back buffer is made here.
    explicit COwnerDrawListCtrl(QWidget* parent = nullptr);

    // Set by the owner after construction; empty: default drawing.
    DrawCallback m_drawCallback;

    // Makes the back buffer when it does not exist yet (construction does;
    // kept for owners that rebuild the list's rows widget).
    void InitBackBuffer();
    QSize GetBackBufferSize() const { return m_backBuffer.size(); }

    // The row and part under a point; the state-icon part uses the size of
    // the state image list recorded when a state image was last drawn.
    int HitTest(const QPoint& point, UINT* flags = nullptr) const override;

    // The colour decisions of one row (see the file comment), as roles of
    // the list's palette.
    struct RowLook
    {
        bool m_lookSelected = false;
        bool m_focusRect = false;
        QPalette::ColorRole m_background = QPalette::Base;
        QPalette::ColorRole m_text = QPalette::Text;
    };
    static RowLook ChooseRowLook(UINT state, bool listFocused, bool showSelectionAlways);

    // Where a cell's text goes: a right-aligned or centred column keeps its
    // alignment only while the text fits, else the text is left-aligned
    // (and cut with an ellipsis).
    static Qt::Alignment CellAlignment(int format, int textWidth, int rectWidth);

    // Pixels kept free left and right of a cell's text.
    static constexpr int kCellMargin = 4;

    // Draws one cell's text with the default rules into rect (the cell
    // rectangle; kCellMargin pixels are kept free left and right).
    void DrawListCellText(QPainter& painter, int row, int column, const QRect& cell, int format) const;

protected:
    void DrawRow(QPainter& painter, const QStyleOptionViewItem& option, int index) override;
    // False when the column does not exist.
    bool DrawSubItem(int row, int column, QPainter& painter, int rowTop, UINT state);

private:
    bool IsListFocused() const;

    QPixmap m_backBuffer;
    int m_clientWidth = 0;
    QSize m_stateIconSize;
};

// Shows bitmap on the column's header as the sort arrow and takes it off
// every other header; column -1 or a null bitmap only clears.
void SetHeaderSortBitmap(CListCtrl& list, int column, const QImage& bitmap);
