// Set-up, geometry, scrolling, caret placement, painting and the mouse.

#include "editor/ui/ColorEditView.h"

#include "editor/EditColorScheme.h"
#include "editor/EditColorizer.h"
#include "editor/EditDisplayList.h"
#include "editor/EditTextBuffer.h"
#include "editor/ui/DisplayListPainter.h"
#include "editor/ui/PaletteSystemColors.h"
#include "editor/ui/QtFontMeasurer.h"

#include "platform/ui/Document.h"

#include "widgets/ScrollBarInfo.h"

#include "transfer/base/TransferLogInterface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace
{
// A scroll target that means "the end"; clamping brings it back.
constexpr int kEndLine = 1000000;
}

CColorEditView::CColorEditView(QWidget* parent)
    : CView(parent),
      m_systemColors(std::make_unique<CPaletteSystemColors>(*this)),
      m_measurer(std::make_unique<CQtFontMeasurer>()),
      m_scheme(std::make_unique<CEditColorScheme>(m_systemColors.get(), m_measurer.get())),
      m_displayList(std::make_unique<CEditDisplayList>()),
      m_vertical(new QScrollBar(Qt::Vertical, this)),
      m_horizontal(new QScrollBar(Qt::Horizontal, this))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_vertical->hide();
    m_horizontal->hide();
    m_vertical->setFocusPolicy(Qt::NoFocus);
    m_horizontal->setFocusPolicy(Qt::NoFocus);
    connect(m_vertical, &QScrollBar::actionTriggered, this, [this](int action) { OnScrollBarAction(true, action); });
    connect(m_horizontal, &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(false, action); });
    connect(m_vertical, &QScrollBar::valueChanged, this, [this](int value) { OnScrollBarValue(true, value); });
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this](int value) { OnScrollBarValue(false, value); });
    RegisterCommands();
}

CColorEditView::~CColorEditView()
{
    RemoveColoringPost();
    DetachSource();
    // A buffer that outlives the view must not keep its colouriser.
    AttachBuffer(nullptr, false);
    if (m_ownsColorizer)
        delete m_colorizer;
}

// ---- Set-up and content ---------------------------------------------------

void CColorEditView::AttachBuffer(CEditTextBuffer* buffer, bool owned)
{
    if (buffer == m_buffer)
    {
        m_ownsBuffer = owned;
        return;
    }
    if (m_ownsBuffer)
        delete m_buffer;
    else if (m_buffer)
        m_buffer->SetColorizer(static_cast<CEditColorizer*>(nullptr));
    m_buffer = buffer;
    m_ownsBuffer = owned;
    if (m_buffer)
        m_buffer->SetColorizer(m_colorizer);
    ClampScroll();
    UpdateScrollBars();
    RedrawAll();
}

void CColorEditView::SetColorizer(CEditColorizer* colorizer, bool owned, bool redraw)
{
    if (colorizer != m_colorizer)
    {
        // The buffer lets go first, so it never holds a deleted colouriser.
        if (m_buffer)
            m_buffer->SetColorizer(static_cast<CEditColorizer*>(nullptr));
        if (m_ownsColorizer)
            delete m_colorizer;
        m_colorizer = colorizer;
    }
    m_ownsColorizer = owned;
    if (m_buffer)
        m_buffer->SetColorizer(m_colorizer);
    if (redraw)
        RedrawAll();
}

void CColorEditView::SetText(std::string_view text, bool redraw, int scrollTo)
{
    if (!m_buffer)
        return;
    m_buffer->SetText(text);
    m_scheme->m_selection = {};
    m_desiredColumn = 0;
    m_scheme->m_firstColumn = 0;
    ScrollAfterTextChange(scrollTo, redraw);
}

