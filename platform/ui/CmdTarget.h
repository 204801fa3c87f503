#pragma once
// Commands: every menu item, toolbar button and accelerator carries a command
// id. A command is offered along a route of command targets (the active
// view, its document, the frames around the view, the main frame, the
// application; CFrameWnd.h) until one handles it. Each target keeps its own
// table of entries: an id or a range of ids with a handler and/or an update
// handler. A class adds its entries in its constructor, after its base class
// did, and a later entry for the same id wins, so a derived class overrides
// its base.
//
// Before a command runs, and when a menu opens or a toolbar is refreshed,
// the same route is asked for the command's state through a CCmdUI: the
// first update handler on the route decides; when there is none, the
// command is enabled exactly when some target on the route would run it.
// A disabled command is never run, whatever asked for it (an accelerator
// too).

#include <functional>
#include <optional>
#include <string>
#include <vector>

using UINT = unsigned int;

// What is asked of a route.
enum class CommandRequest
{
    Execute, // run the handler
    Update,  // run the update handler into the CCmdUI
    Probe,   // only answer whether a handler exists
};

// The state an update handler gives a command.
class CCmdUI
{
public:
    explicit CCmdUI(UINT id) : m_nID(id) {}

    void Enable(bool on = true) { m_enabled = on; }
    // 0 unchecked, 1 checked; the command becomes checkable.
    void SetCheck(int check = 1) { m_check = check; }
    void SetText(std::string text) { m_text = std::move(text); }

    bool IsEnabled() const { return m_enabled; }
    const std::optional<int>& GetCheck() const { return m_check; }
    const std::optional<std::string>& GetText() const { return m_text; }

    const UINT m_nID;

private:
    bool m_enabled = true;
    std::optional<int> m_check;
    std::optional<std::string> m_text;
};

class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;

    // Offers the request along this target's route; true when some target
    // took it (Probe: has a handler). The base route is the own table only.
    virtual bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui);

    // The whole cycle for one command: asks the route for the state and runs
    // the command when it is enabled. False when it was disabled or nobody
    // handled it.
    bool ExecuteCommand(UINT id);
    // The command's state from the route (see the file comment).
    CCmdUI QueryCommandState(UINT id);

protected:
    // Entries of the own table.
    void OnCommand(UINT id, std::function<void()> handler);
    void OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler);
    void OnUpdateCommand(UINT id, std::function<void(CCmdUI&)> update);
    void OnUpdateCommandRange(UINT first, UINT last, std::function<void(CCmdUI&)> update);

    // Only this target's table, without the rest of its route.
    bool DispatchOwnCommand(UINT id, CommandRequest request, CCmdUI* ui);

    friend class CFrameWnd;

private:
    struct Entry
    {
        UINT m_first = 0;
        UINT m_last = 0;
        std::function<void(UINT)> m_handler;
        std::function<void(CCmdUI&)> m_update;
    };
    std::vector<Entry> m_commands;
};
