#pragma once
// A list's column widths kept in a setting as the list-column text: each
// width in column order followed by ':' ("200:120:36:"), and the column
// sizing rules the lists share. The Qt side works on the list's header
// (QHeaderView), which every list and tree view of the window layer has;
// columns are the header's logical sections. UI thread.

#include <string>
#include <string_view>
#include <vector>

class IPropertySet;
class QHeaderView;

// "%d".
std::string IntToString(int value);

// Every width followed by ':'.
std::string FormatListColumns(const std::vector<int>& widths);

// Applies a list-column text to widths (one entry per existing column; only
// the columns the text names change). Blanks at both ends are ignored; an
// empty text gives 0. Digits build a number; each ':' gives it, clamped to
// 0..1000, to the next column, and a ':' at the end of the text or for a
// column that does not exist ends the reading with 1; the end of the text
// gives the last number the same way and 1; any other character ends it
// with 0, dropping the number being read.
int ApplyListColumnsText(std::string_view text, std::vector<int>& widths);

// The width AutoSizeListColumn gives a column: the client width less the
// other columns' widths when that rest is positive and at least the minimum,
// else the minimum (-1 meaning "size to the content").
int AutoColumnWidth(int clientWidth, const std::vector<int>& widths, int column, int minimum);

// The widths AutoSizeListColumns gives: column i gets trunc(total *
// proportion i); the last column gets total minus the others when their sum
// is below total - 10, else its own share.
std::vector<int> ProportionalColumnWidths(int total, const std::vector<double>& proportions);

std::vector<int> GetColumnWidths(const QHeaderView* header);
void SaveListColumns(IPropertySet& settings, const QHeaderView* header, int settingId);
// The result of ApplyListColumnsText over the header's columns.
int RestoreListColumns(IPropertySet& settings, QHeaderView* header, int settingId);

// Gives the column the rest of the header's width (AutoColumnWidth); with a
// minimum of -1 and no room, the column is sized to its content. The client
// width is the header's, which spans the list's viewport, so a shown
// vertical scroll bar is already left out.
void AutoSizeListColumn(QHeaderView* header, int column, int minimum);
void AutoSizeListColumnDefault(QHeaderView* header, int column);
// Sizes the first proportions.size() columns by ProportionalColumnWidths; a
// negative total means the header's width.
void AutoSizeListColumns(QHeaderView* header, const std::vector<double>& proportions, int total = -1);