// scrollTo: 0 the top, above 0 that line, below 0 the end while following it.
void CColorEditView::ScrollAfterTextChange(int scrollTo, bool redraw)
{
    if (scrollTo == 0)
        m_scheme->m_topLine = 0;
    else if (scrollTo > 0)
        m_scheme->m_topLine = scrollTo;
    else if (m_followEnd)
        m_scheme->m_topLine = kEndLine;
    RecalcVisible();
    ClampScroll();
    UpdateScrollBars();
    if (redraw)
        RedrawAll();
}

void CColorEditView::AppendText(std::string_view text, bool redraw, int scrollTo)
{
    if (!m_buffer)
        return;
    m_buffer->AppendText(text);
    m_scheme->m_firstColumn = 0;
    ScrollAfterTextChange(scrollTo, redraw);
}

void CColorEditView::EnableTextArea(bool enabled, bool redraw)
{
    m_textEnabled = enabled;
    if (!enabled)
        EndDrag();
    UpdateScrollBars();
    if (redraw)
        RedrawAll();
}

bool CColorEditView::SetLocked(bool locked)
{
    return std::exchange(m_locked, locked);
}

bool CColorEditView::IsEditable() const
{
    return !m_locked && m_textEnabled && m_buffer;
}

void CColorEditView::ShowLineNumbers(bool show, bool redraw)
{
    m_lineNumbers = show;
    RecalcVisible();
    UpdateScrollBars();
    if (redraw)
        RedrawAll();
}

void CColorEditView::SetTabSize(int size, bool redraw)
{
    if (!m_buffer || size == m_buffer->GetTabSize())
        return;
    // The selection keeps its characters: columns become indexes under the
    // old tab size and columns again under the new one.
    CEditSelection& selection = m_scheme->m_selection;
    const auto toIndex = [this](int line, int column) {
        const CEditLine* at = m_buffer->GetLine(line);
        return at ? at->ColumnToIndex(m_buffer->GetTabSize(), column) : 0;
    };
    const int anchorIndex = toIndex(selection.m_anchorLine, selection.m_anchorColumn);
    const int caretIndex = toIndex(selection.m_caretLine, selection.m_caretColumn);
    m_buffer->SetTabSize(size);
    const auto toColumn = [this](int line, int index) {
        const CEditLine* at = m_buffer->GetLine(line);
        return at ? at->IndexToColumn(m_buffer->GetTabSize(), index) : 0;
    };
    selection.m_anchorColumn = toColumn(selection.m_anchorLine, anchorIndex);
    selection.m_caretColumn = toColumn(selection.m_caretLine, caretIndex);
    m_desiredColumn = selection.m_caretColumn;
    ClampScroll();
    UpdateScrollBars();
    if (redraw)
        RedrawAll();
}

void CColorEditView::SetFontSize(int pointTenths, bool redraw)
{
    m_scheme->m_fontMetrics.Create(pointTenths);
    RecalcVisible();
    if (!redraw)
        return;
    UpdateScrollBars();
    RedrawAll();
}

void CColorEditView::EnableUndo(bool on)
{
    if (m_buffer)
        m_buffer->EnableUndo(on);
}

void CColorEditView::ClearUndo()
{
    if (m_buffer)
        m_buffer->ClearUndo();
}

void CColorEditView::SetSavePoint()
{
    if (m_buffer)
        m_buffer->SetSavePoint();
}

bool CColorEditView::IsModified() const
{
    return IsEditable() && m_buffer->IsModified();
}

void CColorEditView::SetRedraw(bool redraw)
{
    if (!redraw)
    {
        --m_redrawLock;
        return;
    }
    if (m_redrawLock >= 0 || ++m_redrawLock < 0)
        return;
    // Everything is repainted, so lines marked while locked need no more.
    m_dirtyAll = false;
    m_dirtyFirst = m_dirtyLast = -1;
    UpdateScrollBars();
    RedrawAll();
    UpdateCaret();
}

void CColorEditView::OnModifiedChanged()
{
    if (CDocument* document = GetDocument(); document && m_buffer)
        document->SetModifiedFlag(m_buffer->IsModified());
}

