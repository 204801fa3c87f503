#pragma once
// Timers by id for a window: SetTimer starts (or restarts, with the new
// period) the timer of that id, KillTimer stops it, and every period the
// handler is called with the id on the UI thread. The timers end with the
// window they belong to.

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>

using UINT = unsigned int;
using UINT_PTR = std::uintptr_t;

class CWindowTimers : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(UINT_PTR id)>;

    // A child of owner; handler runs for every tick.
    CWindowTimers(QObject* owner, Handler handler);

    // The id; 0 when id is 0 or the timer could not be started.
    UINT_PTR SetTimer(UINT_PTR id, UINT periodMs);
    // False when no timer of that id runs.
    bool KillTimer(UINT_PTR id);
    bool IsRunning(UINT_PTR id) const { return m_timers.count(id) != 0; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    Handler m_handler;
    std::map<UINT_PTR, int> m_timers; // our id -> Qt's timer id
};
