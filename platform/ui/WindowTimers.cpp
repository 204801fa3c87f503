#include "platform/ui/WindowTimers.h"

#include <QTimerEvent>

CWindowTimers::CWindowTimers(QObject* owner, Handler handler) : QObject(owner), m_handler(std::move(handler))
{
}

UINT_PTR CWindowTimers::SetTimer(UINT_PTR id, UINT periodMs)
{
    if (id == 0)
        return 0;
    KillTimer(id);
    const int timer = startTimer(static_cast<int>(std::min<UINT>(periodMs, INT32_MAX)));
    if (timer == 0)
        return 0;
    m_timers[id] = timer;
    return id;
}

bool CWindowTimers::KillTimer(UINT_PTR id)
{
    auto found = m_timers.find(id);
    if (found == m_timers.end())
        return false;
    killTimer(found->second);
    m_timers.erase(found);
    return true;
}

void CWindowTimers::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, timer] : m_timers)
    {
        if (timer == event->timerId())
        {
            const UINT_PTR ticked = id; // the handler may kill or restart it
            m_handler(ticked);
            return;
        }
    }
}
