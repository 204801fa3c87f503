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

CPostedMessageEvent::CPostedMessageEvent(const WindowMessage& message)
    : QEvent(EventType()), m_message(message)
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
    QCoreApplication::postEvent(this, new CPostedMessageEvent({window, message, wParam, lParam}));
}

bool CWidgetWindow::event(QEvent* event)
{
    if (event->type() != CPostedMessageEvent::EventType())
        return QObject::event(event);
    CPostedMessageEvent forwarded(static_cast<CPostedMessageEvent*>(event)->Message());
    QCoreApplication::sendEvent(m_widget, &forwarded);
    return true;
}
