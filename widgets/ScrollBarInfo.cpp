#include "widgets/ScrollBarInfo.h"

#include "widgets/WindowHelpers.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

int ScrollCodeOfAction(int action)
{
    switch (action)
    {
    case QAbstractSlider::SliderSingleStepSub: return kScrollLineUp;
    case QAbstractSlider::SliderSingleStepAdd: return kScrollLineDown;
    case QAbstractSlider::SliderPageStepSub: return kScrollPageUp;
    case QAbstractSlider::SliderPageStepAdd: return kScrollPageDown;
    case QAbstractSlider::SliderToMinimum: return kScrollTop;
    case QAbstractSlider::SliderToMaximum: return kScrollBottom;
    case QAbstractSlider::SliderMove: return kScrollThumbTrack;
    default: return -1;
    }
}

void SetScrollBarInfo(QScrollBar* bar, int maximum, int page, int position)
{
    if (!bar)
        return;
    const QSignalBlocker blocker(bar);
    page = std::max(page, 1);
    // Qt's maximum is the last position, the designed one the last unit.
    bar->setRange(0, std::max(0, maximum - page + 1));
    bar->setPageStep(page);
    bar->setValue(position);
}

void SteerScrollAction(QScrollBar* bar, int action, int lineStep, int pageStep, bool ignoreFinal)
{
    int position = bar->value();
    if (!ScrollCodePosition(ScrollCodeOfAction(action), bar->sliderPosition(), bar->value(), bar->minimum(),
                            bar->maximum(), lineStep, pageStep, ignoreFinal, position))
        position = bar->value();
    bar->setSliderPosition(position);
}
