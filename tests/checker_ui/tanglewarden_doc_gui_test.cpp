// The task document: a task or a text saved atomically (a failed Save or
// Save As leaves what stood at the name whole), the save question and its
// setting, and documents without content that close without asking.

#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/EditTextBuffer.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/DocManager.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/View.h"

#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <sys/stat.h>

namespace
{
class TanglewardenDocTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_settings.SetInt(SETTING_PROMPTS_SAVE, 1);
        m_template = m_manager.AddDocTemplate(std::make_unique<CDocTemplate>(
            129, "\nTanglewarden\nTanglewarden\nTanglewarden Doc (*.vbb)\n.vbb\nTanglewarden.Document",
            [this] { return std::make_unique<CTanglewardenDoc>(m_settings); },
            [](CDocument& document) {
                auto* frame = new CFrameWnd;
                frame->setAttribute(Qt::WA_DeleteOnClose);
                auto* view = new CView(frame);
                frame->setCentralWidget(view);
                document.AddView(view);
                return frame;
            }));
    }
    void TearDown() override
    {
        for (CDocument* document : m_template->GetDocuments())
            document->SetModifiedFlag(false);
        m_manager.CloseAllDocuments();
        // The closed frames delete themselves later (WA_DeleteOnClose), which
        // no event loop of this test would ever reach: left over, they would
        // be torn down with the application at exit, after Qt's own globals
        // that a window needs to go.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* window : QApplication::topLevelWidgets())
            EXPECT_EQ(qobject_cast<CFrameWnd*>(window), nullptr) << "a closed document's frame outlived the test";
    }

    CTanglewardenDoc* NewDocument()
    {
        return static_cast<CTanglewardenDoc*>(m_template->OpenDocumentFile(std::string(), true));
    }
    CTanglewardenDoc* NewText(const std::string& text)
    {
        CTanglewardenDoc* document = NewDocument();
        document->SetText(text);
        return document;
    }

    CPropertySet m_settings;
    CRecordingModalDriver m_driver;
    CScriptedFilePicker m_picker;
    CTempFolder m_folder;
    CDocManager m_manager;
    CDocTemplate* m_template = nullptr;
};

TEST_F(TanglewardenDocTest, TaskAndTextReplaceEachOther)
{
    CTanglewardenDoc* document = NewDocument();
    EXPECT_EQ(document->GetTask(), nullptr);
    EXPECT_EQ(document->GetText(), nullptr);

    CTaskSettings task("https://example.test/start");
    document->SetTask(&task);
    ASSERT_NE(document->GetTask(), nullptr);
    EXPECT_NE(document->GetTask(), &task) << "the document keeps its own copy";
    EXPECT_EQ(document->GetDisplayName(), "https://example.test/start");

    document->SetText("text");
    EXPECT_EQ(document->GetTask(), nullptr);
    ASSERT_NE(document->GetText(), nullptr);
    document->SetTitle("A title");
    EXPECT_EQ(document->GetDisplayName(), "A title");
}

TEST_F(TanglewardenDocTest, SaveAsAsksWithTheTemplatesTypesAndTakesTheName)
{
    const std::string path = m_folder / "site.vbb";
    CTanglewardenDoc* document = NewDocument();
    CTaskSettings task("https://example.test/");
    task.SetInt(TASK_RECURSION, 3);
    document->SetTask(&task);
    document->SetModifiedFlag();

    m_picker.m_answers.push_back(path);
    ASSERT_TRUE(document->DoFileSave());
    ASSERT_EQ(m_picker.m_fileRequests.size(), 1u);
    EXPECT_TRUE(m_picker.m_fileRequests[0].m_save);
    EXPECT_EQ(m_picker.m_fileRequests[0].m_title, "Save As");
    EXPECT_EQ(m_picker.m_fileRequests[0].m_filter, "Tanglewarden Doc (*.vbb)|*.vbb|");
    EXPECT_EQ(document->GetPathName(), path);
    EXPECT_EQ(document->GetTitle(), path);
    EXPECT_FALSE(document->IsModified());
    EXPECT_NE(ReadWhole(path).find("X-Favorite"), std::string::npos);
}

TEST_F(TanglewardenDocTest, ATaskDocumentReadsItsProjectFile)
{
    const std::string path = m_folder / "site.vbb";
    {
        CTaskSettings task("https://example.test/deep");
        task.SetInt(TASK_RECURSION, 4);
        CTanglewardenDoc* document = NewDocument();
        document->SetTask(&task);
        ASSERT_TRUE(document->DoSave(path));
    }
    CTanglewardenDoc* read = NewDocument();
    read->SetTask(nullptr);
    ASSERT_TRUE(read->OnOpenDocument(path));
    EXPECT_EQ(read->GetTask()->GetUrl(), "https://example.test/deep");
    EXPECT_EQ(GetIntOr(*read->GetTask(), TASK_RECURSION), 4);
}

TEST_F(TanglewardenDocTest, TextIsSavedByteForByteAndItsSavedStateIsUnmodified)
{
    const std::string path = m_folder / "page.txt";
    CTanglewardenDoc* document = NewText("one\r\ntwo\n");
    EXPECT_FALSE(document->IsModified());
    int endLine = 0;
    int endIndex = 0;
    document->GetText()->Replace(0, 0, endLine, endIndex, "zero ");
    EXPECT_TRUE(document->IsModified()) << "an edit of the text is a change of the document";
    ASSERT_TRUE(document->DoSave(path));
    EXPECT_EQ(ReadWhole(path), "zero one\r\ntwo\n");
    EXPECT_FALSE(document->IsModified());
}

