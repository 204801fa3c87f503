#pragma once
// Ends the event loop in order when the process is asked to stop (SIGTERM,
// as at the end of a desktop session, or SIGINT from a terminal), so that
// the shutdown still saves the settings and stores and tells the other
// running copies. The signal handler only writes a byte to a pipe; the UI
// thread reads it and quits the application's event loop.
//
// One object, made on the UI thread while the event loop runs; the old
// handlers come back when it goes.

#include <QObject>

#include <csignal>

class QSocketNotifier;

class CQuitOnSignal : public QObject
{
    Q_OBJECT

public:
    CQuitOnSignal();
    ~CQuitOnSignal() override;

private:
    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_oldTerm{};
    struct sigaction m_oldInt{};
};
