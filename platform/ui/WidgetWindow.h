#pragma once
// Window handles for Qt widgets. A widget gets a handle (WindowHandle.h) by
// Attach; posts to the handle, from any thread, arrive on the UI thread as a
// CPostedMessageEvent sent to the widget, so the widget handles them in its
// event() and an event filter on the application sees every one of them
// first (where the program hands its broadcast message to
// OnInstanceBroadcast). The handle lives as long as the widget: when the
// widget goes, the handle is closed and later posts to it are dropped.

#include "platform/core/WindowHandle.h"
#include "platform/core/WindowMessage.h"

#include <QEvent>
#include <QObject>

#include <mutex>
#include <unordered_map>

class QWidget;

class CPostedMessageEvent : public QEvent
{
public:
    explicit CPostedMessageEvent(const WindowMessage& message, uint64_t sequence = 0);

    // The event type, registered with Qt on first use.
    static QEvent::Type EventType();

    const WindowMessage& Message() const { return m_message; }
    uint64_t Sequence() const { return m_sequence; }

private:
    WindowMessage m_message;
    uint64_t m_sequence;
};

// The adapter between a widget and its handle: a child object of the widget.
class CWidgetWindow : public QObject, public IWindowTarget
{
    Q_OBJECT

public:
    // The widget's handle, attaching an adapter on first use. UI thread; null
    // for a null widget.
    static WindowHandle Attach(QWidget* widget);
    // The handle of a widget that has one; null otherwise. UI thread.
    static WindowHandle HandleOf(const QWidget* widget);
    // The widget of a handle made by Attach; null for any other handle or a
    // closed one. UI thread.
    static QWidget* FindWidget(WindowHandle window);

    // Drops every post of that message to the window that has not been
    // delivered yet; the number dropped. UI thread.
    static size_t RemovePendingMessages(WindowHandle window, uint32_t message);

    ~CWidgetWindow() override;

    WindowHandle Handle() const { return m_handle; }

    // Any thread: queues the message for the UI thread.
    void DeliverPostedMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool event(QEvent* event) override;

private:
    explicit CWidgetWindow(QWidget* widget);

    QWidget* m_widget;
    WindowHandle m_handle = nullptr;

    // Posts not yet delivered, per message, and the sequence number below
    // which posts of a message were drained; posting threads and the UI
    // thread meet here.
    std::mutex m_pendingLock;
    uint64_t m_sequence = 0;
    std::unordered_map<uint32_t, size_t> m_pending;
    std::unordered_map<uint32_t, uint64_t> m_drainedBelow;
};
