// The text-editor window in the main window: a local file opened for editing
// shows its text with the colouring its extension calls for, an edit and
// File > Save write the file byte for byte, a write that fails is reported
// and keeps the changes, and closing with changes asks first.

#include "../checker/FakeCrawlTransport.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNames.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/EditLine.h"
#include "editor/EditTextBuffer.h"
#include "editor/SyntaxColorizer.h"
#include "editor/ui/HTMLEditView.h"
#include "editor/ui/LinkColorizer.h"
#include "foundation/files/FileSystem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/ResourceIds.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TextWindows.h"
#include "transfer/base/LogRegistry.h"
#include "widgets/TabbedBar.h"

#include "tests/support/FileContents.h"
#include "tests/support/TextWindowsFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QTest>

#include <memory>
#include <string>

namespace
{
// Lines with CR LF, a lone LF, a tab and no line end at the last.
const std::string kSample = "first line\r\n\tsecond\nthird\r\nlast";

class EditWindowTest : public CTextWindowsFixture
{
protected:
    void SetUp() override
    {
        m_settings.SetInt(SETTING_LAYOUT_TABBEDBAR_VISIBLE, 1);
        m_settings.SetInt(SETTING_PROMPTS_SAVE, 1);
        ASSERT_NO_FATAL_FAILURE(OpenTextWindows(CMainFrame::CHooks()));
    }

    void TearDown() override
    {
        // Whatever a test left modified closes without asking.
        if (m_manager)
        {
            for (CTanglewardenDoc* document : m_manager->GetDocumentsOfKind(kKindTextEditor))
                document->SetModifiedFlag(false);
        }
        CTextWindowsFixture::TearDown();
    }

    // Opens the file as the tree view's Edit and File > Open do.
    CHTMLEditView* Open(const std::string& path)
    {
        m_document = m_manager->OpenEditDocument(path);
        return m_document ? FindEditView(*m_document) : nullptr;
    }
    CFrameWnd* Frame(CHTMLEditView& view) { return view.GetParentFrame(); }
    // Types text at the start of the text, as the user does.
    static void TypeAtStart(CHTMLEditView& view, const std::string& text)
    {
        view.MoveCaretTo(0, 0, true);
        view.InsertText(text);
    }
    // The colour of the editor tab's text (the modified mark is red).
    QColor TabColor()
    {
        CTabStripWnd& strip = m_frame->GetTabbedBar()->Strip();
        for (int i = 0; i < strip.GetTabCount(); ++i)
        {
            if (strip.GetTabText(i).rfind("Edit: ", 0) == 0)
                return strip.GetTabTextColor(i);
        }
        return {};
    }

    CScriptedFilePicker m_picker;
    CTanglewardenDoc* m_document = nullptr;
};
} // namespace

TEST_F(EditWindowTest, ALocalFileShowsItsTextEditableWithTheColouringOfItsExtension)
{
    struct Case
    {
        const char* m_name;
        int m_colorMode; // -100: no colouriser
        bool m_linkColorizer;
    };
    const Case cases[] = {
        {"notes.txt", -100, false},
        {"main.cpp", 3, false},
        {"types.H", 3, false},
        {"page.htm", 1, true},
        {"index.HTML", 1, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        const std::string path = m_temp / c.m_name;
        WriteWhole(path, kSample);
        CHTMLEditView* view = Open(path);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(TextOf(*view), kSample);
        EXPECT_EQ(view->GetBuffer(), m_document->GetText());
        EXPECT_TRUE(view->IsEditable());
        EXPECT_GT(view->GetGutterWidth(), 0);
        EXPECT_FALSE(m_document->IsModified());
        EXPECT_EQ(m_document->GetPathName(), path);
        EXPECT_EQ(dynamic_cast<const CLinkColorizer*>(view->GetColorizer()) != nullptr, c.m_linkColorizer);
        const auto* colorizer = dynamic_cast<const CSyntaxColorizer*>(view->GetColorizer());
        EXPECT_EQ(colorizer ? colorizer->GetMode() : -100, c.m_colorMode);
        auto* frame = dynamic_cast<CTanglewardenFrame*>(Frame(*view));
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->GetFrameTitle(), path);
        // Opening it again brings the same window back.
        EXPECT_EQ(m_manager->OpenEditDocument(path), m_document);
    }
    EXPECT_EQ(m_manager->GetDocumentsOfKind(kKindTextEditor).size(), std::size(cases));
}

