#include "platform/ui/CommandActions.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

namespace
{
const char* const kCommandProperty = "twCommandId";
}

CCommandActions::CCommandActions(QWidget* window, CCmdTarget& route)
    : QObject(window), m_window(window), m_route(route)
{
}

UINT CCommandActions::CommandId(const QAction* action)
{
    return action ? action->property(kCommandProperty).toUInt() : 0;
}

QAction* CCommandActions::Action(UINT id)
{
    auto& slot = m_actions[id];
    if (slot)
        return slot;
    auto* action = new QAction(m_window);
    action->setProperty(kCommandProperty, id);
    m_window->addAction(action);
    connect(action, &QAction::triggered, this, [this, id] {
        // A command may close the window and with it this table.
        QPointer<CCommandActions> alive(this);
        m_route.ExecuteCommand(id);
        if (!alive)
            return;
        // The handler may have changed what the update says (a toggle).
        if (QAction* done = m_actions[id])
            Apply(done, m_route.QueryCommandState(id));
    });
    slot = action;
    return action;
}

void CCommandActions::AddMenuItems(QWidget* menu, std::span<const MenuItemDesc> items, size_t& index, int level)
{
    auto* bar = qobject_cast<QMenuBar*>(menu);
    auto* popup = qobject_cast<QMenu*>(menu);
    while (index < items.size() && items[index].m_level >= level)
    {
        const MenuItemDesc& item = items[index++];
        if (item.m_id != 0)
        {
            QAction* action = Action(item.m_id);
            action->setText(QString::fromUtf8(item.m_text ? item.m_text : ""));
            menu->addAction(action);
        }
        else if (item.m_text)
        {
            QMenu* sub = bar ? bar->addMenu(QString::fromUtf8(item.m_text))
                             : popup->addMenu(QString::fromUtf8(item.m_text));
            connect(sub, &QMenu::aboutToShow, this, [this, sub] { UpdateActions(sub->actions()); });
            AddMenuItems(sub, items, index, item.m_level + 1);
        }
        else if (popup)
        {
            popup->addSeparator();
        }
    }
}

void CCommandActions::BuildMenuBar(QMenuBar* bar, std::span<const MenuItemDesc> items)
{
    size_t index = 0;
    AddMenuItems(bar, items, index, 0);
}

void CCommandActions::BuildMenu(QMenu* menu, std::span<const MenuItemDesc> items)
{
    size_t index = 0;
    AddMenuItems(menu, items, index, 0);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateActions(menu->actions()); });
}

void CCommandActions::BuildToolBar(QToolBar* bar, const ToolbarDesc& toolbar, const std::vector<QIcon>& icons)
{
    size_t image = 0;
    for (UINT id : toolbar.m_buttons)
    {
        if (id == 0)
        {
            bar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        if (image < icons.size())
            action->setIcon(icons[image]);
        ++image;
        bar->addAction(action);
    }
}

void CCommandActions::InstallAccelerators(std::span<const AcceleratorDesc> keys)
{
    for (const AcceleratorDesc& key : keys)
    {
        QAction* action = Action(key.m_id);
        QList<QKeySequence> shortcuts = action->shortcuts();
        shortcuts.append(QKeySequence(QString::fromUtf8(key.m_keys)));
        action->setShortcuts(shortcuts);
        action->setShortcutContext(Qt::WindowShortcut);
    }
}

void CCommandActions::Apply(QAction* action, const CCmdUI& state)
{
    action->setEnabled(state.IsEnabled());
    if (state.GetCheck())
    {
        action->setCheckable(true);
        action->setChecked(*state.GetCheck() != 0);
    }
    if (state.GetText())
        action->setText(QString::fromUtf8(state.GetText()->c_str()));
}

void CCommandActions::UpdateActions(const QList<QAction*>& actions)
{
    for (QAction* action : actions)
    {
        if (UINT id = CommandId(action))
            Apply(action, m_route.QueryCommandState(id));
    }
}

void CCommandActions::UpdateAllActions()
{
    for (auto& [id, action] : m_actions)
    {
        if (action)
            Apply(action, m_route.QueryCommandState(id));
    }
}

void CCommandActions::StartIdleUpdates(int periodMs)
{
    if (!m_idleTimer)
    {
        m_idleTimer = new QTimer(this);
        connect(m_idleTimer, &QTimer::timeout, this, &CCommandActions::UpdateAllActions);
    }
    m_idleTimer->start(periodMs);
}
