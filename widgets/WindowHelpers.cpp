#include "widgets/WindowHelpers.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{
// The property in which the window layer's dialogs keep a control's id.
const char* const kControlIdProperty = "twControlId";

// The dialog's tab stops in focus-chain (tab) order.
std::vector<QWidget*> TabStops(QWidget* dialog)
{
    std::vector<QWidget*> stops;
    for (QWidget* w = dialog->nextInFocusChain(); w && w != dialog; w = w->nextInFocusChain())
    {
        if (!dialog->isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(dialog))
            stops.push_back(w);
        if (stops.size() > 10000) // a broken chain must not loop for ever
            break;
    }
    return stops;
}

QString WithoutMnemonicDots(std::string_view text)
{
    QString result = QString::fromUtf8(text.data(), qsizetype(text.size()));
    result.remove(QLatin1Char('.'));
    result.remove(QLatin1Char('&'));
    return result;
}
} // namespace

void MoveWindowBy(QWidget* window, int deltaLeft, int deltaTop, int deltaRight, int deltaBottom, bool redraw)
{
    if (!window)
        return;
    const QRect r = window->geometry();
    const int left = r.left() + deltaLeft;
    const int top = r.top() + deltaTop;
    const int right = r.left() + r.width() + deltaRight;
    const int bottom = r.top() + r.height() + deltaBottom;
    window->setGeometry(left, top, std::max(0, right - left), std::max(0, bottom - top));
    if (redraw)
        window->repaint();
}

void MoveDlgItemBy(QWidget* dialog, int controlId, int deltaLeft, int deltaTop, int deltaRight, int deltaBottom,
                   bool redraw)
{
    if (!dialog)
        return;
    for (QWidget* control : dialog->findChildren<QWidget*>())
        if (control->property(kControlIdProperty).toInt() == controlId)
        {
            MoveWindowBy(control, deltaLeft, deltaTop, deltaRight, deltaBottom, redraw);
            return;
        }
}

void ResizeWindowToClient(QWidget* window, int clientWidth, int clientHeight)
{
    if (!window)
        return;
    const QSize frame = window->size() - window->contentsRect().size();
    window->resize(frame + QSize(clientWidth, clientHeight));
}

bool FocusNextDlgItem(QWidget* dialog, bool backwards)
{
    if (!dialog)
        return false;
    const std::vector<QWidget*> stops = TabStops(dialog);
    if (stops.empty())
        return false;
    const auto current = std::find(stops.begin(), stops.end(), dialog->focusWidget());
    QWidget* next = nullptr;
    if (current == stops.end())
    {
        next = backwards ? stops.back() : stops.front();
    }
    else
    {
        const size_t index = size_t(current - stops.begin());
        next = backwards ? stops[(index + stops.size() - 1) % stops.size()] : stops[(index + 1) % stops.size()];
    }
    next->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

bool FocusFirstDlgItem(QWidget* dialog, bool last)
{
    if (!dialog)
        return false;
    const std::vector<QWidget*> stops = TabStops(dialog);
    if (stops.empty())
        return false;
    (last ? stops.back() : stops.front())->setFocus(last ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

bool ScrollCodePosition(int code, int thumb, int position, int minimum, int maximum, int lineStep,
                        int pageStep, bool ignoreFinal, int& newPosition)
{
    int64_t target = position;
    switch (code)
    {
    case kScrollLineUp: target = int64_t(position) - lineStep; break;
    case kScrollLineDown: target = int64_t(position) + lineStep; break;
    case kScrollPageUp: target = int64_t(position) - pageStep; break;
    case kScrollPageDown: target = int64_t(position) + pageStep; break;
    case kScrollThumbPosition:
        if (ignoreFinal)
            return false;
        target = thumb;
        break;
    case kScrollThumbTrack: target = thumb; break;
    case kScrollTop: target = minimum; break;
    case kScrollBottom: target = maximum; break;
    default: return false;
    }
    newPosition = static_cast<int>(std::clamp<int64_t>(target, minimum, std::max(minimum, maximum)));
    return true;
}

int HandleScrollCode(int code, int thumb, QScrollBar* bar, int lineStep, int pageStep, bool ignoreFinal)
{
    if (!bar)
        return 0;
    int position = 0;
    if (!ScrollCodePosition(code, thumb, bar->value(), bar->minimum(), bar->maximum(), lineStep, pageStep,
                            ignoreFinal, position))
        return 0;
    bar->setValue(position);
    return 1;
}

bool MenuTextsMatch(std::string_view a, std::string_view b)
{
    return WithoutMnemonicDots(a).compare(WithoutMnemonicDots(b), Qt::CaseInsensitive) == 0;
}

QMenu* FindMenuItemByText(QWidget* menu, std::string_view text)
{
    if (!menu)
        return nullptr;
    for (QAction* action : menu->actions())
        if (MenuTextsMatch(action->text().toStdString(), text))
            return action->menu();
    return nullptr;
}
