#include "widgets/ListColumns.h"

#include "foundation/properties/PropertySet.h"
#include "platform/core/Text.h"

#include <QAbstractItemView>
#include <QHeaderView>

#include <algorithm>
#include <cmath>

namespace
{
// Widths read back from a setting are kept to this, so that a damaged
// setting cannot make a column wider than any screen.
constexpr int kMaxStoredColumnWidth = 1000;
} // namespace

std::string IntToString(int value)
{
    return Format("%d", value);
}

std::string FormatListColumns(const std::vector<int>& widths)
{
    std::string text;
    for (int width : widths)
        text += IntToString(width) + ":";
    return text;
}

int ApplyListColumnsText(std::string_view text, std::vector<int>& widths)
{
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return 0;
    size_t column = 0;
    int64_t number = 0;
    auto apply = [&]() {
        widths[column++] = static_cast<int>(std::clamp<int64_t>(number, 0, kMaxStoredColumnWidth));
        number = 0;
    };
    for (size_t i = 0; i < trimmed.size(); ++i)
    {
        const char c = trimmed[i];
        if (IsAsciiDigit(c))
        {
            // Anything past the clamp reads the same; stop growing there.
            number = std::min<int64_t>(number * 10 + (c - '0'), int64_t(kMaxStoredColumnWidth) + 1);
        }
        else if (c == ':')
        {
            if (column >= widths.size())
                return 1;
            apply();
            if (i + 1 == trimmed.size())
                return 1;
        }
        else
        {
            return 0;
        }
    }
    if (column < widths.size())
        apply();
    return 1;
}

int AutoColumnWidth(int clientWidth, const std::vector<int>& widths, int column, int minimum)
{
    int rest = clientWidth;
    for (size_t i = 0; i < widths.size(); ++i)
        if (int(i) != column)
            rest -= widths[i];
    return rest > 0 && rest >= minimum ? rest : minimum;
}

std::vector<int> ProportionalColumnWidths(int total, const std::vector<double>& proportions)
{
    std::vector<int> widths;
    int others = 0;
    for (size_t i = 0; i < proportions.size(); ++i)
    {
        widths.push_back(static_cast<int>(std::trunc(total * proportions[i])));
        if (i + 1 < proportions.size())
            others += widths.back();
    }
    if (!widths.empty() && others < total - 10)
        widths.back() = total - others;
    return widths;
}

std::vector<int> GetColumnWidths(const QHeaderView* header)
{
    std::vector<int> widths;
    for (int i = 0; i < header->count(); ++i)
        widths.push_back(header->sectionSize(i));
    return widths;
}

void SaveListColumns(IPropertySet& settings, const QHeaderView* header, int settingId)
{
    settings.SetString(settingId, FormatListColumns(GetColumnWidths(header)).c_str());
}

int RestoreListColumns(IPropertySet& settings, QHeaderView* header, int settingId)
{
    std::string text;
    settings.GetString(settingId, text);
    std::vector<int> widths = GetColumnWidths(header);
    const std::vector<int> before = widths;
    const int result = ApplyListColumnsText(text, widths);
    for (size_t i = 0; i < widths.size(); ++i)
        if (widths[i] != before[i])
            header->resizeSection(int(i), widths[i]);
    return result;
}

void AutoSizeListColumn(QHeaderView* header, int column, int minimum)
{
    if (column < 0 || column >= header->count())
        return;
    const int width = AutoColumnWidth(header->width(), GetColumnWidths(header), column, minimum);
    if (width >= 0)
    {
        header->resizeSection(column, width);
        return;
    }
    int content = header->sectionSizeHint(column);
    if (const auto* view = qobject_cast<const QAbstractItemView*>(header->parentWidget()))
        content = std::max(content, view->sizeHintForColumn(column));
    header->resizeSection(column, content);
}

void AutoSizeListColumnDefault(QHeaderView* header, int column)
{
    AutoSizeListColumn(header, column, -1);
}

void AutoSizeListColumns(QHeaderView* header, const std::vector<double>& proportions, int total)
{
    if (total < 0)
        total = header->width();
    const std::vector<int> widths = ProportionalColumnWidths(total, proportions);
    for (size_t i = 0; i < widths.size() && int(i) < header->count(); ++i)
        header->resizeSection(int(i), widths[i]);
}
