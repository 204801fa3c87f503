#pragma once
// CLinkFilterPage: the "Filter" page of the Link properties dialog, over a
// task's crawl filter: include and exclude patterns (each list on or off,
// shown as one text with ";" after each pattern), the tag types and the
// protocols a crawl follows (lists with check boxes), and the filter flags.
//
// The two masks change in the filter the moment a list item's check box is
// clicked; the flags and pattern texts reach the filter only when the host
// applies the page. The protocol list is disabled while external links are
// off, and its mask keeps its bits.
//
// UI thread only.

#include "dialogs/SettingsPage.h"
#include "platform/ui/ImageList.h"

#include <string>

class CListCtrl;
class CTaskFilter;

class CLinkFilterPage : public CSettingsPage
{
    Q_OBJECT

public:
    explicit CLinkFilterPage(CTaskFilter& filter);

    // Writes the flags and the split pattern texts into the filter; always
    // succeeds.
    bool ApplyBindings() override;

    // Toggles the check of a list's row as a click on its check box does.
    void ToggleRow(int listId, int row);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnBoundControlChanged(int controlId) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillLists();
    void UpdateChecks();
    void UpdateControls();

    CTaskFilter& m_filter;
    // What the page shows until it is applied.
    int m_includeOn = 0;
    int m_excludeOn = 0;
    std::string m_include;
    std::string m_exclude;
    int m_external = 0;
    int m_ignoreEmpty = 0;
    int m_containers = 0;
    CListCtrl* m_tags = nullptr;
    CListCtrl* m_protocols = nullptr;
    CImageList m_images;
    CImageList m_stateImages;
};
