#include "widgets/WindowPlacement.h"

#include "foundation/properties/PropertySet.h"
#include "platform/core/Text.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace
{
// Reads up to count integers separated by ':' the way a "%d:%d:..." scan
// does: blanks before a number are skipped, a sign is allowed, and reading
// stops at the first field that is not a number or not preceded by ':'.
// Overflow is clamped instead of undefined.
int ReadColonNumbers(std::string_view text, int* values, int count)
{
    size_t pos = 0;
    int read = 0;
    while (read < count)
    {
        if (read > 0)
        {
            if (pos >= text.size() || text[pos] != ':')
                break;
            ++pos;
        }
        while (pos < text.size() && IsAsciiSpace(text[pos]))
            ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
            negative = text[pos++] == '-';
        if (pos >= text.size() || !IsAsciiDigit(text[pos]))
            break;
        int64_t value = 0;
        while (pos < text.size() && IsAsciiDigit(text[pos]))
        {
            value = std::min<int64_t>(value * 10 + (text[pos] - '0'), int64_t(INT_MAX) + 1);
            ++pos;
        }
        value = negative ? -value : value;
        values[read++] = static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
    }
    return read;
}

// One axis of ParsePlacement: origin and extent put on a screen of that
// extent.
void FitAxis(int& origin, int& extent, int screen)
{
    if (extent <= 0)
        extent = static_cast<int>(int64_t(screen) * 8 / 10);
    else if (extent > screen)
        extent = screen;
    if (origin < 0)
        origin = 0;
    else if (origin > screen - extent)
        origin = screen - extent;
}

QSize ScreenSizeOf(const QWidget* window)
{
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}
} // namespace

std::string FormatPlacement(int left, int top, int right, int bottom, int screenWidth, int screenHeight,
                            int state)
{
    const int width = screenWidth >= 1 && right - left >= 1 ? right - left : 0;
    const int height = screenHeight >= 1 && bottom - top >= 1 ? bottom - top : 0;
    return Format("%d:%d:%d:%d:%d", screenWidth >= 1 ? left : 0, screenHeight >= 1 ? top : 0, width, height,
                  state);
}

CRect ParsePlacement(std::string_view text, int screenWidth, int screenHeight, int& state)
{
    int values[5] = {0, 0, 0, 0, 0};
    ReadColonNumbers(text, values, 5);
    int left = values[0], top = values[1], width = values[2], height = values[3];
    state = values[4];
    FitAxis(left, width, screenWidth);
    FitAxis(top, height, screenHeight);
    CRect rect;
    if (screenWidth > 0)
    {
        rect.left = left;
        rect.right = left + width;
    }
    if (screenHeight > 0)
    {
        rect.top = top;
        rect.bottom = top + height;
    }
    return rect;
}

int IsPlacementMaximized(std::string_view text)
{
    int state = 0;
    ParsePlacement(text, 0, 0, state);
    return state;
}

int ChoosePlacementShowCommand(int showCommand, int state)
{
    if (showCommand == kShowPlacementOnly)
        return kShowHidden;
    if ((showCommand == kShowNormal || showCommand == kShow) && state != 0)
        return state > 0 ? kShowMaximized : kShowMinimized;
    return showCommand;
}

std::string GetWindowPlacementText(const QWidget* window)
{
    const QSize screen = ScreenSizeOf(window);
    const bool maximized = window->isMaximized();
    // The normal rectangle: what the window returns to when restored.
    const QRect normal = window->isMaximized() || window->isMinimized() || window->isFullScreen()
                             ? window->normalGeometry()
                             : window->geometry();
    const CRect r = CRect::FromQRect(normal);
    return FormatPlacement(r.left, r.top, r.right, r.bottom, screen.width(), screen.height(), maximized ? 1 : 0);
}

void SaveWindowPlacement(IPropertySet& settings, const QWidget* window, int settingId)
{
    if (!window)
        return;
    settings.SetString(settingId, GetWindowPlacementText(window).c_str());
}

void ApplyPlacement(std::string_view text, QWidget* window, int showCommand, bool keepSize)
{
    if (!window)
        return;
    const QSize screen = ScreenSizeOf(window);
    int state = 0;
    CRect rect = ParsePlacement(text, screen.width(), screen.height(), state);
    QRect geometry = rect.ToQRect();
    if (keepSize)
        geometry.setSize(window->geometry().size());
    const int command = ChoosePlacementShowCommand(showCommand, state);
    if (window->isMaximized() || window->isMinimized())
        window->setWindowState(Qt::WindowNoState);
    window->setGeometry(geometry);
    switch (command)
    {
    case kShowHidden:
        window->hide();
        return;
    case kShowMinimized:
    case 6: // minimise
    case 7: // minimised, not activated
        window->showMinimized();
        break;
    case kShowMaximized:
        window->showMaximized();
        break;
    case kShowNormal:
    case 9: // restore
        window->showNormal();
        break;
    default:
        window->show();
        break;
    }
    window->repaint();
}

void RestoreWindowPlacement(IPropertySet& settings, QWidget* window, int settingId, int showCommand,
                            bool keepSize)
{
    std::string text;
    settings.GetString(settingId, text);
    ApplyPlacement(text, window, showCommand, keepSize);
}

void PlacementToCreateStruct(std::string_view text, CCreateStruct& cs, int screenWidth, int screenHeight)
{
    int state = 0;
    const CRect rect = ParsePlacement(text, screenWidth, screenHeight, state);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.Width();
    cs.cy = rect.Height();
    cs.style &= ~(CCreateStruct::kStyleMaximize | CCreateStruct::kStyleMinimize);
    if (state > 0)
        cs.style |= CCreateStruct::kStyleMaximize;
    else if (state < 0)
        cs.style |= CCreateStruct::kStyleMinimize;
}

void PlacementToCreateStruct(std::string_view text, CCreateStruct& cs)
{
    const QSize screen = ScreenSizeOf(nullptr);
    PlacementToCreateStruct(text, cs, screen.width(), screen.height());
}
