// The link list view over a real check of a local folder, offscreen: the
// rows are the links of the page selected in the tree, in page order; the
// columns sort both ways; rows are coloured by state unless colouring is
// off; the selection gives its URLs; a fill asked with a delay waits; listing
// all descendants reaches below the page.

#include "../checker/RealCrawl.h"

#include "checker/FormData.h"
#include "checker/FormItem.h"
#include "checker/ui/FormWnd.h"
#include "checker/LinkNames.h"
#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "checker/LinkNode.h"
#include "platform/core/RecordingDesktop.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "shell/LinkListView.h"
#include "shell/LinkTreeFrame.h"
#include "shell/LinkTreeView.h"
#include "shell/LinkViewFrame.h"
#include "shell/ThumbnailWorker.h"
#include "editor/EditTextBuffer.h"
#include "editor/ui/HTMLEditView.h"
#include "foundation/desktop/FileBrowsing.h"
#include "transfer/base/LogRegistry.h"
#include "widgets/ListColumns.h"
#include "widgets/OwnerDrawListCtrl.h"
#include "widgets/TabbedBar.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"

#include "tests/support/FileContents.h"
#include "tests/support/LinkSite.h"
#include "tests/support/QtApplication.h"
#include "tests/support/DialogInput.h"
#include "tests/support/TaskWindowServices.h"
#include "tests/support/TempFolder.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSplitter>
#include <QTest>
#include <QHeaderView>
#include <QListView>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace
{

class LinkListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MakeLinkSite(m_folder, {std::string(3000, 'n'), true});
        // The program's own defaults for what the list reads.
        m_crawl.Settings().SetInt(SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 1);
        m_crawl.Settings().SetInt(SETTING_LAYOUT_THUMBNAIL_WIDTH, 80);
        m_crawl.Settings().SetInt(SETTING_LAYOUT_THUMBNAIL_HEIGHT, 60);
        m_start = m_folder / "site/index.html";
        CLinkTreeViewServices services = TaskWindowServices(m_crawl.Transport(), m_crawl.Settings(), &m_passwords, &m_logs);
        services.m_openTask = [this](const CTaskSettings& task) { m_openedTasks.push_back(task); };
        services.m_openEditor = [this](const std::string& path) {
            m_editedPaths.push_back(path);
            m_editors.push_back(std::make_unique<CTanglewardenDoc>(m_crawl.Settings()));
            return m_editors.back().get();
        };
        CTaskSettings task(m_start);
        task.SetInt(TASK_RECURSION, 5);
        m_document.SetTask(&task);
        m_frame = new CFrameWnd;
        m_frame->resize(900, 500);
        auto* splitter = new QSplitter(m_frame);
        m_tree = new CLinkTreeView(services, splitter);
        m_list = new CLinkListView(*m_tree, m_crawl.Settings(), splitter);
        m_linkView = new CLinkViewFrame(splitter);
        m_linkView->Create(&m_crawl.Settings());
        splitter->addWidget(m_tree);
        splitter->addWidget(m_list);
        splitter->addWidget(m_linkView);
        m_list->SetLinkViewFrame(m_linkView);
        m_frame->setCentralWidget(splitter);
        m_document.AddView(m_tree);
        m_document.AddView(m_list);
        m_frame->InitialUpdateFrame(true);
        ASSERT_TRUE(m_tree->StartTask(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_tree->GetEngine().IsRunning(); }, 60000));
        QCoreApplication::processEvents();
        m_tree->RefreshTree(true);
    }
    void TearDown() override { delete m_frame.data(); }

    std::vector<std::string> RowUrls() const
    {
        std::vector<std::string> urls;
        for (int row = 0; row < m_list->GetListCtrl().GetItemCount(); ++row)
            urls.push_back(m_list->RowInfo(row)->m_url);
        return urls;
    }
    int RowOf(const std::string& url) const
    {
        for (int row = 0; row < m_list->GetListCtrl().GetItemCount(); ++row)
            if (m_list->RowInfo(row)->m_url == url)
                return row;
        return -1;
    }
    int IdOf(const std::string& url) const
    {
        const CLinkChecker& engine = m_tree->GetEngine();
        for (int i = 0; i < engine.GetLinkCount(); ++i)
            if (engine.GetNodeAt(i)->m_url == url && engine.GetNodeAt(i)->IsFirstOccurrence())
                return engine.GetNodeAt(i)->m_linkId;
        return 0;
    }

    // The info pane's text, lines joined with '\n'.
    std::string PaneText() const
    {
        const CEditTextBuffer* buffer = m_linkView->GetEditView()->GetBuffer();
        std::string text;
        for (int line = 0; buffer && line < buffer->GetLineCount(); ++line)
            text += (line ? "\n" : "") + buffer->GetLine(line)->GetText();
        return text;
    }
    // Lists the links of sub/c.html, the page with the site's form; the
    // form's row, or -1.
    int ListTheFormPage()
    {
        if (!m_tree->SelectLink(IdOf(m_folder / "site/sub/c.html")))
            return -1;
        m_list->FillList(0, false);
        for (int row = 0; row < m_list->GetListCtrl().GetItemCount(); ++row)
            if (m_list->RowInfo(row)->m_linkType == kTypeForm)
                return row;
        return -1;
    }
    // Only that row selected (none for -1), as a click leaves it; the pane
    // follows at once.
    void SelectOnly(int row)
    {
        COwnerDrawListCtrl& list = m_list->GetListCtrl();
        for (int other = 0; other < list.GetItemCount(); ++other)
            (void)list.SetItemState(other, 0, LVIS_SELECTED);
        if (row >= 0)
        {
            ASSERT_TRUE(list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
        }
        m_list->FillList(0, false);
    }

    bool m_application = (TestApplication(), true);
    CRecordingModalDriver m_driver;
    CTempFolder m_folder;
    std::string m_start;
    CRealCrawl m_crawl;
    CPasswordStore m_passwords;
    CLogRegistry m_logs;
    CTanglewardenDoc m_document{m_crawl.Settings()};
    QPointer<CFrameWnd> m_frame;
    CLinkTreeView* m_tree = nullptr;
    CLinkListView* m_list = nullptr;
    CLinkViewFrame* m_linkView = nullptr;
    std::vector<CTaskSettings> m_openedTasks;
    std::vector<std::string> m_editedPaths;
    std::vector<std::unique_ptr<CTanglewardenDoc>> m_editors;
};

