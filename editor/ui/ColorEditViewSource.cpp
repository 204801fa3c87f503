// Deferred colouring, following a transfer log, and the view's posted
// messages.

#include "editor/ui/ColorEditView.h"

#include "editor/EditTextBuffer.h"

#include "foundation/threads/PeriodicPoster.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "transfer/base/TransferLogInterface.h"

#include <QKeyEvent>

namespace
{
// The colouring delay after an edit, by line count: none for small texts,
// growing to two seconds, so typing into a large text stays quick.
int ColoringDelayFor(int lines)
{
    if (lines < 1000)
        return 0;
    if (lines <= 9999)
        return 100;
    if (lines <= 19999)
        return 200;
    if (lines <= 49999)
        return 500;
    if (lines <= 79999)
        return 800;
    if (lines <= 99999)
        return 1000;
    if (lines < 200000)
        return 1500;
    return 2000;
}

// The log's change notification; runs on whatever thread changed the log,
// under the log's lock, so it only posts.
void PostSourceChanged(void* window)
{
    PostMessage(static_cast<WindowHandle>(window), WM_EDIT_DEFERRED, 0, 0);
}

// A log's identity: its id and how many lines it has dropped from its front.
// Either changing means the bytes already shown are no longer its start.
int64_t SourceIdentity(ITransferLog& log, int dropped)
{
    return (static_cast<int64_t>(static_cast<uint32_t>(log.GetLogId())) << 32) | static_cast<uint32_t>(dropped);
}
}

bool CColorEditView::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_EDIT_DEFERRED)
        {
            // One read takes everything the log has; later posts are moot.
            CWidgetWindow::RemovePendingMessages(message.m_window, WM_EDIT_DEFERRED);
            RefreshFromSource();
            return true;
        }
        if (message.m_message == WM_CONTINUE_FILL)
        {
            OnColoringTick(message.m_wParam == 1);
            return true;
        }
    }
    // Tab would move the focus before the key reaches the view.
    if (event->type() == QEvent::KeyPress)
    {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && KeyCommand(*key))
        {
            keyPressEvent(key);
            return true;
        }
    }
    return CView::event(event);
}

// ---- Deferred colouring ------------------------------------------------------

void CColorEditView::ScheduleColoring()
{
    if (!m_buffer || !m_buffer->GetColorizer() || m_coloringEntered > 0)
        return;
    ++m_coloringEntered;
    const int delay = ColoringDelayFor(m_buffer->GetLineCount());
    // Until the delay runs out, paints show the old colours.
    m_colored = false;
    if (delay >= 10)
    {
        m_coloringStart = std::chrono::steady_clock::now();
        m_coloringDelay = delay;
        if (!m_coloringPost)
            m_coloringPost = AddPeriodicPost(CWidgetWindow::Attach(this), WM_CONTINUE_FILL, 0, 0, 100);
        if (!m_coloringPost)
            ColorNow();
    }
    else if (delay > 0)
    {
        m_coloringDelay = 0;
        if (!PostMessage(CWidgetWindow::Attach(this), WM_CONTINUE_FILL, 1, 0))
            ColorNow();
    }
    else
    {
        ColorNow();
    }
    --m_coloringEntered;
}

void CColorEditView::RemoveColoringPost()
{
    if (m_coloringPost)
        RemovePeriodicPost(std::exchange(m_coloringPost, 0));
}

void CColorEditView::ColorNow()
{
    RemoveColoringPost();
    m_coloringDelay = 0;
    m_colored = true;
    RedrawAll();
}

void CColorEditView::OnColoringTick(bool immediate)
{
    if (immediate)
    {
        ColorNow();
        return;
    }
    // A tick already queued when the post was removed is stale.
    if (!m_coloringPost)
        return;
    const auto waited = std::chrono::steady_clock::now() - m_coloringStart;
    if (waited >= std::chrono::milliseconds(m_coloringDelay))
        ColorNow();
}

// ---- Following a log ----------------------------------------------------------

void CColorEditView::DetachSource()
{
    if (!m_source)
        return;
    // By user data only: other views may follow the same log with the same
    // callback.
    m_source->RemoveObserver(nullptr, CWidgetWindow::HandleOf(this));
    m_source->Release();
    m_source = nullptr;
}

void CColorEditView::AttachSource(ITransferLog* source)
{
    DetachSource();
    m_sourceStamp = 0;
    m_sourceIdentity = -1;
    m_sourceTaken = 0;
    if (!source)
    {
        SetText({}, false, -1);
        return;
    }
    source->AddRef();
    m_source = source;
    m_source->AddObserver(&PostSourceChanged, CWidgetWindow::Attach(this));
    RefreshFromSource();
}

void CColorEditView::RefreshFromSource()
{
    if (!m_source)
        return;
    uint32_t stamp = 0;
    size_t length = 0;
    int dropped = 0;
    m_source->GetStats(&stamp, &length, nullptr, &dropped);
    const int64_t identity = SourceIdentity(*m_source, dropped);
    if (stamp == m_sourceStamp && identity == m_sourceIdentity)
        return;
    if (length < m_sourceTaken || identity != m_sourceIdentity)
        m_sourceTaken = 0;
    std::string text;
    if (length > m_sourceTaken)
        m_source->GetTextPart(text, m_sourceTaken, length - m_sourceTaken);
    // A CR at the end may be the first half of a CR LF whose LF the next
    // read brings; shown now, it would end a line and the LF another.
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (m_sourceTaken == 0)
        SetText(text, true, 1000000);
    else if (!text.empty())
        AppendText(text, true, 1000000);
    m_sourceTaken += text.size();
    m_sourceStamp = stamp;
    m_sourceIdentity = identity;
    SetSavePoint();
}
