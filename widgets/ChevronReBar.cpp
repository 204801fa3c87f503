#include "widgets/ChevronReBar.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

std::vector<int> ChooseChevronItems(const std::vector<CChevronButton>& buttons, const CRect& visible)
{
    std::vector<int> entries;
    bool anyItem = false;
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        const CChevronButton& button = buttons[i];
        if (button.m_separator)
        {
            if (anyItem)
                entries.push_back(-1);
            continue;
        }
        const CRect& r = button.m_rect;
        const bool inside = r.left >= visible.left && r.top >= visible.top && r.right <= visible.right &&
                            r.bottom <= visible.bottom;
        if (!inside)
        {
            entries.push_back(int(i));
            anyItem = true;
        }
    }
    return entries;
}

// One band: an optional label, the child at its full length (clipped by the
// band), and for a chevron band the chevron at the right.
class CChevronReBar::CBand : public QWidget
{
public:
    CBand(QWidget* parent, QWidget* child, int id, const std::string& text, uint32_t style)
        : QWidget(parent), m_child(child), m_id(id), m_style(style)
    {
        if (!text.empty())
            m_label = new QLabel(QString::fromStdString(text), this);
        child->setParent(this);
        if (m_style & kBandUseChevron)
        {
            m_chevron = new QToolButton(this);
            m_chevron->setArrowType(Qt::RightArrow);
            m_chevron->setAutoRaise(true);
            m_chevron->hide();
        }
        child->show();
    }

    int LabelWidth() const { return m_label ? m_label->sizeHint().width() + 4 : 0; }
    int IdealChildWidth() const { return m_child->sizeHint().width(); }

    QSize sizeHint() const override
    {
        const QSize child = m_child->sizeHint();
        return QSize(LabelWidth() + child.width() + (m_chevron ? kChevronWidth : 0), child.height());
    }
    QSize minimumSizeHint() const override
    {
        // A chevron band can shrink to its chevron; its buttons then go to
        // the chevron's menu.
        if (m_chevron)
            return QSize(LabelWidth() + kChevronWidth, m_child->sizeHint().height());
        return QSize(LabelWidth() + m_child->minimumSizeHint().width(), m_child->sizeHint().height());
    }

    CRect VisibleRect() const
    {
        const int right = width() - (m_chevron && m_chevron->isVisible() ? kChevronWidth : 0);
        return {LabelWidth(), 0, std::max(LabelWidth(), right), height()};
    }

    void Arrange()
    {
        if (m_label)
            m_label->setGeometry(0, 0, LabelWidth(), height());
        if (m_chevron)
        {
            // The toolbar keeps its full length, so Qt never moves its
            // buttons into its own extension; the band clips it.
            m_child->setGeometry(LabelWidth(), 0, IdealChildWidth(), height());
            const bool hidden = LabelWidth() + IdealChildWidth() > width();
            m_chevron->setVisible(hidden);
            m_chevron->setGeometry(width() - kChevronWidth, 0, kChevronWidth, height());
            m_chevron->raise();
        }
        else
        {
            m_child->setGeometry(LabelWidth(), 0, width() - LabelWidth(), height());
        }
    }

    void resizeEvent(QResizeEvent*) override { Arrange(); }

    QWidget* m_child;
    int m_id;
    uint32_t m_style;
    QLabel* m_label = nullptr;
    QToolButton* m_chevron = nullptr;
};

