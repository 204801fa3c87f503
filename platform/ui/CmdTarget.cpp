#include "platform/ui/CmdTarget.h"

bool CCmdTarget::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    return DispatchOwnCommand(id, request, ui);
}

bool CCmdTarget::DispatchOwnCommand(UINT id, CommandRequest request, CCmdUI* ui)
{
    // Newest first: a derived class's entry hides its base's.
    for (auto entry = m_commands.rbegin(); entry != m_commands.rend(); ++entry)
    {
        if (id < entry->m_first || id > entry->m_last)
            continue;
        switch (request)
        {
        case CommandRequest::Execute:
            if (!entry->m_handler)
                continue;
            entry->m_handler(id);
            return true;
        case CommandRequest::Update:
            if (!entry->m_update || !ui)
                continue;
            entry->m_update(*ui);
            return true;
        case CommandRequest::Probe:
            if (!entry->m_handler)
                continue;
            return true;
        }
    }
    return false;
}

CCmdUI CCmdTarget::QueryCommandState(UINT id)
{
    CCmdUI ui(id);
    if (!OnCmdMsg(id, CommandRequest::Update, &ui))
        ui.Enable(OnCmdMsg(id, CommandRequest::Probe, nullptr));
    return ui;
}

bool CCmdTarget::ExecuteCommand(UINT id)
{
    if (!QueryCommandState(id).IsEnabled())
        return false;
    return OnCmdMsg(id, CommandRequest::Execute, nullptr);
}

void CCmdTarget::OnCommand(UINT id, std::function<void()> handler)
{
    m_commands.push_back({id, id, [handler = std::move(handler)](UINT) { handler(); }, {}});
}

void CCmdTarget::OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler)
{
    m_commands.push_back({first, last, std::move(handler), {}});
}

void CCmdTarget::OnUpdateCommand(UINT id, std::function<void(CCmdUI&)> update)
{
    m_commands.push_back({id, id, {}, std::move(update)});
}

void CCmdTarget::OnUpdateCommandRange(UINT first, UINT last, std::function<void(CCmdUI&)> update)
{
    m_commands.push_back({first, last, {}, std::move(update)});
}