TEST_F(LinkListViewTest, TheRowsAreTheLinksOfTheTreeSelectedPageInPageOrder)
{
    ASSERT_NE(m_tree->GetSelectedLinkId(), 0);
    m_list->FillList(0, true);
    const std::string site = m_folder / "site/";
    EXPECT_EQ(RowUrls(), (std::vector<std::string>{site + "a.html", site + "notes.txt", site + "missing.html",
                                                   site + "sub/c.html", site + "pic.png"}));
    const COwnerDrawListCtrl& list = m_list->GetListCtrl();
    EXPECT_EQ(list.GetColumnCount(), kLinkListColumnCount);
    EXPECT_EQ(list.GetView(), LVS_REPORT);
    for (int row = 0; row < list.GetItemCount(); ++row)
        EXPECT_EQ(list.GetItemText(row, 2), std::to_string(row + 1));
    EXPECT_EQ(list.GetItemText(1, 4), "3,000");
    EXPECT_EQ(list.GetItemText(1, 1), m_start);

    // Another page selected in the tree: the next fill lists its links.
    ASSERT_TRUE(m_tree->SelectLink(IdOf(site + "a.html")));
    m_list->FillList(0, false);
    EXPECT_EQ(RowUrls(), (std::vector<std::string>{m_start, site + "sub/c.html", site + "sub/none.html"}));

    // No page selected: no rows.
    m_tree->GetTreeCtrl().SelectItem(nullptr);
    m_list->FillList(0, false);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(LinkListViewTest, ClickingAHeaderSortsByItAndASecondClickReverses)
{
    m_list->FillList(0, true);
    m_list->OnColumnClick(4);
    EXPECT_EQ(m_list->GetSortColumn(), 4);
    EXPECT_EQ(m_list->GetSortDirection(), 1);
    const int rows = m_list->GetListCtrl().GetItemCount();
    ASSERT_EQ(rows, 5);
    for (int row = 1; row < rows; ++row)
        EXPECT_LE(CompareLinks(*m_list->RowInfo(row - 1), *m_list->RowInfo(row), 4), 0) << row;
    const std::vector<std::string> ascending = RowUrls();

    m_list->OnColumnClick(4);
    EXPECT_EQ(m_list->GetSortDirection(), -1);
    EXPECT_FALSE(m_list->GetListCtrl().GetColumnHeaderImage(4).isNull()) << "the arrow moves with the column";
    EXPECT_TRUE(m_list->GetListCtrl().GetColumnHeaderImage(2).isNull());
    const std::vector<std::string> descending = RowUrls();
    for (int row = 1; row < rows; ++row)
        EXPECT_GE(CompareLinks(*m_list->RowInfo(row - 1), *m_list->RowInfo(row), 4), 0) << row;
    // Pages (kind group) come before the files ascending, after them descending.
    EXPECT_EQ(descending.front(), m_folder / "site/notes.txt") << "the larger file first";
    EXPECT_EQ(descending.back(), m_folder / "site/missing.html") << "the page of unknown size last";
    EXPECT_EQ(std::vector<std::string>(descending.rbegin(), descending.rend()), ascending);

    // Another column takes over and keeps the direction.
    m_list->OnColumnClick(2);
    EXPECT_EQ(m_list->GetSortDirection(), -1);
    EXPECT_EQ(m_list->RowInfo(0)->m_url, m_folder / "site/pic.png");
}

TEST_F(LinkListViewTest, RowsAreColouredByStateOnlyWhileColouringIsOn)
{
    m_list->FillList(0, true);
    const int broken = RowOf(m_folder / "site/missing.html");
    const int page = RowOf(m_folder / "site/a.html");
    ASSERT_GE(broken, 0);
    ASSERT_GE(page, 0);
    EXPECT_EQ(m_list->RowInfo(broken)->m_state, kStateBroken);
    EXPECT_EQ(m_list->RowBackground(broken), QColor(255, 200, 200));
    // a.html holds a broken link (sub/none.html).
    EXPECT_EQ(m_list->RowBackground(page), QColor(250, 250, 220));

    m_crawl.Settings().SetInt(SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 0);
    EXPECT_EQ(m_list->RowBackground(broken), std::nullopt);
    EXPECT_EQ(m_list->RowBackground(page), std::nullopt);
}

TEST_F(LinkListViewTest, TheSelectionGivesItsUrlsAndCopyFollowsTheRules)
{
    m_list->FillList(0, true);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    std::string url = "stale";
    EXPECT_FALSE(m_list->GetSingleSelectedUrl(url));
    EXPECT_EQ(url, "");
    EXPECT_TRUE(m_list->CanCopy()) << "nothing selected, but a page in the tree";

    ASSERT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_TRUE(m_list->GetSingleSelectedUrl(url));
    EXPECT_EQ(url, m_folder / "site/notes.txt");
    EXPECT_TRUE(m_list->CanCopy());

    ASSERT_TRUE(list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(m_list->GetSingleSelection(), nullptr);
    EXPECT_FALSE(m_list->CanCopy());
    EXPECT_EQ(m_list->SelectedUrls(), (m_folder / "site/notes.txt") + "\r\n" + (m_folder / "site/sub/c.html"));
    m_list->SetLocked(true);
    EXPECT_TRUE(m_list->CanCopy());
}

TEST_F(LinkListViewTest, ADelayedFillWaitsAndListingDescendantsReachesBelowThePage)
{
    m_list->FillList(0, true);
    ASSERT_EQ(m_list->GetListCtrl().GetItemCount(), 5);
    ASSERT_TRUE(m_tree->SelectLink(IdOf(m_folder / "site/a.html")));
    m_list->FillList(CLinkListView::kDeferredFillMs, false);
    EXPECT_EQ(m_list->GetListCtrl().GetItemCount(), 5) << "not yet";
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_list->GetListCtrl().GetItemCount() == 3; }, 5000));

    ASSERT_TRUE(m_tree->SelectLink(IdOf(m_start)));
    m_list->SetListingDescendants(true);
    const std::vector<std::string> urls = RowUrls();
    EXPECT_GT(urls.size(), 5u);
    EXPECT_NE(std::find(urls.begin(), urls.end(), m_folder / "site/sub/none.html"), urls.end());
}
TEST_F(LinkListViewTest, CommandsActOnEverySelectedRow)
{
    m_list->SetListingDescendants(true);
    EXPECT_EQ(m_list->QueryCommandState(ID_VIEW_ALL_DESCENDANTS).GetCheck(), 1);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    const int rows = list.GetItemCount();
    EXPECT_FALSE(m_list->QueryCommandState(ID_EDIT_COPY).IsEnabled());
    EXPECT_FALSE(m_list->QueryCommandState(ID_EDIT_CUT).IsEnabled());
    EXPECT_FALSE(m_list->QueryCommandState(ID_EDIT_PASTE).IsEnabled());
    ASSERT_TRUE(m_list->QueryCommandState(ID_EDIT_SELECT_ALL).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_EDIT_SELECT_ALL));
    EXPECT_EQ(list.GetSelectedCount(), rows);
    EXPECT_FALSE(m_list->QueryCommandState(ID_EDIT_SELECT_ALL).IsEnabled());
    EXPECT_FALSE(m_list->QueryCommandState(ID_LINK_GO_TO_PARENT).IsEnabled()) << "several rows";

    CRecordingClipboard clipboard;
    ASSERT_TRUE(m_list->ExecuteCommand(ID_EDIT_COPY));
    ASSERT_TRUE(clipboard.m_text.has_value());
    const std::string copied = *clipboard.m_text;
    EXPECT_EQ(copied, m_list->SelectedUrls());
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), rows - 1);

    // Go to Parent: the row found on a.html selects a.html in the tree.
    for (int row = 0; row < rows; ++row)
        (void)list.SetItemState(row, 0, LVIS_SELECTED);
    const int none = RowOf(m_folder / "site/sub/none.html");
    ASSERT_GE(none, 0);
    ASSERT_TRUE(list.SetItemState(none, LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_GO_TO_PARENT).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_GO_TO_PARENT));
    EXPECT_EQ(m_tree->GetSelectedLinkId(), IdOf(m_folder / "site/a.html"));

    // Resume queues the broken row again and the check runs once more.
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_RESUME).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_RESUME));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_tree->GetEngine().IsRunning(); }, 60000));
    m_list->SetListingDescendants(false);
    EXPECT_FALSE(m_list->QueryCommandState(ID_LINK_STOP).IsEnabled()) << "nothing selected";
    EXPECT_EQ(m_list->QueryCommandState(ID_VIEW_ALL_DESCENDANTS).GetCheck(), 0);
}
TEST_F(LinkListViewTest, EnterOpensAPageOrChecksABrokenRowAgainAndBackspaceGoesUp)
{
    m_list->FillList(0, true);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    QWidget* rows = list.ReportView();
    const int broken = RowOf(m_folder / "site/missing.html");
    ASSERT_GE(broken, 0);
    CLinkInfo before = *m_list->RowInfo(broken);
    EXPECT_FALSE(CLinkListView::IsNavigable(before));
    EXPECT_EQ(m_tree->GetEngine().QueryLinkInfo(before), 0) << "unchanged until it is checked again";
    ASSERT_TRUE(list.SetItemState(broken, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    const int root = m_tree->GetSelectedLinkId();
    QTest::keyClick(rows, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_tree->GetEngine().IsRunning(); }, 60000));
    EXPECT_NE(m_tree->GetEngine().QueryLinkInfo(before) & CLinkNode::kCopiedContent, 0) << "checked again";
    EXPECT_EQ(m_tree->GetSelectedLinkId(), root) << "a broken row opens nothing";

    // A fetched page: the tree selects it and the list shows its links.
    m_list->FillList(0, true);
    const int page = RowOf(m_folder / "site/a.html");
    ASSERT_GE(page, 0);
    EXPECT_TRUE(CLinkListView::IsNavigable(*m_list->RowInfo(page)));
    for (int row = 0; row < list.GetItemCount(); ++row)
        (void)list.SetItemState(row, 0, LVIS_SELECTED);
    ASSERT_TRUE(list.SetItemState(page, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(m_tree->GetSelectedLinkId(), IdOf(m_folder / "site/a.html"));
    m_list->FillList(0, false);
    EXPECT_EQ(list.GetItemCount(), 3);

    // Backspace: back to the page above, listed at once.
    QTest::keyClick(rows, Qt::Key_Backspace);
    EXPECT_EQ(m_tree->GetSelectedLinkId(), root);
    EXPECT_EQ(list.GetItemCount(), 5);
}
TEST_F(LinkListViewTest, EachViewModeSetsItsStyleAndThumbnailsShowOnePlaceholder)
{
    m_list->FillList(0, true);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    const int rows = list.GetItemCount();
    ASSERT_EQ(rows, 5);
    EXPECT_FALSE(list.GetColumnHeaderImage(2).isNull()) << "details show the sort arrow";
    const UINT styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    for (int mode = 0; mode < 4; ++mode)
    {
        m_list->SetViewMode(mode);
        EXPECT_EQ(list.GetView(), styles[mode]) << mode;
        EXPECT_EQ(list.GetColumnHeaderImage(2).isNull(), mode != 3) << mode;
    }

    m_list->SetViewMode(4);
    EXPECT_EQ(list.GetView(), LVS_ICON);
    ASSERT_EQ(list.GetItemCount(), rows);
    const CImageList* images = list.GetImageList(LVSIL_NORMAL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetIconSize(), QSize(80, 60)) << "the thumbnail size itself";
    for (int row = 0; row < rows; ++row)
        EXPECT_EQ(list.GetItemImage(row), 0) << row;
    // The rows' URLs are collected for pictures that nothing makes yet.
    const CThumbnailWorker* worker = m_list->GetThumbnailWorker();
    ASSERT_NE(worker, nullptr);
    EXPECT_FALSE(worker->IsRunning());
    EXPECT_EQ(worker->GetUrlCount(), size_t(rows));
    EXPECT_TRUE(worker->HasUrl(m_folder / "site/pic.png"));

    // Leaving thumbnails gives each row its link icon back.
    m_list->SetViewMode(3);
    EXPECT_EQ(m_list->GetThumbnailWorker(), nullptr);
    std::set<int> icons;
    for (int row = 0; row < rows; ++row)
        icons.insert(list.GetItemImage(row));
    EXPECT_GT(icons.size(), 1u);
}
TEST_F(LinkListViewTest, TheInfoPaneShowsThePageOfTheChosenLinkInEachMode)
{
    m_list->FillList(0, true);
    CHTMLEditView& pane = *m_linkView->GetEditView();
    const std::string site = m_folder / "site/";

    // No row selected: the tree's page, its content in the parsed view.
    EXPECT_EQ(m_list->GetShownLinkId(), m_tree->GetSelectedLinkId());
    EXPECT_EQ(pane.GetMode(), CHTMLEditView::kModeHtml);
    EXPECT_NE(PaneText().find("<a href=\"a.html\">A</a>"), std::string::npos) << PaneText();
    EXPECT_EQ(m_linkView->GetBarText(), m_start);

    // Content of a text file, of a broken link and of an image.
    SelectOnly(RowOf(site + "notes.txt"));
    EXPECT_EQ(PaneText(), std::string(3000, 'n'));
    EXPECT_EQ(pane.GetMode(), CHTMLEditView::kModeText);
    EXPECT_EQ(m_linkView->GetBarText(), site + "notes.txt");
    SelectOnly(RowOf(site + "missing.html"));
    EXPECT_EQ(PaneText(), "\tNot available.");
    // The site's picture is not a real one; a real one is shown.
    SelectOnly(RowOf(site + "pic.png"));
    EXPECT_EQ(PaneText(), "\tNot available.");
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(site + "pic.png"), "PNG"));
    SelectOnly(RowOf(site + "a.html"));
    SelectOnly(RowOf(site + "pic.png"));
    EXPECT_EQ(pane.GetMode(), CHTMLEditView::kModeImage);

    // A local link has no transfer log; the information page always exists.
    SelectOnly(RowOf(site + "notes.txt"));
    m_list->SetInfoMode(CLinkListView::kInfoLog);
    EXPECT_EQ(m_linkView->GetCurrentPage(), CLinkListView::kInfoLog);
    EXPECT_EQ(PaneText(), "\tNot available.");
    m_list->SetInfoMode(CLinkListView::kInfoInformation);
    EXPECT_NE(PaneText().find(site + "notes.txt"), std::string::npos) << PaneText();
    EXPECT_EQ(pane.GetMode(), CHTMLEditView::kModeText);

    // The HTML pages are for pages only.
    m_list->SetInfoMode(CLinkListView::kInfoHtmlTags);
    EXPECT_EQ(PaneText(), "\tNot available.");
    SelectOnly(RowOf(site + "a.html"));
    EXPECT_EQ(pane.GetMode(), CHTMLEditView::kModeHtml);
    EXPECT_NE(PaneText().find("href"), std::string::npos) << PaneText();
    m_list->SetInfoMode(CLinkListView::kInfoContent);

    // Several rows: a note, and no address.
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    ASSERT_TRUE(list.SetItemState(RowOf(site + "notes.txt"), LVIS_SELECTED, LVIS_SELECTED));
    m_list->FillList(0, false);
    EXPECT_EQ(PaneText(), "\tMultiple items selected.");
    EXPECT_EQ(m_linkView->GetBarText(), "");

    // Locked, the pane keeps its link whatever is selected; unlocked it
    // follows again.
    SelectOnly(RowOf(site + "a.html"));
    const int page = IdOf(site + "a.html");
    EXPECT_EQ(m_list->GetShownLinkId(), page);
    m_list->SetLocked(true);
    SelectOnly(RowOf(site + "notes.txt"));
    EXPECT_EQ(m_list->GetShownLinkId(), page);
    EXPECT_EQ(m_linkView->GetBarText(), site + "a.html");
    m_list->SetLocked(false);
    EXPECT_EQ(m_list->GetShownLinkId(), IdOf(site + "notes.txt"));
    EXPECT_EQ(PaneText(), std::string(3000, 'n'));
}

