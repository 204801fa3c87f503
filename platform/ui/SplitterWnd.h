#pragma once
// A static splitter: one row of columns or one column of rows, each pane a
// widget, with an ideal and a minimum size per row or column. The sizes are
// applied by RecalcLayout and read back as the user dragged them.

#include <QSplitter>

#include <vector>

class CSplitterWnd : public QSplitter
{
    Q_OBJECT

public:
    // rows or cols must be 1.
    CSplitterWnd(int rows, int cols, QWidget* parent = nullptr);

    int GetRowCount() const { return m_rows; }
    int GetColumnCount() const { return m_cols; }

    // Puts a widget into a pane (replacing what was there); null for a pane
    // outside the grid.
    void SetPane(int row, int col, QWidget* pane);
    QWidget* GetPane(int row, int col) const;

    void SetRowInfo(int row, int ideal, int minimum) { SetInfo(row, ideal, minimum); }
    void SetColumnInfo(int col, int ideal, int minimum) { SetInfo(col, ideal, minimum); }
    // The current size (as shown, or the ideal size before the splitter is
    // laid out) and the minimum.
    void GetRowInfo(int row, int& current, int& minimum) const { GetInfo(row, current, minimum); }
    void GetColumnInfo(int col, int& current, int& minimum) const { GetInfo(col, current, minimum); }

    // Applies the ideal sizes.
    void RecalcLayout();

private:
    int Index(int row, int col) const;
    void SetInfo(int index, int ideal, int minimum);
    void GetInfo(int index, int& current, int& minimum) const;

    int m_rows;
    int m_cols;
    std::vector<int> m_ideal;
    std::vector<int> m_minimum;
};