void CColorEditView::SetScheme(std::unique_ptr<CEditColorScheme> scheme)
{
    if (!scheme)
        return;
    // The view state lives in the scheme; the new one carries it on.
    scheme->m_visibleRows = m_scheme->m_visibleRows;
    scheme->m_visibleColumns = m_scheme->m_visibleColumns;
    scheme->m_topLine = m_scheme->m_topLine;
    scheme->m_firstColumn = m_scheme->m_firstColumn;
    scheme->m_selection = m_scheme->m_selection;
    // The font too: a scheme built without the view's measurer has none
    // measured, and a line height of 0 would paint nothing.
    scheme->m_fontMetrics = m_scheme->m_fontMetrics;
    scheme->SetSystemColors(m_systemColors.get());
    scheme->m_fontMetrics.SetMeasurer(m_measurer.get());
    m_scheme = std::move(scheme);
    RecalcVisible();
    RedrawAll();
}

void CColorEditView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    RecalcVisible();
    UpdateScrollBars();
    RedrawAll();
}

// ---- Positions -------------------------------------------------------------

const CEditSelection& CColorEditView::GetSelection() const
{
    return m_scheme->m_selection;
}

void CColorEditView::ClampPosition(int& line, int& column) const
{
    if (!m_buffer || m_buffer->GetLineCount() == 0)
    {
        line = column = 0;
        return;
    }
    line = std::max(line, 0);
    column = std::max(column, 0);
    if (line >= m_buffer->GetLineCount())
    {
        line = m_buffer->GetLineCount() - 1;
        column = m_buffer->GetWidestWidth();
    }
    m_buffer->GetLine(line)->ClampColumn(m_buffer->GetTabSize(), column);
}

void CColorEditView::SetSelection(int anchorLine, int anchorColumn, int caretLine, int caretColumn, bool lock)
{
    if (lock)
        SetRedraw(false);
    ClampPosition(anchorLine, anchorColumn);
    ClampPosition(caretLine, caretColumn);
    PlaceCaret(anchorLine, anchorColumn, true, !lock, false);
    m_desiredColumn = caretColumn;
    PlaceCaret(caretLine, caretColumn, false, !lock, true);
    if (lock)
        SetRedraw(true);
}

void CColorEditView::GetScrollPosition(int& topLine, int& leftColumn) const
{
    topLine = m_scheme->m_topLine;
    leftColumn = m_scheme->m_firstColumn;
}

void CColorEditView::SetScrollPosition(int topLine, int leftColumn)
{
    m_scheme->m_topLine = std::max(topLine, 0);
    m_scheme->m_firstColumn = std::max(leftColumn, 0);
    ClampScroll();
    UpdateScrollBars();
    RedrawAll();
}

void CColorEditView::GetCaret(int& line, int& column) const
{
    line = m_scheme->m_selection.m_caretLine;
    column = m_scheme->m_selection.m_caretColumn;
}

bool CColorEditView::GetSelectedText(int64_t& startOffset, int64_t& endOffset, std::string* text) const
{
    startOffset = endOffset = 0;
    if (text)
        text->clear();
    if (!m_buffer)
        return false;
    m_buffer->GetRangeText(startOffset, endOffset, m_scheme->m_selection, text);
    return endOffset > startOffset;
}

void CColorEditView::SelectOffsets(int64_t start, int64_t end, bool lock)
{
    if (!m_buffer)
        return;
    int startLine, startIndex, endLine, endIndex;
    m_buffer->OffsetToPosition(std::max<int64_t>(start, 0), startLine, startIndex);
    m_buffer->OffsetToPosition(std::max<int64_t>(end, 0), endLine, endIndex);
    const int tab = m_buffer->GetTabSize();
    SetSelection(startLine, m_buffer->GetLine(startLine)->IndexToColumn(tab, startIndex), endLine,
                 m_buffer->GetLine(endLine)->IndexToColumn(tab, endIndex), lock);
}

