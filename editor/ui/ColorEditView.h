#pragma once
// CColorEditView: the program's one text view. It shows a text buffer
// (editor/EditTextBuffer.h) in the colours of a colour scheme and the runs
// of an attached colouriser, with an optional line-number gutter, and lets
// the user move a caret, select with keys and mouse, type, delete, copy,
// cut, paste, undo, redo, change case and search. It can follow a growing
// transfer log, and it prints (ColorEditViewPrint.cpp).
//
// Positions are (line, display column) pairs: tabs are expanded to the
// buffer's tab stops, and every edit converts to character indexes through
// CEditLine and back.
//
// Painting: the buffer paints the visible lines into a display list with the
// scheme's view state, which this view writes first; the view plays the
// list on its painter. Edits repaint only the lines they touched unless the
// line count changed or the view scrolled. Colouring after an edit is
// deferred by a delay that grows with the line count (ScheduleColoring), so
// typing stays quick in a large text; until it runs the old colours show.
//
// Keys: the view claims a key (ahead of the frame's accelerators) exactly
// when its key table would act on it in the current state (KeyCommand), so
// Ctrl+C with nothing selected still reaches the frame's Copy command.
//
// UI thread only. The one cross-thread entry is the followed log's change
// notification, which only posts WM_EDIT_DEFERRED to the view; the view
// reads the log when that message arrives.

#include "platform/ui/PrintLoop.h"
#include "platform/ui/View.h"

#include "editor/EditSelection.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CEditColorScheme;
class CEditColorizer;
class CEditDisplayList;
class CEditLine;
class CEditTextBuffer;
class CPaletteSystemColors;
class CQtFontMeasurer;
class ITransferLog;
class QFont;
class QScrollBar;

class CColorEditView : public CView, public IPrintable
{
    Q_OBJECT

public:
    explicit CColorEditView(QWidget* parent = nullptr);
    ~CColorEditView() override;

    // ---- Set-up and content ---------------------------------------------
    // An owned buffer is deleted when another is attached and with the view.
    // The buffer gets the view's colouriser (the buffer does not own it).
    void AttachBuffer(CEditTextBuffer* buffer, bool owned);
    CEditTextBuffer* GetBuffer() const { return m_buffer; }
    void SetColorizer(CEditColorizer* colorizer, bool owned, bool redraw);
    CEditColorizer* GetColorizer() const { return m_colorizer; }
    // Replace the whole text (selection and desired column to 0) or append
    // at its end. The left column becomes 0; the top line 0 for scrollTo 0,
    // scrollTo when positive, the end for a negative scrollTo while the view
    // follows the end, else unchanged. Nothing without a buffer.
    void SetText(std::string_view text, bool redraw, int scrollTo);
    void AppendText(std::string_view text, bool redraw, int scrollTo);
    // While disabled the view paints only its background, hides its scroll
    // bars and caret and takes no input.
    void EnableTextArea(bool enabled, bool redraw);
    bool IsTextAreaEnabled() const { return m_textEnabled; }
    // Forbids editing; returns the previous value.
    bool SetLocked(bool locked);
    bool IsLocked() const { return m_locked; }
    // Not locked, text area enabled and a buffer attached.
    bool IsEditable() const;
    void ShowLineNumbers(bool show, bool redraw);
    // Keeps the same characters selected.
    void SetTabSize(int size, bool redraw);
    void SetFontSize(int pointTenths, bool redraw);
    void EnableUndo(bool on);
    void ClearUndo();
    void SetSavePoint();
    bool IsModified() const;
    // Suppresses (false) or allows (true) repainting; nests. Allowing it
    // after a suppressed period updates the scroll bars and repaints all.
    void SetRedraw(bool redraw);
    bool IsRedrawLocked() const { return m_redrawLock < 0; }

