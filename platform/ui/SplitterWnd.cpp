#include "platform/ui/SplitterWnd.h"

#include <QWidget>

CSplitterWnd::CSplitterWnd(int rows, int cols, QWidget* parent)
    : QSplitter(rows > 1 ? Qt::Vertical : Qt::Horizontal, parent),
      m_rows(std::max(rows, 1)),
      m_cols(std::max(cols, 1)),
      m_ideal(static_cast<size_t>(std::max(m_rows, m_cols)), 0),
      m_minimum(m_ideal.size(), 0)
{
    setChildrenCollapsible(false);
    for (size_t pane = 0; pane < m_ideal.size(); ++pane)
        addWidget(new QWidget);
}

int CSplitterWnd::Index(int row, int col) const
{
    if (row < 0 || col < 0 || row >= m_rows || col >= m_cols)
        return -1;
    return m_rows > 1 ? row : col;
}

void CSplitterWnd::SetPane(int row, int col, QWidget* pane)
{
    const int index = Index(row, col);
    if (index < 0 || !pane)
        return;
    QWidget* old = replaceWidget(index, pane);
    if (old && old != pane)
        old->deleteLater();
    if (m_minimum[static_cast<size_t>(index)] > 0)
        pane->setMinimumSize(m_rows > 1 ? QSize(0, m_minimum[static_cast<size_t>(index)])
                                        : QSize(m_minimum[static_cast<size_t>(index)], 0));
}

QWidget* CSplitterWnd::GetPane(int row, int col) const
{
    const int index = Index(row, col);
    return index < 0 ? nullptr : widget(index);
}

void CSplitterWnd::SetInfo(int index, int ideal, int minimum)
{
    if (index < 0 || static_cast<size_t>(index) >= m_ideal.size())
        return;
    m_ideal[static_cast<size_t>(index)] = ideal;
    m_minimum[static_cast<size_t>(index)] = minimum;
    if (QWidget* pane = widget(index))
        pane->setMinimumSize(m_rows > 1 ? QSize(0, minimum) : QSize(minimum, 0));
}

void CSplitterWnd::GetInfo(int index, int& current, int& minimum) const
{
    current = 0;
    minimum = 0;
    if (index < 0 || static_cast<size_t>(index) >= m_ideal.size())
        return;
    const QList<int> shown = sizes();
    const bool laidOut = index < shown.size() && (orientation() == Qt::Horizontal ? width() : height()) > 0 &&
                         isVisible();
    current = laidOut ? shown[index] : m_ideal[static_cast<size_t>(index)];
    minimum = m_minimum[static_cast<size_t>(index)];
}

void CSplitterWnd::RecalcLayout()
{
    QList<int> wanted;
    for (int ideal : m_ideal)
        wanted.append(std::max(ideal, 0));
    setSizes(wanted);
}