bool CColorEditView::GetWordBounds(int line, int column, int& start, int& end) const
{
    start = end = 0;
    const CEditLine* at = m_buffer ? m_buffer->GetLine(line) : nullptr;
    if (!at)
        return false;
    const int tab = m_buffer->GetTabSize();
    int startIndex = at->ColumnToIndex(tab, column);
    int endIndex = 0;
    if (!m_buffer->GetWordAt(line, startIndex, endIndex, nullptr))
        return false;
    start = at->IndexToColumn(tab, startIndex);
    end = at->IndexToColumn(tab, endIndex);
    return true;
}

void CColorEditView::SelectWordAt(int line, int column)
{
    int start = 0;
    int end = 0;
    if (GetWordBounds(line, column, start, end))
        SetSelection(line, start, line, end, true);
    else
        MoveCaretTo(line, column, true);
}

bool CColorEditView::FindNext(std::string_view text, bool matchCase)
{
    if (!m_buffer)
        return false;
    CEditSelection found = m_scheme->m_selection;
    if (!m_buffer->FindText(found, text, matchCase))
        return false;
    SetSelection(found.m_anchorLine, found.m_anchorColumn, found.m_caretLine, found.m_caretColumn, true);
    return true;
}

// ---- Geometry and scrolling -----------------------------------------------

int CColorEditView::GutterWidthFor(int lineCount)
{
    if (lineCount < 10)
        return 3;
    if (lineCount < 100)
        return 4;
    if (lineCount < 1000)
        return 5;
    if (lineCount <= 9999)
        return 6;
    if (lineCount < 100000)
        return 7;
    return 8;
}

int CColorEditView::GetGutterWidth() const
{
    return m_lineNumbers && m_buffer ? GutterWidthFor(m_buffer->GetLineCount()) : 0;
}

int CColorEditView::GetCharWidth() const
{
    return m_scheme->m_fontMetrics.m_paintCharWidth;
}

int CColorEditView::GetLineHeight() const
{
    return m_scheme->m_fontMetrics.m_paintLineHeight;
}

QRect CColorEditView::ClientRect() const
{
    QRect client = rect();
    if (m_vertical->isVisibleTo(this))
        client.setRight(m_vertical->x() - 1);
    if (m_horizontal->isVisibleTo(this))
        client.setBottom(m_horizontal->y() - 1);
    return client;
}

void CColorEditView::RecalcVisible()
{
    const QRect client = ClientRect();
    const int w = GetCharWidth();
    const int h = GetLineHeight();
    const int textWidth = client.width() - GetGutterWidth() * w;
    // A partly visible last row or column counts.
    m_visibleRows = h > 0 ? (client.height() + h - 1) / h : 0;
    m_visibleColumns = w > 0 && textWidth > 0 ? (textWidth + w - 1) / w : 0;
}

void CColorEditView::RecomputeFollowEnd()
{
    const int top = m_scheme->m_topLine;
    m_followEnd = m_buffer && top > 0 && top >= m_buffer->GetLineCount() - m_visibleRows;
}

void CColorEditView::UpdateScrollBars()
{
    if (m_inScrollBarUpdate)
        return;
    m_inScrollBarUpdate = true;
    const bool show = m_textEnabled;
    // Shown or hidden bars change the text area, so they are placed first.
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_vertical->setGeometry(width() - extent, 0, extent, std::max(height() - extent, 0));
    m_horizontal->setGeometry(0, height() - extent, std::max(width() - extent, 0), extent);
    m_vertical->setVisible(show);
    m_horizontal->setVisible(show);
    RecalcVisible();
    if (show)
    {
        const int lines = m_buffer ? m_buffer->GetLineCount() : 0;
        const int widest = m_buffer ? m_buffer->GetWidestWidth() : 0;
        SetScrollBarInfo(m_vertical, lines, m_visibleRows, m_scheme->m_topLine);
        SetScrollBarInfo(m_horizontal, widest + 1, m_visibleColumns, m_scheme->m_firstColumn);
        RecomputeFollowEnd();
    }
    m_inScrollBarUpdate = false;
}

