#pragma once
// The commands of one window as QActions carrying their ids. An action, when
// triggered (menu, toolbar button or shortcut), offers its command along the
// route of the window's command target (CmdTarget.h). Menus and toolbars
// are built from the resource tables (ResourceTypes.h); accelerators become
// shortcuts of the window. Update handlers run for a menu's actions when it
// is about to open and for every action on an idle tick, so toolbar buttons
// and shortcuts follow the state without anybody opening a menu.
//
// UI thread only. The table is a child of the window it serves and lives as
// long as it.

#include "platform/ui/CmdTarget.h"
#include "platform/ui/ResourceTypes.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <vector>

class QAction;
class QIcon;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class QWidget;

class CCommandActions : public QObject
{
    Q_OBJECT

public:
    // Actions live on window (shortcuts work while focus is anywhere in it)
    // and route through route, which must outlive the table.
    CCommandActions(QWidget* window, CCmdTarget& route);

    // The action of a command, made on first use.
    QAction* Action(UINT id);
    bool HasAction(UINT id) const { return m_actions.count(id) != 0; }
    // The command id an action carries; 0 for other actions.
    static UINT CommandId(const QAction* action);

    // Fills a menu bar or a popup from a menu table (see MenuItemDesc).
    void BuildMenuBar(QMenuBar* bar, std::span<const MenuItemDesc> items);
    void BuildMenu(QMenu* menu, std::span<const MenuItemDesc> items);
    // Fills a toolbar with the table's buttons; icons, when given, are in
    // button order (the n-th button with an id gets icons[n]).
    void BuildToolBar(QToolBar* bar, const ToolbarDesc& toolbar, const std::vector<QIcon>& icons);
    // Every key of the table becomes a shortcut of its command's action.
    void InstallAccelerators(std::span<const AcceleratorDesc> keys);

    // Runs the update handlers of the given actions, or of every action.
    void UpdateActions(const QList<QAction*>& actions);
    void UpdateAllActions();

    // The idle tick that keeps buttons and shortcuts current (period in ms).
    void StartIdleUpdates(int periodMs = 200);

private:
    void Apply(QAction* action, const CCmdUI& state);
    void AddMenuItems(QWidget* menu, std::span<const MenuItemDesc> items, size_t& index, int level);

    QWidget* m_window;
    CCmdTarget& m_route;
    std::map<UINT, QPointer<QAction>> m_actions;
    QTimer* m_idleTimer = nullptr;
};