TEST_F(EditWindowTest, AnEditAndSaveWriteTheFileByteForByteAndClearTheModifiedMark)
{
    const std::string path = m_temp / "notes.txt";
    WriteWhole(path, kSample);
    CHTMLEditView* view = Open(path);
    ASSERT_NE(view, nullptr);
    const QColor plain = TabColor();
    ASSERT_TRUE(plain.isValid());

    TypeAtStart(*view, "new ");
    EXPECT_TRUE(m_document->IsModified());
    EXPECT_EQ(TabColor(), QColor(Qt::red));
    EXPECT_EQ(ReadWhole(path), kSample); // nothing written before Save

    ASSERT_TRUE(Frame(*view)->ExecuteCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadWhole(path), "new " + kSample);
    EXPECT_FALSE(m_document->IsModified());
    EXPECT_EQ(TabColor(), plain);
    EXPECT_TRUE(m_driver.Boxes().empty());
    EXPECT_TRUE(m_picker.m_fileRequests.empty());

    // An Enter splits the line with CR LF, which is saved as it stands.
    view->MoveCaretTo(0, 3, true);
    view->InsertText("\r\n");
    ASSERT_TRUE(Frame(*view)->ExecuteCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadWhole(path), "new\r\n " + kSample);
}

TEST_F(EditWindowTest, ASaveAsThatCannotWriteIsReportedAndKeepsTheChanges)
{
    const std::string path = m_temp / "notes.txt";
    WriteWhole(path, kSample);
    CHTMLEditView* view = Open(path);
    ASSERT_NE(view, nullptr);
    TypeAtStart(*view, "kept ");

    const std::string unwritable = m_temp / "no such folder/notes.txt";
    m_picker.m_answers.push_back(unwritable);
    ASSERT_TRUE(Frame(*view)->ExecuteCommand(ID_FILE_SAVE_AS));
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_NE(m_driver.Boxes()[0].m_text.find(unwritable), std::string::npos);
    EXPECT_TRUE(m_document->IsModified());
    EXPECT_EQ(TabColor(), QColor(Qt::red));
    EXPECT_EQ(TextOf(*view), "kept " + kSample);
    EXPECT_EQ(m_document->GetPathName(), path);
    EXPECT_EQ(ReadWhole(path), kSample);

    // Save As to a good name then takes that name.
    const std::string copy = m_temp / "copy.txt";
    m_picker.m_answers.push_back(copy);
    ASSERT_TRUE(Frame(*view)->ExecuteCommand(ID_FILE_SAVE_AS));
    EXPECT_EQ(ReadWhole(copy), "kept " + kSample);
    EXPECT_EQ(m_document->GetPathName(), copy);
    EXPECT_FALSE(m_document->IsModified());
    EXPECT_EQ(dynamic_cast<CTanglewardenFrame*>(Frame(*view))->GetFrameTitle(), copy);
}

TEST_F(EditWindowTest, ClosingWithChangesAsksAndNoLeavesTheFileUntouched)
{
    const std::string path = m_temp / "notes.txt";
    WriteWhole(path, kSample);
    CHTMLEditView* view = Open(path);
    ASSERT_NE(view, nullptr);
    TypeAtStart(*view, "dropped ");
    QPointer<QWidget> window = Frame(*view)->parentWidget();
    ASSERT_TRUE(window);

    m_driver.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Save changes to " + path + "?");
    EXPECT_EQ(m_manager->GetDocumentsOfKind(kKindTextEditor).size(), 1u);

    m_driver.QueueAnswer(IDNO);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(m_driver.Boxes().size(), 2u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_manager->GetDocumentsOfKind(kKindTextEditor).empty());
    EXPECT_EQ(ReadWhole(path), kSample);
}