// A failed save never costs the user what stood at the name: a folder where
// the file should go, or a disk that fills up part-way.
TEST_F(TanglewardenDocTest, AFailedSaveAsLeavesWhatStoodAtTheNameAndTheDocumentModified)
{
    const std::string folder = m_folder / "taken";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteWhole(folder + "/inside.txt", "kept");
    const std::string existing = m_folder / "existing.txt";
    WriteWhole(existing, "old content");

    CTanglewardenDoc* document = NewText(std::string(100000, 'x'));
    document->SetModifiedFlag();

    m_picker.m_answers.push_back(folder);
    EXPECT_FALSE(document->DoSave(std::string()));
    EXPECT_EQ(ReadWhole(folder + "/inside.txt"), "kept");

    {
        CFileSizeLimit limit(1000);
        m_picker.m_answers.push_back(existing);
        EXPECT_FALSE(document->DoSave(std::string()));
    }
    EXPECT_EQ(ReadWhole(existing), "old content");
    EXPECT_TRUE(document->IsModified());
    EXPECT_TRUE(document->GetPathName().empty());
}

TEST_F(TanglewardenDocTest, AFailedSaveKeepsTheOldFileWhole)
{
    const std::string path = m_folder / "page.txt";
    CTanglewardenDoc* document = NewText("first version");
    ASSERT_TRUE(document->DoSave(path));
    document->SetText(std::string(100000, 'y'));
    document->SetModifiedFlag();
    {
        CFileSizeLimit limit(1000);
        EXPECT_FALSE(document->DoFileSave());
    }
    EXPECT_EQ(ReadWhole(path), "first version");
    EXPECT_TRUE(document->IsModified());
}

// The text's saved state moves only when a write succeeds: after a failed
// save an edit of the text alone still counts as unsaved, so closing asks.
TEST_F(TanglewardenDocTest, AFailedSaveLeavesAnEditedTextUnsaved)
{
    const std::string path = m_folder / "page.txt";
    CTanglewardenDoc* document = NewText("one\n");
    ASSERT_TRUE(document->DoSave(path));
    int endLine = 0;
    int endIndex = 0;
    document->GetText()->Replace(0, 0, endLine, endIndex, std::string(100000, 'z'));
    ASSERT_TRUE(document->GetText()->IsModified());
    {
        CFileSizeLimit limit(1000);
        EXPECT_FALSE(document->DoFileSave());
    }
    EXPECT_EQ(ReadWhole(path), "one\n");
    EXPECT_TRUE(document->GetText()->IsModified());
    EXPECT_TRUE(document->IsModified());
}

TEST_F(TanglewardenDocTest, TheSaveQuestionFollowsTheSetting)
{
    struct Case
    {
        int m_promptsSave;
        bool m_withPath;
        int m_answer; // when asked
        bool m_expectAsked;
        bool m_expectClose;
    };
    const Case cases[] = {
        {0, false, IDCANCEL, false, true}, // changes dropped without a question
        {1, false, IDCANCEL, true, false},
        {1, true, IDCANCEL, true, false},
        {1, false, IDNO, true, true},
    };
    for (const Case& c : cases)
    {
        m_settings.SetInt(SETTING_PROMPTS_SAVE, c.m_promptsSave);
        CTanglewardenDoc* document = NewText("text");
        if (c.m_withPath)
            document->SetPathName(m_folder / "named.txt", false);
        document->SetModifiedFlag();
        const size_t before = m_driver.Boxes().size();
        if (c.m_expectAsked)
            m_driver.QueueAnswer(c.m_answer);
        EXPECT_EQ(document->SaveModified(), c.m_expectClose) << c.m_promptsSave << c.m_withPath;
        ASSERT_EQ(m_driver.Boxes().size(), before + (c.m_expectAsked ? 1 : 0));
        if (c.m_expectAsked)
        {
            const std::string name = c.m_withPath ? m_folder / "named.txt" : "Untitled";
            EXPECT_EQ(m_driver.Boxes().back().m_text, "Save changes to " + name + "?");
            EXPECT_EQ(m_driver.Boxes().back().m_type & MB_TYPEMASK, MB_YESNOCANCEL);
        }
        document->SetModifiedFlag(false);
    }
}

TEST_F(TanglewardenDocTest, ADocumentWithoutContentClosesWithoutAQuestion)
{
    CTanglewardenDoc* document = NewDocument();
    document->SetModifiedFlag();
    CFrameWnd* frame = document->GetViews()[0]->GetParentFrame();
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(m_driver.Boxes().empty());
    EXPECT_EQ(m_manager.GetOpenDocumentCount(), 0u);
    EXPECT_FALSE(NewDocument()->DoSave(m_folder / "nothing.txt")) << "nothing to save";
}

TEST_F(TanglewardenDocTest, TheTaskViewLetsGoBeforeTheDocumentGoes)
{
    struct CView : ITaskDocumentView
    {
        int m_detached = 0;
        void DetachDocument() override { ++m_detached; }
    } view;
    CTanglewardenDoc* document = NewDocument();
    document->SetTask(nullptr);
    document->AttachTaskView(&view);
    document->OnCloseDocument();
    EXPECT_EQ(view.m_detached, 1);
}
} // namespace