    // ---- Positions --------------------------------------------------------
    // Positions from outside are clamped to the text.
    const CEditSelection& GetSelection() const;
    void SetSelection(int anchorLine, int anchorColumn, int caretLine, int caretColumn, bool lock);
    void GetScrollPosition(int& topLine, int& leftColumn) const;
    void SetScrollPosition(int topLine, int leftColumn);
    void GetCaret(int& line, int& column) const;
    // Byte offsets over the whole text (line ends counted); false for an
    // empty selection or no buffer.
    bool GetSelectedText(int64_t& startOffset, int64_t& endOffset, std::string* text) const;
    void SelectOffsets(int64_t start, int64_t end, bool lock);
    // The word around a position as display columns; false when none.
    bool GetWordBounds(int line, int column, int& start, int& end) const;
    void SelectWordAt(int line, int column);
    // Searches from the selection and selects the match.
    bool FindNext(std::string_view text, bool matchCase);

    // ---- Following a log --------------------------------------------------
    // Follows the log (null: none, and the text is cleared). The view takes
    // a reference and shows the log's text as it grows.
    void AttachSource(ITransferLog* source);
    ITransferLog* GetAttached() const { return m_source; }

    // Called after every edit, undo and redo: the document's modified flag
    // follows the buffer.
    virtual void OnModifiedChanged();

    // ---- Editing ----------------------------------------------------------
    void InsertText(std::string_view text);
    void DeleteCharLeft();
    void DeleteCharRight();
    void DeleteWordLeft();
    void DeleteWordRight();
    // 0 upper case, 1 lower case, 2 each letter's case swapped; the same
    // characters stay selected.
    void ChangeCase(int mode);
    void Copy();
    // Deletes the selection only when the clipboard took its text.
    void Cut();
    void Paste();
    void SelectAll();
    void Undo();
    void Redo();
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste() const;
    bool CanSelectAll() const;
    bool CanUndo() const;
    bool CanRedo() const;

    // ---- Caret ------------------------------------------------------------
    void MoveCaret(int deltaLines, int deltaColumns, bool collapse);
    void MoveCaretByWord(int direction, bool collapse);
    void MoveCaretTo(int line, int column, bool collapse);

    // ---- Geometry ---------------------------------------------------------
    // Gutter width in characters for a line count (line numbers shown).
    static int GutterWidthFor(int lineCount);
    int GetGutterWidth() const;
    int GetVisibleRows() const { return m_visibleRows; }
    int GetVisibleColumns() const { return m_visibleColumns; }
    int GetCharWidth() const;
    int GetLineHeight() const;
    bool IsFollowingEnd() const { return m_followEnd; }
    // False while a deferred colouring waits.
    bool IsColored() const { return m_colored; }
    // The text area without the scroll bars.
    QRect ClientRect() const;
    QScrollBar* VerticalBar() const { return m_vertical; }
    QScrollBar* HorizontalBar() const { return m_horizontal; }
    CEditColorScheme& GetScheme() const { return *m_scheme; }

    // ---- Printing ---------------------------------------------------------
    // Device pixels, measured by OnBeginPrinting.
    struct CPrintLayout
    {
        int m_lineHeight = 16;
        int m_charWidth = 8;
        int m_topMargin = 0;
        int m_headerGap = 0;
        int m_bottomMargin = 0;
        int m_leftMargin = 0;
        int m_rightMargin = 0;
        int m_linesPerPage = 1;
        int m_charsPerLine = 0;
    };
    const CPrintLayout& GetPrintLayout() const { return m_printLayout; }
    // The title in the page header: the document's, else the frame's.
    std::string GetPrintTitle() const;
    bool OnPreparePrinting(CPrintInfo& info) override;
    void OnBeginPrinting(QPainter& painter, CPrintInfo& info) override;
    void OnPrint(QPainter& painter, CPrintInfo& info) override;
    void OnEndPrinting(QPainter& painter, CPrintInfo& info) override;
    // The three print commands: with the print dialog, straight to the
    // default printer, and the preview; each runs through the modal driver.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

protected:
    // Replaces the colour scheme (a subclass's variant); the view state is
    // carried over.
    void SetScheme(std::unique_ptr<CEditColorScheme> scheme);