TEST_F(LinkListViewTest, AFormRowShowsTheFormPageAndTheNextRowGoesBackToContent)
{
    const int form = ListTheFormPage();
    ASSERT_GE(form, 0);
    const int back = RowOf(m_folder / "site/a.html");
    ASSERT_GE(back, 0);
    CHTMLEditView& pane = *m_linkView->GetEditView();

    SelectOnly(form);
    EXPECT_EQ(m_list->GetInfoMode(), CLinkListView::kInfoForm);
    EXPECT_EQ(m_linkView->GetCurrentPage(), CLinkListView::kInfoForm);
    EXPECT_EQ(pane.GetMode(), CHTMLEditView::kModeForm);
    ASSERT_NE(pane.GetFormChild(), nullptr);

    SelectOnly(back);
    EXPECT_EQ(m_list->GetInfoMode(), CLinkListView::kInfoContent);
    EXPECT_EQ(m_linkView->GetCurrentPage(), CLinkListView::kInfoContent);
    EXPECT_NE(PaneText().find("<a href=\"index.html\">home</a>"), std::string::npos) << PaneText();

    // The form's content is its markup.
    SelectOnly(form);
    m_list->SetInfoMode(CLinkListView::kInfoContent);
    EXPECT_NE(PaneText().find("find.cgi"), std::string::npos) << PaneText();

    // Submitting it adds a link below the form, which the tree selects.
    const CLinkInfo submitted = *m_list->RowInfo(form);
    const int links = m_tree->GetEngine().GetLinkCount();
    m_list->SubmitForm(*submitted.m_form.Get());
    EXPECT_EQ(m_tree->GetEngine().GetLinkCount(), links + 1);
    ASSERT_NE(m_tree->GetSelectedInfo(), nullptr);
    EXPECT_NE(m_tree->GetSelectedInfo()->m_url.find("find.cgi"), std::string::npos);
    const int added = m_tree->GetSelectedLinkId();
    int referrer = 0;
    ASSERT_TRUE(m_tree->GetEngine().GetReferrerId(added, referrer));
    EXPECT_EQ(referrer, submitted.m_linkId);

    // The submit started a run of the engine's thread. The test waits for
    // its end, and for the list to follow the tree to the new link, rather
    // than leaving a running thread to the teardown.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !m_tree->GetEngine().IsRunning() && m_list->GetShownLinkId() == added; }, 60000));
    EXPECT_EQ(m_linkView->GetBarText(), m_tree->GetSelectedInfo()->m_url);
}

