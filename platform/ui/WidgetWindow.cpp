#include "platform/ui/WidgetWindow.h"

#include <QCoreApplication>
#include <QWidget>

#include <unordered_map>

namespace
{
// Handles made by Attach and their widgets; touched on the UI thread only.
// Never destroyed: widgets may outlive the static objects at exit.
std::unordered_map<WindowHandle, QWidget*>& Widgets()
{
    static auto* widgets = new std::unordered_map<WindowHandle, QWidget*>;
    return *widgets;
}
} // namespace

CPostedMessageEvent::CPostedMessageEvent(const WindowMessage& message, uint64_t sequence)
    : QEvent(EventType()), m_message(message), m_sequence(sequence)
{
}

QEvent::Type CPostedMessageEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CWidgetWindow::CWidgetWindow(QWidget* widget) : QObject(widget), m_widget(widget)
{
    m_handle = RegisterWindow(this);
    Widgets()[m_handle] = widget;
}

CWidgetWindow::~CWidgetWindow()
{
    Widgets().erase(m_handle);
    // Waits for posts in progress on other threads; once it returns nobody
    // posts to this object again, and Qt drops what is still queued for it.
    UnregisterWindow(m_handle);
}

WindowHandle CWidgetWindow::Attach(QWidget* widget)
{
    if (!widget)
        return nullptr;
    if (WindowHandle existing = HandleOf(widget))
        return existing;
    return (new CWidgetWindow(widget))->Handle();
}

WindowHandle CWidgetWindow::HandleOf(const QWidget* widget)
{
    if (!widget)
        return nullptr;
    const auto* adapter = widget->findChild<CWidgetWindow*>(QString(), Qt::FindDirectChildrenOnly);
    return adapter ? adapter->Handle() : nullptr;
}

QWidget* CWidgetWindow::FindWidget(WindowHandle window)
{
    if (!window)
        return nullptr;
    auto found = Widgets().find(window);
    return found == Widgets().end() ? nullptr : found->second;
}

void CWidgetWindow::DeliverPostedMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    // Posted to this adapter, not to the widget: the adapter outlives every
    // delivery (its destructor waits for them), the widget may be mid-way
    // through its destruction.
    std::lock_guard<std::mutex> lock(m_pendingLock);
    ++m_pending[message];
    QCoreApplication::postEvent(this, new CPostedMessageEvent({window, message, wParam, lParam}, ++m_sequence));
}

size_t CWidgetWindow::RemovePendingMessages(WindowHandle window, uint32_t message)
{
    QWidget* widget = FindWidget(window);
    if (!widget)
        return 0;
    auto* adapter = widget->findChild<CWidgetWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!adapter)
        return 0;
    std::lock_guard<std::mutex> lock(adapter->m_pendingLock);
    size_t& pending = adapter->m_pending[message];
    const size_t drained = pending;
    pending = 0;
    adapter->m_drainedBelow[message] = adapter->m_sequence + 1;
    return drained;
}

bool CWidgetWindow::event(QEvent* event)
{
    if (event->type() != CPostedMessageEvent::EventType())
        return QObject::event(event);
    const auto* posted = static_cast<CPostedMessageEvent*>(event);
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        const uint32_t message = posted->Message().m_message;
        auto drained = m_drainedBelow.find(message);
        if (drained != m_drainedBelow.end() && posted->Sequence() < drained->second)
            return true;
        --m_pending[message];
    }
    CPostedMessageEvent forwarded(posted->Message(), posted->Sequence());
    QCoreApplication::sendEvent(m_widget, &forwarded);
    return true;
}