void CColorEditView::ClampScroll()
{
    if (!m_buffer)
    {
        m_scheme->m_topLine = m_scheme->m_firstColumn = 0;
        m_followEnd = false;
        return;
    }
    int& top = m_scheme->m_topLine;
    int& left = m_scheme->m_firstColumn;
    const int lines = m_buffer->GetLineCount();
    if (top + m_visibleRows > lines)
        top = lines - m_visibleRows + 1;
    top = std::max(top, 0);
    const int widest = m_buffer->GetWidestWidth();
    if (left > 0 && widest < left + m_visibleColumns + 1)
        left = widest - m_visibleColumns + 2;
    left = std::max(left, 0);
    RecomputeFollowEnd();
}

void CColorEditView::OnScrollBarAction(bool vertical, int action)
{
    QScrollBar* bar = vertical ? m_vertical : m_horizontal;
    const int page = (vertical ? m_visibleRows : m_visibleColumns) - 1;
    SteerScrollAction(bar, action, 1, std::max(page, 1), false);
}

void CColorEditView::OnScrollBarValue(bool vertical, int value)
{
    if (m_inScrollBarUpdate)
        return;
    if (vertical)
    {
        m_scheme->m_topLine = value;
        ClampScroll();
    }
    else
    {
        m_scheme->m_firstColumn = value;
    }
    RedrawAll();
}

void CColorEditView::ScrollLines(int lines)
{
    m_scheme->m_topLine += lines;
    ClampScroll();
    UpdateScrollBars();
    RedrawAll();
}

void CColorEditView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    UpdateScrollBars();
    // The first size event is the window's creation, not a resize.
    if (++m_sizeEvents < 2)
        return;
    if (m_followEnd)
        m_scheme->m_topLine = kEndLine;
    ClampScroll();
    UpdateScrollBars();
    RedrawAll();
}

void CColorEditView::PointToPosition(QPoint point, int& line, int& column) const
{
    const int w = GetCharWidth();
    const int h = GetLineHeight();
    if (!m_buffer || w <= 0 || h <= 0)
    {
        line = column = 0;
        return;
    }
    // Floor division, so a point left of or above the text gives a negative
    // position that clamps to 0.
    const auto divide = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    column = divide(point.x(), w) + m_scheme->m_firstColumn - GetGutterWidth();
    line = divide(point.y(), h) + m_scheme->m_topLine;
    ClampPosition(line, column);
}

bool CColorEditView::IsInGutter(QPoint point) const
{
    return point.x() < GetGutterWidth() * GetCharWidth();
}

// ---- Caret and selection ---------------------------------------------------

void CColorEditView::SetDirtyRange(int firstLine, int lastLine)
{
    if (firstLine > lastLine)
        std::swap(firstLine, lastLine);
    if (m_dirtyFirst < 0)
    {
        m_dirtyFirst = firstLine;
        m_dirtyLast = lastLine;
        return;
    }
    m_dirtyFirst = std::min(m_dirtyFirst, firstLine);
    m_dirtyLast = std::max(m_dirtyLast, lastLine);
}

