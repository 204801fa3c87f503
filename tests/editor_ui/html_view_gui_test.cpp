#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "checker/FormData.h"
#include "checker/FormItem.h"
#include "checker/ui/FormWnd.h"
#include "widgets/PictureWnd.h"
#include "editor/EditTextBuffer.h"
#include "editor/ui/HTMLColorScheme.h"
#include "editor/ui/HTMLEditView.h"
#include "platform/ui/ChildTabColor.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/ResourceIds.h"
#include "widgets/TextPromptDlg.h"

#include "tests/support/QtApplication.h"

#include "../editor/BufferText.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <vector>

namespace
{
// A top-level frame with a tab bar reduced to the colours it was given.
class CTabFrame : public CFrameWnd, public IChildTabColor
{
public:
    void SetChildTabColor(CFrameWnd* child, int color) override
    {
        m_child = child;
        m_colors.push_back(color);
    }
    CFrameWnd* m_child = nullptr;
    std::vector<int> m_colors;
};

class HTMLViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_frame = new CTabFrame;
        m_view = new CHTMLEditView(m_frame);
        m_frame->setCentralWidget(m_view);
        m_frame->resize(640, 400);
        static_cast<CView*>(m_view)->OnInitialUpdate();
        m_frame->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { delete m_frame; }

    std::string Text() const { return WholeText(*m_view->GetBuffer()); }

    CTempFolder m_folder;
    CTabFrame* m_frame = nullptr;
    CHTMLEditView* m_view = nullptr;
};
}

TEST_F(HTMLViewTest, LoadFailuresShowTheirTextInTheView)
{
    const std::string notThere = m_folder / "none.html";
    const struct
    {
        std::string path;
        const char* text;
    } cases[] = {
        {"", "ERROR: empty file name"},
        {notThere, "ERROR: cannot open local file"},
    };
    for (const auto& c : cases)
    {
        WriteWhole(m_folder / "ok.txt", "earlier text");
        ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "ok.txt", true));
        EXPECT_FALSE(m_view->LoadLocalFile(c.path, true)) << c.text;
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(m_view->GetMode(), CHTMLEditView::kModeText);
        EXPECT_EQ(m_view->GetFilePath(), c.path);
        EXPECT_FALSE(m_view->LoadPageFile(c.path, true, nullptr, 7, false)) << c.text;
        EXPECT_EQ(Text(), c.text);
    }
}

TEST_F(HTMLViewTest, TolerantPageLoadShowsAnEmptyPage)
{
    EXPECT_TRUE(m_view->LoadPageFile("", true, nullptr, 3, true));
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(m_view->GetMode(), CHTMLEditView::kModeHtml);
    EXPECT_EQ(m_view->GetLinkContext(), 3);
}

TEST_F(HTMLViewTest, FileWithNulBytesLoadsWithQuestionMarks)
{
    WriteWhole(m_folder / "nul.txt", std::string("a\0b\0", 4));
    ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "nul.txt", false));
    EXPECT_EQ(Text(), "a?b?");
    EXPECT_FALSE(m_view->IsLocked());
}

TEST_F(HTMLViewTest, ReloadingTheSamePathKeepsThePlace)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\n";
    WriteWhole(m_folder / "a.txt", text);
    WriteWhole(m_folder / "A.txt", text);
    ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "a.txt", true));
    m_view->SetScrollPosition(100, 0);
    m_view->SetSelection(120, 0, 120, 4, false);
    ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "a.txt", true));
    int top = 0;
    int left = 0;
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 100);
    EXPECT_EQ(m_view->GetSelection().m_caretLine, 120);
    // Another path, even one differing only in case, starts at the top.
    ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "A.txt", true));
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(m_view->GetSelection().m_caretLine, 0);
}

TEST_F(HTMLViewTest, ModesSwitchTheLayers)
{
    WriteWhole(m_folder / "p.html", "<a href=\"x.html\">x</a>");
    ASSERT_TRUE(m_view->LoadPageFile(m_folder / "p.html", true, nullptr, 0, false));
    EXPECT_TRUE(m_view->IsTextAreaEnabled());
    EXPECT_FALSE(m_view->SetImage(m_folder / "missing.png"));
    EXPECT_EQ(m_view->GetMode(), CHTMLEditView::kModeImage);
    EXPECT_FALSE(m_view->IsTextAreaEnabled());
    EXPECT_TRUE(m_view->IsRedrawLocked());
    ASSERT_NE(m_view->GetImageChild(), nullptr);
    EXPECT_TRUE(m_view->GetImageChild()->isVisible());
    m_view->ShowEmpty();
    EXPECT_FALSE(m_view->GetImageChild()->isVisible());
    EXPECT_FALSE(m_view->IsRedrawLocked());
    EXPECT_EQ(Text(), "");
}