    void OnInitialUpdate() override;
    bool ClaimsKey(const QKeyEvent& key) const override;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What a key does in the current state; empty when the view leaves it
    // to the frame (ColorEditViewKeys.cpp).
    std::function<void()> KeyCommand(const QKeyEvent& key) const;
    // Whether typed text would be inserted.
    bool TakesText(const QKeyEvent& key) const;
    void RegisterCommands();

    // Geometry and scrolling.
    void ScrollAfterTextChange(int scrollTo, bool redraw);
    void RecalcVisible();
    void UpdateScrollBars();
    void ClampScroll();
    void RecomputeFollowEnd();
    void OnScrollBarAction(bool vertical, int action);
    void OnScrollBarValue(bool vertical, int value);
    void ScrollLines(int lines);
    // The (line, column) under a pixel point, clamped to the text.
    void PointToPosition(QPoint point, int& line, int& column) const;
    bool IsInGutter(QPoint point) const;
    void ClampPosition(int& line, int& column) const;

    // Caret and selection.
    void PlaceCaret(int line, int column, bool collapse, bool update, bool ensureVisible);
    // Lines to repaint at the next placement that updates.
    void SetDirtyRange(int firstLine, int lastLine);
    void MarkAllDirty() { m_dirtyAll = true; }
    void UpdateCaret();
    QRect CaretRect() const;

    // Editing.
    // Replaces the range anchor..caret by nothing and places the caret.
    void DeleteSelectionRange();
    void AfterUndoRedo();

    // Painting.
    void RedrawLines(int firstLine, int lastLine);
    void RedrawAll();
    void WriteViewState();

    // Deferred colouring and the followed log (ColorEditViewSource.cpp).
    void ScheduleColoring();
    void ColorNow();
    void OnColoringTick(bool immediate);
    void RemoveColoringPost();
    void RefreshFromSource();
    void DetachSource();

    // Mouse drags.
    void DragTo(QPoint point, Qt::KeyboardModifiers modifiers);
    void EndDrag();
    void UpdateCursorShape(QPoint point);

    CEditTextBuffer* m_buffer = nullptr;
    bool m_ownsBuffer = false;
    CEditColorizer* m_colorizer = nullptr;
    bool m_ownsColorizer = false;
    std::unique_ptr<CPaletteSystemColors> m_systemColors;
    std::unique_ptr<CQtFontMeasurer> m_measurer;
    std::unique_ptr<CEditColorScheme> m_scheme;
    std::unique_ptr<CEditDisplayList> m_displayList;
    QScrollBar* m_vertical;
    QScrollBar* m_horizontal;

    int m_visibleRows = 0;
    int m_visibleColumns = 0;
    int m_desiredColumn = 0;
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
    bool m_dirtyAll = false;

    bool m_lineNumbers = true;
    bool m_locked = false;
    bool m_textEnabled = false;
    int m_redrawLock = 0;
    bool m_followEnd = false;
    bool m_inScrollBarUpdate = false;
    int m_sizeEvents = 0;

    // Mouse.
    bool m_dragging = false;
    bool m_dragInGutter = false;
    QPoint m_pressPoint;
    int m_pressLine = 0;
    int m_pressColumn = 0;
    int m_dragOriginLine = 0;

    // Deferred colouring.
    bool m_colored = true;
    int m_coloringEntered = 0;
    std::chrono::steady_clock::time_point m_coloringStart;
    int m_coloringDelay = 0;
    int m_coloringPost = 0;

    // The followed log: its reference, last change count, identity and the
    // bytes already shown.
    ITransferLog* m_source = nullptr;
    uint32_t m_sourceStamp = 0;
    int64_t m_sourceIdentity = -1;
    // A CR that ends the bytes read so far is not counted as taken: the
    // next read shows whether an LF follows it.
    size_t m_sourceTaken = 0;

    // Made by OnPreparePrinting, freed by OnEndPrinting.
    std::unique_ptr<QFont> m_printFont;
    CPrintLayout m_printLayout;
};