void CColorEditView::PlaceCaret(int line, int column, bool collapse, bool update, bool ensureVisible)
{
    CEditSelection& selection = m_scheme->m_selection;
    const CEditSelection old = selection;
    if (collapse)
    {
        selection.m_anchorLine = line;
        selection.m_anchorColumn = column;
    }
    selection.m_caretLine = line;
    selection.m_caretColumn = column;
    SetDirtyRange(std::min({old.m_anchorLine, old.m_caretLine, selection.m_anchorLine, selection.m_caretLine}),
                  std::max({old.m_anchorLine, old.m_caretLine, selection.m_anchorLine, selection.m_caretLine}));
    if (ensureVisible)
    {
        int& top = m_scheme->m_topLine;
        int& left = m_scheme->m_firstColumn;
        const int oldTop = top;
        const int oldLeft = left;
        if (m_visibleColumns > 0 && column + 1 >= left + m_visibleColumns)
            left = column - m_visibleColumns + 2;
        if (column < left)
            left = column;
        if (m_visibleRows > 0 && line + 1 >= top + m_visibleRows)
            top = line - m_visibleRows + 2;
        if (line < top)
            top = line;
        top = std::max(top, 0);
        left = std::max(left, 0);
        if (top != oldTop || left != oldLeft)
            MarkAllDirty();
    }
    if (!update)
        return;
    UpdateScrollBars();
    if (m_dirtyAll)
        RedrawAll();
    else
        RedrawLines(m_dirtyFirst, m_dirtyLast);
    m_dirtyAll = false;
    m_dirtyFirst = m_dirtyLast = -1;
    UpdateCaret();
}

void CColorEditView::MoveCaretTo(int line, int column, bool collapse)
{
    ClampPosition(line, column);
    m_desiredColumn = column;
    PlaceCaret(line, column, collapse, true, true);
}

void CColorEditView::MoveCaret(int deltaLines, int deltaColumns, bool collapse)
{
    if (!m_buffer || m_buffer->GetLineCount() == 0)
        return;
    const CEditSelection& selection = m_scheme->m_selection;
    const int tab = m_buffer->GetTabSize();
    const int lineCount = m_buffer->GetLineCount();
    const int line = std::clamp<int64_t>(int64_t(selection.m_caretLine) + deltaLines, 0, lineCount - 1);
    int column = 0;
    if (deltaColumns != 0)
    {
        // Through character indexes, so a tab is crossed in one step.
        const CEditLine* at = m_buffer->GetLine(line);
        const int index = at->ColumnToIndex(tab, selection.m_caretColumn);
        int target = index;
        if (deltaColumns > 0)
        {
            for (int step = 0; step < deltaColumns && target < at->GetTextEnd(); ++step)
                target = at->NextChar(target);
        }
        else
        {
            for (int step = 0; step > deltaColumns && target > 0; --step)
                target = at->PrevChar(target);
        }
        target = std::min(target, at->GetTextEnd());
        column = at->IndexToColumn(tab, target);
        int moveLine = line;
        if (column == selection.m_caretColumn && (deltaColumns == 1 || deltaColumns == -1))
        {
            if (deltaColumns > 0 && line + 1 < lineCount)
            {
                moveLine = line + 1;
                column = 0;
            }
            else if (deltaColumns < 0 && line > 0)
            {
                moveLine = line - 1;
                column = m_buffer->GetLine(moveLine)->GetWidth();
            }
        }
        m_desiredColumn = column;
        PlaceCaret(moveLine, column, collapse, true, true);
        return;
    }
    column = m_desiredColumn;
    m_buffer->GetLine(line)->ClampColumn(tab, column);
    PlaceCaret(line, column, collapse, true, true);
}

void CColorEditView::MoveCaretByWord(int direction, bool collapse)
{
    if (!m_buffer || m_buffer->GetLineCount() == 0)
        return;
    const CEditSelection& selection = m_scheme->m_selection;
    const int tab = m_buffer->GetTabSize();
    const int index = m_buffer->GetLine(selection.m_caretLine)->ColumnToIndex(tab, selection.m_caretColumn);
    int line = selection.m_caretLine;
    int moved = index;
    if (!m_buffer->MoveWord(selection.m_caretLine, index, line, moved, direction > 0))
        return;
    const int column = m_buffer->GetLine(line)->IndexToColumn(tab, moved);
    m_desiredColumn = column;
    PlaceCaret(line, column, collapse, true, true);
}