// The link view frame outlives the list in a closing task window (the list
// pane goes first): its tabs, its lock button and the form shown in its pane
// must not reach the list once it is gone.
TEST_F(LinkListViewTest, ALinkViewFrameLeftBehindNoLongerReachesTheGoneList)
{
    const int form = ListTheFormPage();
    ASSERT_GE(form, 0);
    SelectOnly(form);
    CHTMLEditView& pane = *m_linkView->GetEditView();
    ASSERT_EQ(pane.GetMode(), CHTMLEditView::kModeForm);
    ASSERT_NE(pane.GetFormChild(), nullptr);
    const int links = m_tree->GetEngine().GetLinkCount();

    delete m_list;
    m_list = nullptr;

    m_linkView->GetTabbedBar().Strip().SelectTab(LinkViewTabOfPage(CLinkListView::kInfoLog), true, false);
    EXPECT_EQ(m_linkView->GetCurrentPage(), CLinkListView::kInfoLog);
    (void)m_linkView->ExecuteCommand(ID_LOCK_BUTTON);
    CFormData& shown = pane.GetFormChild()->GetForm();
    for (int i = 0; i < shown.GetItemCount(); ++i)
        if (shown.GetItem(i)->m_typeName == "_SUBMIT_")
            pane.OnFormCommand(*shown.GetItem(i), 0);
    EXPECT_EQ(m_tree->GetEngine().GetLinkCount(), links) << "no form went to the engine";
}

