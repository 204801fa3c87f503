#pragma once
// CChevronReBar: the main frame's bar of toolbar bands. A toolbar band with
// a band id keeps its toolbar at full length and shows as much of it as the
// band's width allows; the buttons that do not fit are offered by the band's
// chevron in a CIconMenu with their icons and tooltip texts (Qt's own
// toolbar extension is not used: its pop-up is a toolbar, not this menu).
// UI thread.

#include "widgets/IconMenu.h"
#include "widgets/Rect.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

class QHBoxLayout;
class QToolBar;
class QToolButton;

// One toolbar button as the chevron sees it.
struct CChevronButton
{
    bool m_separator = false;
    CRect m_rect; // in band coordinates
};

// The chevron menu's entries in button order: index of a button for an item,
// -1 for a separator. A button not wholly inside the visible rectangle
// gives an item; a separator gives a separator only once some item was
// added.
std::vector<int> ChooseChevronItems(const std::vector<CChevronButton>& buttons, const CRect& visible);

class CChevronReBar : public QWidget
{
    Q_OBJECT

public:
    // The band style bit that gives a band its chevron.
    static constexpr uint32_t kBandUseChevron = 0x200;
    // Width of a band's chevron button.
    static constexpr int kChevronWidth = 14;

    // The text of a command id from the string table (prompt, "\n",
    // tooltip); the tooltip part is the menu item's text.
    using StringSource = std::function<std::string(int id)>;

    explicit CChevronReBar(QWidget* parent = nullptr);
    ~CChevronReBar() override;

    void SetStringSource(StringSource strings) { m_strings = std::move(strings); }

    // Adds a band with the child: a toolbar with a band id other than -1
    // gets the chevron, any other child loses it. A child whose horizontal
    // size policy expands gets the bar's spare width (and the bar then
    // expands in its own parent). Returns the band's index.
    int AddBar(QWidget* child, int bandId, const std::string& text, uint32_t style);

    int GetBandCount() const { return int(m_bands.size()); }
    uint32_t GetBandStyle(int band) const;
    int GetBandId(int band) const;
    // The part of the band its child shows (the band less its chevron), in
    // band coordinates.
    CRect GetVisibleRect(int band) const;
    // Whether the band's chevron is shown (some button is hidden).
    bool IsChevronShown(int band) const;
    QWidget* GetBandWidget(int band) const;

    // The chevron menu of a band's toolbar; null when no button is hidden or
    // the band has no chevron.
    std::unique_ptr<CIconMenu> BuildChevronMenu(int band);
    // The chevron pressed: builds the menu and shows it below the chevron.
    void OnChevronPushed(int band);

protected:
    // Shows the menu and returns when it closes; a test answers it instead.
    virtual void TrackMenu(QMenu* menu, QPoint globalPoint);
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class CBand;
    void UpdateChevrons();

    QHBoxLayout* m_layout;
    std::vector<CBand*> m_bands;
    StringSource m_strings;
};