QRect CColorEditView::CaretRect() const
{
    const CEditSelection& selection = m_scheme->m_selection;
    const int w = GetCharWidth();
    const int h = GetLineHeight();
    const int x = (selection.m_caretColumn - m_scheme->m_firstColumn + GetGutterWidth()) * w;
    const int y = (selection.m_caretLine - m_scheme->m_topLine) * h;
    const QRect client = ClientRect();
    if (x < GetGutterWidth() * w || x >= client.width() || y < 0 || y >= client.height())
        return {};
    return QRect(x, y, m_scheme->m_fontMetrics.m_step > 0 ? m_scheme->m_fontMetrics.m_step : 1, h);
}

void CColorEditView::UpdateCaret()
{
    // The caret is painted with the text; asking for the line it is on is
    // enough.
    if (hasFocus() && !IsRedrawLocked())
        update(CaretRect());
}

// ---- Painting ---------------------------------------------------------------

void CColorEditView::RedrawAll()
{
    if (!IsRedrawLocked())
        update();
}

void CColorEditView::RedrawLines(int firstLine, int lastLine)
{
    if (IsRedrawLocked())
        return;
    if (lastLine < 0 || firstLine < 0)
    {
        update();
        return;
    }
    const int h = GetLineHeight();
    const int top = m_scheme->m_topLine;
    const QRect client = ClientRect();
    const int y0 = std::max(firstLine - top, 0) * h;
    const int y1 = std::min<int64_t>(int64_t(lastLine - top + 1) * h, client.height());
    if (y1 > y0)
        update(QRect(0, y0, client.width(), y1 - y0));
}

void CColorEditView::WriteViewState()
{
    m_scheme->m_visibleRows = m_visibleRows;
    m_scheme->m_visibleColumns = m_visibleColumns;
    m_scheme->m_gutterWidth = GetGutterWidth();
    m_scheme->m_focused = hasFocus();
    const QRect client = ClientRect();
    m_scheme->m_paintRect = {client.left(), client.top(), client.right() + 1, client.bottom() + 1};
}

void CColorEditView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect client = ClientRect();
    if (m_vertical->isVisible() && m_horizontal->isVisible())
        painter.fillRect(QRect(m_vertical->x(), m_horizontal->y(), m_vertical->width(), m_horizontal->height()),
                         palette().window());
    painter.setClipRect(client);
    if (!m_textEnabled || !m_buffer || GetLineHeight() <= 0)
    {
        painter.fillRect(client, ToQColor(m_scheme->GetBaseColor(kSlotEmptyWindow)));
        return;
    }
    WriteViewState();
    const int h = GetLineHeight();
    const QRect area = event->rect() & client;
    const int first = m_scheme->m_topLine + area.top() / h;
    const int last = m_scheme->m_topLine + area.bottom() / h;
    m_displayList->Clear();
    m_buffer->Colorize(*m_displayList, *m_scheme, first, std::max(last, first), m_colored);
    PlayDisplayList(painter, *m_displayList, EditQFont(m_scheme->m_fontMetrics.m_font));
    m_displayList->Clear();
    if (hasFocus() && !m_dragging)
    {
        const QRect caret = CaretRect();
        if (!caret.isEmpty())
            painter.fillRect(caret, ToQColor(m_scheme->GetBaseColor(kSlotTextColor)));
    }
}

void CColorEditView::focusInEvent(QFocusEvent* event)
{
    CView::focusInEvent(event);
    RedrawAll();
}

void CColorEditView::focusOutEvent(QFocusEvent* event)
{
    CView::focusOutEvent(event);
    EndDrag();
    RedrawAll();
}

void CColorEditView::changeEvent(QEvent* event)
{
    CView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
    {
        m_scheme->UpdateDerivedColors();
        RedrawAll();
    }
}

// ---- Mouse -------------------------------------------------------------------

