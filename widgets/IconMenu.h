#pragma once
// CIconMenu: the owner-drawn pop-up the chevron shows, one item per hidden
// toolbar button with the button's icon and the command's tooltip text. The
// items are drawn and measured by the menu's own style (a proxy of the
// application's), which is where Qt lets a menu draw its items itself.
// UI thread.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QMenu>
#include <QPointer>
#include <QSize>
#include <QToolBar>

class QStyleOptionMenuItem;

// The tooltip part of a command's string: what follows its first "\n";
// empty when there is no "\n".
std::string TooltipFromCommandString(std::string_view text);

// The command id a toolbar action carries (the window layer's property);
// 0 for other actions.
int ToolbarCommandId(const QAction* action);

class CIconMenu : public QMenu
{
    Q_OBJECT

public:
    explicit CIconMenu(QToolBar* toolBar, QWidget* parent = nullptr);
    ~CIconMenu() override;

    // Adds the item of a toolbar action: its icon, its tooltip text and its
    // command id; greyed when disabled, checked as the button is. Triggering
    // the item triggers the toolbar's action.
    QAction* AddButtonItem(QAction* button, const std::string& tooltip, bool greyed);

    // Item size: the toolbar's icon width + 118 by its height + 4.
    static QSize MeasureItem(QSize iconSize);
    QSize MeasureItem() const;
    void DrawItem(QPainter& painter, const QStyleOptionMenuItem& item) const;

    QToolBar* ToolBar() const { return m_toolBar; }

private:
    class CStyle;
    QPointer<QToolBar> m_toolBar;
    std::unique_ptr<CStyle> m_style;
};