TEST_F(EditWindowTest, AFileThatCannotBeReadShowsWhyAndIsNeverSavedOverWithThatText)
{
    const std::string path = m_temp / "missing.txt";
    CHTMLEditView* view = Open(path);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(TextOf(*view), "ERROR: cannot open local file");
    EXPECT_FALSE(m_document->IsModified());
    EXPECT_TRUE(m_document->GetPathName().empty());

    // Save asks for a name; cancelled, nothing is written anywhere.
    ASSERT_TRUE(Frame(*view)->ExecuteCommand(ID_FILE_SAVE));
    EXPECT_EQ(m_picker.m_fileRequests.size(), 1u);
    EXPECT_FALSE(FileExists(path));
    // The window closes without a question.
    EXPECT_TRUE(Frame(*view)->parentWidget()->close());
    EXPECT_TRUE(m_driver.Boxes().empty());
}

// A page opened from a task window asks the task's engine about its links
// while that window lives; afterwards it tests the files beside it again, so
// it never reaches an engine that is gone.
TEST_F(EditWindowTest, APageFromATaskWindowColoursItsLinksByTheEngineUntilTheWindowGoes)
{
    const std::string page = m_temp / "page.html";
    WriteWhole(page, "<a href=\"beside.html\">here</a>\r\n");
    WriteWhole(m_temp / "beside.html", "<p>beside</p>");
    CHTMLEditView* view = Open(page);
    ASSERT_NE(view, nullptr);
    auto linkState = [&view] {
        const auto* colorizer = dynamic_cast<const CLinkColorizer*>(view->GetColorizer());
        return colorizer ? colorizer->GetLinkState("beside.html") : -1;
    };
    EXPECT_EQ(linkState(), kStateDownloaded); // the file exists

    CFakeCrawlTransport transport;
    CLinkCheckerServices services;
    services.m_transport = &transport;
    services.m_settings = &m_settings;
    CLinkChecker engine(services); // it has met no link: it knows none
    ColorEditorLinksByEngine(*m_document, &engine, 100);
    EXPECT_EQ(view->GetLinkContext(), 100);
    EXPECT_EQ(linkState(), kStateUnknown);

    // Edited from a second task window: the first window going leaves the
    // second's colours; the second going brings back the files beside.
    CLinkChecker second(services);
    ColorEditorLinksByEngine(*m_document, &second, 200);
    StopColoringEditorLinksByEngine(*m_document, &engine);
    EXPECT_EQ(view->GetLinkContext(), 200);
    EXPECT_EQ(linkState(), kStateUnknown);
    StopColoringEditorLinksByEngine(*m_document, &second);
    EXPECT_EQ(view->GetLinkContext(), 0);
    EXPECT_EQ(linkState(), kStateDownloaded);
    EXPECT_EQ(TextOf(*view), "<a href=\"beside.html\">here</a>\r\n");

    ColorEditorLinksByEngine(*m_document, &engine, 100);
    ColorEditorLinksByEngine(*m_document, nullptr, 0);
    EXPECT_EQ(view->GetLinkContext(), 0);
    EXPECT_EQ(linkState(), kStateDownloaded);

    // A plain text window has no links to colour.
    const std::string notes = m_temp / "notes.txt";
    WriteWhole(notes, kSample);
    CHTMLEditView* text = Open(notes);
    ASSERT_NE(text, nullptr);
    ColorEditorLinksByEngine(*m_document, &engine, 100);
    EXPECT_EQ(text->GetColorizer(), nullptr);
}
