// Documents, templates and the document manager: untitled titles, atomic
// saves that keep the old file when they fail, loads that refuse bad bytes,
// the question before a modified document closes, and the recent-file list
// in the registry store.

#include "platform/ui/DocManager.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/View.h"

#include "platform/core/Archive.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/RecordingDesktop.h"

#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <dirent.h>

namespace
{
class CTextDoc : public CDocument
{
public:
    std::string m_text;

    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring())
            archive.WriteString(m_text);
        else
            archive.ReadString(m_text);
    }
    void DeleteContents() override { m_text.clear(); }
};

std::unique_ptr<CDocTemplate> MakeTemplate()
{
    return std::make_unique<CDocTemplate>(
        180, "\nText\nText\nText Doc (*.txt)\n.txt\nText.Document\nText Document",
        [] { return std::make_unique<CTextDoc>(); },
        [](CDocument& document) {
            auto* frame = new CFrameWnd;
            frame->setAttribute(Qt::WA_DeleteOnClose);
            auto* view = new CView(frame);
            frame->setCentralWidget(view);
            document.AddView(view);
            return frame;
        });
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (dirent* entry = ::readdir(dir))
        {
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_template = m_manager.AddDocTemplate(MakeTemplate());
    }
    void TearDown() override
    {
        for (CDocument* document : m_template->GetDocuments())
            document->SetModifiedFlag(false);
        m_manager.CloseAllDocuments();
    }

    CTextDoc* OpenNew() { return static_cast<CTextDoc*>(m_template->OpenDocumentFile(std::string(), true)); }

    CRecordingModalDriver m_driver;
    CScriptedFilePicker m_picker;
    CTempFolder m_folder;
    CDocManager m_manager;
    CDocTemplate* m_template = nullptr;
};

TEST_F(DocumentTest, NewDocumentsAreCountedIntoTheirTitles)
{
    CTextDoc* first = OpenNew();
    CTextDoc* second = OpenNew();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetTitle(), "Text1");
    EXPECT_EQ(second->GetTitle(), "Text2");
    EXPECT_EQ(m_template->m_nUntitledCount, 2);
    ASSERT_EQ(first->GetViews().size(), 1u);
    EXPECT_EQ(first->GetViews()[0]->GetDocument(), first);
    EXPECT_EQ(first->GetViews()[0]->GetParentFrame()->windowTitle(), "Text1");
}

TEST_F(DocumentTest, SaveThenOpenRoundTripsThroughTheArchive)
{
    const std::string path = m_folder / "a.txt";
    CTextDoc* document = OpenNew();
    document->m_text = "line one\nline two";
    document->SetModifiedFlag();
    ASSERT_TRUE(document->DoSave(path));
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->GetPathName(), path);

    // The same path is found open; a second manager reads it from disk.
    EXPECT_EQ(m_manager.OpenDocumentFile(path), document);
    CDocManager other;
    other.AddDocTemplate(MakeTemplate());
    auto* read = static_cast<CTextDoc*>(other.OpenDocumentFile(path));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->m_text, "line one\nline two");
    EXPECT_EQ(read->GetTitle(), path);
    other.CloseAllDocuments();
}

TEST_F(DocumentTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
    const std::string path = m_folder / "keep.txt";
    CTextDoc* document = OpenNew();
    document->m_text = "old";
    ASSERT_TRUE(document->DoSave(path));
    const std::string before = ReadWhole(path);

    document->m_text.assign(100000, 'x');
    document->SetModifiedFlag();
    {
        CFileSizeLimit limit(1000); // the disk "fills up" part-way
        EXPECT_FALSE(document->DoSave(path));
    }
    EXPECT_EQ(ReadWhole(path), before);
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::string>{"keep.txt"}) << "no temporary file left";
}

TEST_F(DocumentTest, OpeningBadBytesFailsAndLeavesNoDocument)
{
    const std::string path = m_folder / "bad.txt";
    WriteWhole(path, std::string("\x50short", 6)); // claims 80 bytes, has 5
    EXPECT_EQ(m_manager.OpenDocumentFile(path), nullptr);
    EXPECT_EQ(m_manager.OpenDocumentFile(m_folder / "missing.txt"), nullptr);
    EXPECT_EQ(m_manager.GetOpenDocumentCount(), 0u);
}

TEST_F(DocumentTest, ClosingAModifiedDocumentAsksAndHonoursTheAnswer)
{
    CTextDoc* document = OpenNew();
    document->SetModifiedFlag();
    CFrameWnd* frame = document->GetViews()[0]->GetParentFrame();

    m_driver.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Save changes to Text1?");
    EXPECT_EQ(m_driver.Boxes()[0].m_type & MB_TYPEMASK, MB_YESNOCANCEL);
    EXPECT_EQ(m_manager.GetOpenDocumentCount(), 1u);

    // Yes without a path asks for one; a cancelled picker keeps it open.
    m_driver.QueueAnswer(IDYES);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(m_picker.m_fileRequests.size(), 1u);
    EXPECT_EQ(m_picker.m_fileRequests[0].m_filter, "Text Doc (*.txt)|*.txt|");

    const std::string path = m_folder / "saved.txt";
    m_picker.m_answers.push_back(path);
    m_driver.QueueAnswer(IDYES);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(m_manager.GetOpenDocumentCount(), 0u);
    EXPECT_FALSE(ReadWhole(path).empty());
    EXPECT_EQ(m_manager.GetRecentFiles(), std::vector<std::string>{}) << "no registry list loaded";
}

TEST_F(DocumentTest, RecentFilesLiveInTheRegistryMostRecentFirst)
{
    CRegistry registry(std::make_unique<CMemoryRegistryBackend>());
    const std::string key = "Software\\Quorvat Software\\Tanglewarden\\Recent File List";
    m_manager.LoadRecentFileList(registry, key, 3);
    for (const char* path : {"/a", "/b", "/c", "/b", "/d"})
        m_manager.AddToRecentFileList(path);
    const std::vector<std::string> expected{"/d", "/b", "/c"};
    EXPECT_EQ(m_manager.GetRecentFiles(), expected);

    CDocManager reloaded;
    reloaded.LoadRecentFileList(registry, key, 3);
    EXPECT_EQ(reloaded.GetRecentFiles(), expected);
    reloaded.LoadRecentFileList(registry, key, 2);
    EXPECT_EQ(reloaded.GetRecentFiles(), (std::vector<std::string>{"/d", "/b"}));

    // Saving a document under a name puts it on the list.
    CTextDoc* document = OpenNew();
    ASSERT_TRUE(document->DoSave(m_folder / "r.txt"));
    EXPECT_EQ(m_manager.GetRecentFiles().front(), m_folder / "r.txt");
}
} // namespace