TEST_F(LinkListViewTest, RowsAreColouredInTheIconModesTooAndSelectionKeepsItsColours)
{
    m_list->SetViewMode(1);
    m_list->FillList(0, true);
    auto* icons = m_list->GetListCtrl().findChild<QListView*>();
    ASSERT_NE(icons, nullptr);
    ASSERT_TRUE(icons->isVisible());
    const int broken = RowOf(m_folder / "site/missing.html");
    ASSERT_GE(broken, 0);
    const QColor tint(255, 200, 200);
    const auto tinted = [&] {
        const QRect rect = icons->visualRect(icons->model()->index(broken, 0));
        const QImage image = icons->viewport()->grab().toImage();
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                count += image.rect().contains(x, y) && QColor(image.pixel(x, y)) == tint;
        return count;
    };
    EXPECT_GT(tinted(), 0) << "the broken row's background";
    m_crawl.Settings().SetInt(SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 0);
    EXPECT_EQ(tinted(), 0);

    // A row shown as selected keeps the selection's colours.
    m_crawl.Settings().SetInt(SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 1);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    list.ModifyStyle(0, LVS_SHOWSELALWAYS);
    ASSERT_TRUE(list.SetItemState(broken, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(m_list->RowBackground(broken), tint);
    EXPECT_EQ(m_list->RowPaintBackground(broken), std::nullopt);
}

TEST_F(LinkListViewTest, FindSelectsTheNextMatchingRowOrSaysThatNoneMatches)
{
    m_list->FillList(0, true);
    m_driver.SetDialogScript([](QDialog& dialog) {
        auto* prompt = dynamic_cast<CDialog*>(&dialog);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Find in link list");
        QWidget* field = prompt->GetDlgItem(IDC_PROMPT_TEXT);
        TypeText(field, "NOTES");
        auto* combo = qobject_cast<QComboBox*>(field);
        QTest::keyClick(combo ? static_cast<QWidget*>(combo->lineEdit()) : field, Qt::Key_Return);
    });
    ASSERT_TRUE(m_list->ExecuteCommand(ID_EDIT_FIND));
    EXPECT_EQ(m_driver.DialogRuns(), 1);
    EXPECT_EQ(GetStringOf(m_crawl.Settings(), SETTING_LAST_SEARCH_TEXT), "NOTES");
    const CLinkInfo* found = m_list->GetSingleSelection();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->m_url, m_folder / "site/notes.txt");

    // Find Next takes the stored text without asking.
    m_crawl.Settings().SetString(SETTING_LAST_SEARCH_TEXT, "pic");
    ASSERT_TRUE(m_list->ExecuteCommand(ID_EDIT_FIND_NEXT));
    ASSERT_NE(m_list->GetSingleSelection(), nullptr);
    EXPECT_EQ(m_list->GetSingleSelection()->m_url, m_folder / "site/pic.png");
    m_crawl.Settings().SetString(SETTING_LAST_SEARCH_TEXT, "zzz");
    ASSERT_TRUE(m_list->ExecuteCommand(ID_EDIT_FIND_NEXT));
    EXPECT_EQ(m_driver.DialogRuns(), 1);
    ASSERT_FALSE(m_driver.Boxes().empty());
    EXPECT_EQ(m_driver.Boxes().back().m_text, "Cannot find the string 'zzz'.");
}

TEST_F(LinkListViewTest, NewTaskFromLinkOpensATaskForEachSelectedRowWithItsUrl)
{
    m_list->FillList(0, true);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    EXPECT_FALSE(m_list->QueryCommandState(ID_LINK_NEW_TASK).IsEnabled());
    const std::vector<std::string> urls = {m_folder / "site/a.html", m_folder / "site/notes.txt"};
    for (const std::string& url : urls)
        ASSERT_TRUE(list.SetItemState(RowOf(url), LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_NEW_TASK).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_NEW_TASK));
    ASSERT_EQ(m_openedTasks.size(), 2u);
    for (size_t i = 0; i < urls.size(); ++i)
    {
        EXPECT_EQ(m_openedTasks[i].GetUrl(), urls[i]);
        EXPECT_EQ(GetIntOr(m_openedTasks[i], TASK_RECURSION), 5) << "the task's own recursion";
    }
}