CChevronReBar::CChevronReBar(QWidget* parent) : QWidget(parent), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    m_layout->addStretch(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

CChevronReBar::~CChevronReBar() = default;

int CChevronReBar::AddBar(QWidget* child, int bandId, const std::string& text, uint32_t style)
{
    if (qobject_cast<QToolBar*>(child) && bandId != -1)
        style |= kBandUseChevron;
    else
        style &= ~kBandUseChevron;
    auto* band = new CBand(this, child, bandId, text, style);
    // A child that wants the spare width (a bar with an address box) gets it,
    // and so does the rebar in whatever holds it.
    const bool fills = (child->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag) != 0;
    band->setSizePolicy(fills ? QSizePolicy::Expanding : QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Before the stretch that keeps the bands at the left.
    m_layout->insertWidget(m_layout->count() - 1, band, fills ? 1 : 0);
    if (fills)
    {
        m_layout->setStretch(m_layout->count() - 1, 0);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    m_bands.push_back(band);
    if (band->m_chevron)
    {
        const int index = int(m_bands.size()) - 1;
        connect(band->m_chevron, &QToolButton::clicked, this, [this, index] { OnChevronPushed(index); });
        // A toolbar that gains or loses buttons changes the band's ideal width.
        child->installEventFilter(this);
    }
    return int(m_bands.size()) - 1;
}

bool CChevronReBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::ActionAdded ||
        event->type() == QEvent::ActionRemoved)
        for (CBand* band : m_bands)
            if (band->m_child == watched)
            {
                band->updateGeometry();
                band->Arrange();
            }
    return QWidget::eventFilter(watched, event);
}

uint32_t CChevronReBar::GetBandStyle(int band) const
{
    return band >= 0 && band < GetBandCount() ? m_bands[size_t(band)]->m_style : 0;
}

int CChevronReBar::GetBandId(int band) const
{
    return band >= 0 && band < GetBandCount() ? m_bands[size_t(band)]->m_id : -1;
}

CRect CChevronReBar::GetVisibleRect(int band) const
{
    return band >= 0 && band < GetBandCount() ? m_bands[size_t(band)]->VisibleRect() : CRect();
}

bool CChevronReBar::IsChevronShown(int band) const
{
    if (band < 0 || band >= GetBandCount() || !m_bands[size_t(band)]->m_chevron)
        return false;
    return !m_bands[size_t(band)]->m_chevron->isHidden();
}

QWidget* CChevronReBar::GetBandWidget(int band) const
{
    return band >= 0 && band < GetBandCount() ? m_bands[size_t(band)] : nullptr;
}

void CChevronReBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateChevrons();
}

void CChevronReBar::UpdateChevrons()
{
    for (CBand* band : m_bands)
        band->Arrange();
}

std::unique_ptr<CIconMenu> CChevronReBar::BuildChevronMenu(int index)
{
    if (index < 0 || index >= GetBandCount())
        return nullptr;
    CBand& band = *m_bands[size_t(index)];
    auto* toolBar = qobject_cast<QToolBar*>(band.m_child);
    if (!toolBar || !band.m_chevron)
        return nullptr;
    band.Arrange();

    // The buttons of the toolbar's shown actions, in order.
    std::vector<CChevronButton> buttons;
    std::vector<QAction*> shown;
    for (QAction* action : toolBar->actions())
    {
        const QWidget* widget = toolBar->widgetForAction(action);
        if (!widget || !action->isVisible())
            continue;
        CChevronButton button;
        button.m_separator = action->isSeparator();
        button.m_rect = CRect::FromQRect(QRect(widget->mapTo(&band, QPoint(0, 0)), widget->size()));
        buttons.push_back(button);
        shown.push_back(action);
    }
    const std::vector<int> entries = ChooseChevronItems(buttons, band.VisibleRect());
    if (entries.empty())
        return nullptr;
    auto menu = std::make_unique<CIconMenu>(toolBar, this);
    for (int entry : entries)
    {
        if (entry < 0)
        {
            menu->addSeparator();
            continue;
        }
        QAction* action = shown[size_t(entry)];
        const int id = ToolbarCommandId(action);
        const std::string tooltip = m_strings && id ? TooltipFromCommandString(m_strings(id)) : std::string();
        menu->AddButtonItem(action, tooltip, !action->isEnabled());
    }
    return menu;
}

void CChevronReBar::OnChevronPushed(int band)
{
    std::unique_ptr<CIconMenu> menu = BuildChevronMenu(band);
    if (!menu)
        return;
    const QToolButton* chevron = m_bands[size_t(band)]->m_chevron;
    TrackMenu(menu.get(), chevron->mapToGlobal(chevron->rect().bottomLeft() + QPoint(0, 1)));
}

void CChevronReBar::TrackMenu(QMenu* menu, QPoint globalPoint)
{
    menu->exec(globalPoint);
}