TEST_F(HTMLViewTest, FindWrapsOnceThenSaysItCannotFind)
{
    CRecordingModalDriver driver;
    WriteWhole(m_folder / "f.txt", "alpha beta\ngamma beta\n");
    ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "f.txt", true));
    std::string offered;
    std::string typed = "beta";
    driver.SetDialogScript([&](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr);
        offered = combo->currentText().toStdString();
        combo->lineEdit()->setText(QString::fromStdString(typed));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    });
    m_view->SetSelection(0, 1, 0, 1, false);
    m_view->ExecuteCommand(ID_EDIT_FIND);
    EXPECT_EQ(offered, "alpha") << "the word at the caret";
    EXPECT_EQ(m_view->GetSelection().m_caretLine, 0);
    EXPECT_EQ(m_view->GetSelection().m_anchorColumn, 6);
    m_view->ExecuteCommand(ID_EDIT_FIND_NEXT);
    EXPECT_EQ(m_view->GetSelection().m_caretLine, 1);
    m_view->ExecuteCommand(ID_EDIT_FIND_NEXT);
    EXPECT_EQ(m_view->GetSelection().m_caretLine, 0) << "wrapped to the top";
    EXPECT_EQ(driver.DialogRuns(), 1);
    EXPECT_TRUE(driver.Boxes().empty());

    // A selection on one line is offered; a missing text is reported.
    m_view->SetSelection(1, 0, 1, 5, false);
    typed = "delta";
    m_view->ExecuteCommand(ID_EDIT_FIND);
    EXPECT_EQ(offered, "gamma");
    ASSERT_EQ(driver.Boxes().size(), 1u);
    EXPECT_EQ(driver.Boxes()[0].m_text, "Cannot find delta");

    // A selection over two lines offers the word at the caret instead.
    m_view->SetSelection(0, 0, 1, 2, false);
    m_view->ExecuteCommand(ID_EDIT_FIND);
    EXPECT_EQ(offered, "gamma");
}

TEST_F(HTMLViewTest, LinksAreDrawnInTheColoursOfTheirState)
{
    WriteWhole(m_folder / "there.html", "x");
    WriteWhole(m_folder / "page.html", "<a href=\"there.html\">ok</a>\n<a href=\"gone.html\">bad</a>\n");
    ASSERT_TRUE(m_view->LoadPageFile(m_folder / "page.html", true, nullptr, 0, false));
    m_view->ShowLineNumbers(true, true);
    QCoreApplication::processEvents();
    const QImage image = m_view->grab().toImage();
    if (const char* shot = std::getenv("TW_HTML_VIEW_SHOT"))
        image.save(QString::fromUtf8(shot));
    const auto& scheme = static_cast<const CHTMLColorScheme&>(m_view->GetScheme());
    const auto has = [&image](COLORREF color, int top, int bottom) {
        const QColor wanted(RedOf(color), GreenOf(color), BlueOf(color));
        for (int y = top; y < bottom && y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == wanted)
                    return true;
        return false;
    };
    const int lineHeight = m_view->GetLineHeight();
    EXPECT_TRUE(has(scheme.GetLinkTint(17), 0, lineHeight)) << "the OK link's tint on line 1";
    EXPECT_FALSE(has(scheme.GetLinkTint(18), 0, lineHeight));
    EXPECT_TRUE(has(scheme.GetLinkTint(18), lineHeight, 2 * lineHeight)) << "the broken link's tint on line 2";
    EXPECT_TRUE(has(CHTMLColorScheme::MarkerFor(1)->m_color, 0, lineHeight)) << "gutter image of an OK link";
    EXPECT_TRUE(has(CHTMLColorScheme::MarkerFor(2)->m_color, lineHeight, 2 * lineHeight))
        << "gutter image of a broken link";
}

TEST_F(HTMLViewTest, OnlySubmitToServerHandsTheFormOn)
{
    CFormData form;
    form.SetActionAndMethod("<form method=get><input name=q value=one>"
                            "<input type=submit name=go value=Go></form>",
                            "http://example.com/find");
    form.BuildPage();
    int handed = 0;
    m_view->SetFormTarget([&handed](const CFormData&) { ++handed; });
    m_view->ShowFromView(form);
    ASSERT_EQ(m_view->GetMode(), CHTMLEditView::kModeForm);
    ASSERT_NE(m_view->GetFormChild(), nullptr);
    CFormData& shown = m_view->GetFormChild()->GetForm();
    CFormItem* submit = nullptr;
    CFormItem* toServer = nullptr;
    for (int i = 0; i < shown.GetItemCount(); ++i)
    {
        if (shown.GetItem(i)->m_typeName == "SUBMIT")
            submit = shown.GetItem(i);
        if (shown.GetItem(i)->m_typeName == "_SUBMIT_")
            toServer = shown.GetItem(i);
    }
    ASSERT_NE(submit, nullptr);
    ASSERT_NE(toServer, nullptr);
    m_view->OnFormCommand(*submit, 0);
    EXPECT_EQ(handed, 0);
    EXPECT_NE(shown.GetSubmitString().find("go=Go"), std::string::npos) << shown.GetSubmitString();
    m_view->OnFormCommand(*toServer, 1);
    EXPECT_EQ(handed, 0) << "only a click acts";
    m_view->OnFormCommand(*toServer, 0);
    EXPECT_EQ(handed, 1);
}

TEST_F(HTMLViewTest, ModifiedTextColoursTheTabRed)
{
    WriteWhole(m_folder / "e.txt", "abc");
    ASSERT_TRUE(m_view->LoadLocalFile(m_folder / "e.txt", false));
    m_view->SetSavePoint();
    m_frame->m_colors.clear();
    m_view->InsertText("x");
    ASSERT_FALSE(m_frame->m_colors.empty());
    EXPECT_EQ(m_frame->m_child, m_frame);
    EXPECT_EQ(m_frame->m_colors.back(), 0x0000FF);
    m_view->Undo();
    EXPECT_EQ(m_frame->m_colors.back(), -1);
}