TEST_F(LinkListViewTest, SaveLinksAsWritesOneFileOrEverySelectedLinkIntoAFolder)
{
    m_list->FillList(0, true);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    CScriptedFilePicker picker;
    SelectOnly(RowOf(m_folder / "site/notes.txt"));
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_SAVE_AS).IsEnabled());
    picker.m_answers.push_back(m_folder / "saved.txt");
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_SAVE_AS));
    ASSERT_EQ(picker.m_fileRequests.size(), 1u);
    EXPECT_EQ(ReadWhole(m_folder / "saved.txt"), std::string(3000, 'n'));

    SelectOnly(RowOf(m_folder / "site/missing.html"));
    EXPECT_FALSE(m_list->QueryCommandState(ID_LINK_SAVE_AS).IsEnabled()) << "nothing to save";

    // Several rows go into a folder.
    ASSERT_TRUE(list.SetItemState(RowOf(m_folder / "site/a.html"), LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_TRUE(list.SetItemState(RowOf(m_folder / "site/notes.txt"), LVIS_SELECTED, LVIS_SELECTED));
    picker.m_answers.push_back(m_folder / "out");
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_SAVE_AS));
    ASSERT_EQ(picker.m_folderRequests.size(), 1u);
    EXPECT_EQ(ReadWhole(m_folder / "out/notes.txt"), std::string(3000, 'n'));
    EXPECT_EQ(ReadWhole(m_folder / "out/a.html"), ReadWhole(m_folder / "site/a.html"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder / "out"),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(LinkListViewTest, FindFirstLinkShowsARepeatedLinksFirstOccurrence)
{
    ASSERT_TRUE(m_tree->SelectLink(IdOf(m_folder / "site/a.html")));
    m_list->FillList(0, false);
    SelectOnly(RowOf(m_folder / "site/sub/none.html"));
    EXPECT_EQ(m_list->ContextDefaultCommand(), UINT(ID_LINK_RESUME));
    EXPECT_FALSE(m_list->QueryCommandState(ID_LINK_FIND_FIRST).IsEnabled());

    // c.html was found first on the start page.
    SelectOnly(RowOf(m_folder / "site/sub/c.html"));
    EXPECT_GT(m_list->GetSingleSelection()->m_repetition, 1);
    EXPECT_EQ(m_list->ContextDefaultCommand(), UINT(ID_LINK_FIND_FIRST));
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_FIND_FIRST).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_FIND_FIRST));
    EXPECT_EQ(m_tree->GetSelectedLinkId(), IdOf(m_folder / "site/sub/c.html"));
}
TEST_F(LinkListViewTest, ColumnZeroTakesTheRoomLeftAndTheLayoutIsKeptWhenTheViewGoes)
{
    QHeaderView* header = m_list->GetListCtrl().ReportView()->header();
    header->resizeSection(0, 40);
    std::vector<int> widths = GetColumnWidths(header);
    const int expected = AutoColumnWidth(header->width(), widths, 0, 180);
    ASSERT_NE(expected, 40);
    (void)PostMessage(CWidgetWindow::HandleOf(m_list), WM_VIEW_DEFERRED, CLinkListView::kLayoutAutoSize, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(header->sectionSize(0), expected);

    // A size change without Ctrl leaves the columns alone.
    header->resizeSection(0, 40);
    m_frame->resize(m_frame->width() + 40, m_frame->height());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(header->sectionSize(0), 40);

    header->resizeSection(3, 77);
    widths = GetColumnWidths(header);
    delete m_frame.data();
    std::vector<int> saved(widths.size(), 0);
    ASSERT_GT(ApplyListColumnsText(GetStringOf(m_crawl.Settings(), SETTING_LAYOUT_LINK_LIST_COLUMNS), saved), 0);
    EXPECT_EQ(saved, widths);
}
TEST_F(LinkListViewTest, EditOpensTheSelectedLocalTextsAndOpenInShellEveryUrl)
{
    m_list->FillList(0, true);
    COwnerDrawListCtrl& list = m_list->GetListCtrl();
    SelectOnly(RowOf(m_folder / "site/pic.png"));
    EXPECT_FALSE(m_list->QueryCommandState(ID_LINK_EDIT).IsEnabled()) << "an image";
    const std::vector<std::string> urls = {m_folder / "site/a.html", m_folder / "site/notes.txt"};
    for (const std::string& url : urls)
        ASSERT_TRUE(list.SetItemState(RowOf(url), LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_EDIT).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_EDIT));
    EXPECT_EQ(m_editedPaths, urls) << "the image is left out";
    EXPECT_EQ(m_tree->GetAttachedDocumentCount(), 2u) << "each editor is attached to the tree";

    CRecordingLauncher launcher;
    ASSERT_TRUE(m_list->QueryCommandState(ID_LINK_OPEN_IN_SHELL).IsEnabled());
    ASSERT_TRUE(m_list->ExecuteCommand(ID_LINK_OPEN_IN_SHELL));
    std::vector<std::string> expected = {m_folder / "site/pic.png"};
    expected.insert(expected.end(), urls.begin(), urls.end());
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> opened = launcher.m_opened;
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, expected);
}
TEST_F(LinkListViewTest, InATaskWindowTheListFindsItsLinkViewFrameAndStepsItsPages)
{
    CLinkTreeViewServices services = TaskWindowServices(m_crawl.Transport(), m_crawl.Settings(), nullptr, &m_logs);
    auto* window = new CLinkTreeFrame(&m_crawl.Settings(), services);
    QPointer<CLinkTreeFrame> alive(window);
    CLinkListView* list = window->GetListView();
    list->CreateList();
    EXPECT_EQ(list->GetLinkViewFrame(), window->GetLinkViewFrame());
    // The frame's page keys reach this list's info mode.
    ASSERT_TRUE(window->GetLinkViewFrame()->ExecuteCommand(ID_TAB_PREVIOUS));
    EXPECT_EQ(list->GetInfoMode(), CLinkListView::kInfoHtmlText);
    delete alive.data();
}
} // namespace
