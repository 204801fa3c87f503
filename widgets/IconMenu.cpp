#include "widgets/IconMenu.h"

#include "widgets/PaintHelpers.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QToolBar>

namespace
{
// The window layer's property holding a command id on its actions.
const char* const kCommandProperty = "twCommandId";

constexpr int kItemExtraWidth = 118;
constexpr int kItemExtraHeight = 4;
constexpr int kImageLeft = 4;
constexpr int kImageTop = 2;
// The text starts this far right of the icon's width.
constexpr int kTextAfterIcon = 14;
} // namespace

std::string TooltipFromCommandString(std::string_view text)
{
    const size_t newline = text.find('\n');
    return newline == std::string_view::npos ? std::string() : std::string(text.substr(newline + 1));
}

int ToolbarCommandId(const QAction* action)
{
    return action ? action->property(kCommandProperty).toInt() : 0;
}

// Hands the menu's items to CIconMenu to measure and draw; everything else
// is the application's style.
class CIconMenu::CStyle : public QProxyStyle
{
public:
    explicit CStyle(CIconMenu& menu) : QProxyStyle(QApplication::style()->name()), m_menu(menu) {}

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type == CT_MenuItem && item && item->menuItemType != QStyleOptionMenuItem::Separator)
            return m_menu.MeasureItem();
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuItem && item && item->menuItemType != QStyleOptionMenuItem::Separator)
        {
            m_menu.DrawItem(*painter, *item);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    CIconMenu& m_menu;
};

CIconMenu::CIconMenu(QToolBar* toolBar, QWidget* parent)
    : QMenu(parent), m_toolBar(toolBar), m_style(std::make_unique<CStyle>(*this))
{
    setStyle(m_style.get());
}

CIconMenu::~CIconMenu()
{
    // The style must outlive the widget's use of it.
    setStyle(nullptr);
}

QAction* CIconMenu::AddButtonItem(QAction* button, const std::string& tooltip, bool greyed)
{
    QAction* item = addAction(button->icon(), QString::fromStdString(tooltip));
    item->setProperty(kCommandProperty, ToolbarCommandId(button));
    item->setEnabled(!greyed);
    item->setCheckable(button->isCheckable());
    item->setChecked(button->isChecked());
    QPointer<QAction> target(button);
    connect(item, &QAction::triggered, this, [target] {
        if (target)
            target->trigger();
    });
    return item;
}

QSize CIconMenu::MeasureItem(QSize iconSize)
{
    return QSize(iconSize.width() + kItemExtraWidth, iconSize.height() + kItemExtraHeight);
}

QSize CIconMenu::MeasureItem() const
{
    return MeasureItem(m_toolBar ? m_toolBar->iconSize() : QSize(16, 16));
}

void CIconMenu::DrawItem(QPainter& painter, const QStyleOptionMenuItem& item) const
{
    const QSize icon = m_toolBar ? m_toolBar->iconSize() : QSize(16, 16);
    const QRect r = item.rect;
    const bool selected = item.state & QStyle::State_Selected;
    const bool enabled = item.state & QStyle::State_Enabled;
    const QPalette& colors = item.palette;

    painter.save();
    painter.fillRect(r, selected ? colors.color(QPalette::Active, QPalette::Highlight)
                                 : colors.color(QPalette::Window));
    const QRect image(r.left() + kImageLeft, r.top() + kImageTop, icon.width(), icon.height());
    if (item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked)
    {
        // A sunken frame 2 pixels around the image.
        Draw3dRect(painter, image.adjusted(-2, -2, 1, 1), Qt::black, colors.color(QPalette::Light));
    }
    item.icon.paint(&painter, image, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
    if (!item.text.isEmpty())
    {
        const QRect text = r.adjusted(icon.width() + kTextAfterIcon, 2, -4, -2);
        painter.setPen(enabled ? colors.color(QPalette::Active, QPalette::WindowText)
                               : colors.color(QPalette::Disabled, QPalette::Text));
        painter.setFont(item.font);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(item.text, Qt::ElideRight, text.width()));
    }
    painter.restore();
}