void CColorEditView::mousePressEvent(QMouseEvent* event)
{
    if (!m_textEnabled || event->button() != Qt::LeftButton)
    {
        CView::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    m_pressPoint = point;
    PointToPosition(point, m_pressLine, m_pressColumn);
    m_dragging = true;
    m_dragInGutter = IsInGutter(point);
    if (!m_dragInGutter)
    {
        if (modifiers & Qt::ControlModifier)
            SelectWordAt(m_pressLine, m_pressColumn);
        else
            MoveCaretTo(m_pressLine, m_pressColumn, !(modifiers & Qt::ShiftModifier));
    }
    else if (modifiers & Qt::ControlModifier)
    {
        SelectAll();
    }
    else if (!(modifiers & Qt::ShiftModifier))
    {
        m_dragOriginLine = m_pressLine;
        SetSelection(m_pressLine, 0, m_pressLine + 1, 0, true);
    }
    else
    {
        m_dragOriginLine = m_scheme->m_selection.m_anchorLine;
        MoveCaretTo(m_pressLine, 0, false);
    }
    event->accept();
}

void CColorEditView::DragTo(QPoint point, Qt::KeyboardModifiers modifiers)
{
    int line = 0;
    int column = 0;
    PointToPosition(point, line, column);
    if (!m_dragInGutter)
    {
        if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::ShiftModifier))
        {
            // Whole words: from the start of the earlier word to the end of
            // the later one.
            int pressStart = m_pressColumn, pressEnd = m_pressColumn;
            int hereStart = column, hereEnd = column;
            GetWordBounds(m_pressLine, m_pressColumn, pressStart, pressEnd);
            GetWordBounds(line, column, hereStart, hereEnd);
            if (line > m_pressLine || (line == m_pressLine && hereStart >= pressStart))
                SetSelection(m_pressLine, pressStart, line, hereEnd, true);
            else
                SetSelection(m_pressLine, pressEnd, line, hereStart, true);
            return;
        }
        MoveCaretTo(line, column, false);
        return;
    }
    if (modifiers & Qt::ControlModifier)
        return;
    if (line >= m_dragOriginLine)
        SetSelection(m_dragOriginLine, 0, line + 1, 0, true);
    else
        SetSelection(m_dragOriginLine + 1, 0, line, 0, true);
}

void CColorEditView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    UpdateCursorShape(point);
    if (!m_textEnabled || !m_dragging)
    {
        CView::mouseMoveEvent(event);
        return;
    }
    DragTo(point, event->modifiers());
    event->accept();
}

void CColorEditView::EndDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    UpdateCaret();
}

void CColorEditView::mouseReleaseEvent(QMouseEvent* event)
{
    EndDrag();
    CView::mouseReleaseEvent(event);
}

void CColorEditView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!m_textEnabled || event->button() != Qt::LeftButton || IsInGutter(point))
    {
        CView::mouseDoubleClickEvent(event);
        return;
    }
    int line = 0;
    int column = 0;
    PointToPosition(point, line, column);
    SelectWordAt(line, column);
    event->accept();
}

void CColorEditView::UpdateCursorShape(QPoint point)
{
    if (!m_textEnabled || !ClientRect().contains(point))
    {
        unsetCursor();
        return;
    }
    setCursor(IsInGutter(point) ? Qt::ArrowCursor : Qt::IBeamCursor);
}

void CColorEditView::wheelEvent(QWheelEvent* event)
{
    if (!m_textEnabled)
    {
        CView::wheelEvent(event);
        return;
    }
    const QPoint angle = event->angleDelta();
    const double notches = (angle.y() != 0 ? angle.y() : angle.x()) / 120.0;
    if (event->modifiers() & Qt::ShiftModifier)
        m_scheme->m_firstColumn += static_cast<int>(std::trunc(notches * -4));
    else
        m_scheme->m_topLine += static_cast<int>(std::trunc(notches * -3));
    m_scheme->m_firstColumn = std::max(m_scheme->m_firstColumn, 0);
    ClampScroll();
    event->accept();
    if (!m_dragging)
    {
        UpdateScrollBars();
        RedrawAll();
        return;
    }
    DragTo(event->position().toPoint(), event->modifiers());
}
