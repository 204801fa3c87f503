// The document manager: which window a path opens in, exact path matches,
// the new-document kinds and what they hold, and the file types its prompts
// offer.

#include "../editor/BufferText.h"

#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/EditLine.h"
#include "editor/EditTextBuffer.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/View.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenTemplate.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLogInterface.h"

#include "tests/support/FileContents.h"
#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
class DocManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Set("HOME", m_folder.Path());
        m_settings.SetInt(SETTING_PROMPTS_SAVE, 1);
        m_manager.CreateDocTemplates([this](CDocument& document) -> CFrameWnd* {
            auto* child = new CMDIChildWnd;
            auto* view = new CView(child);
            child->setCentralWidget(view);
            document.AddView(view);
            m_frame.AddChild(child);
            return child;
        });
        m_manager.SetTaskStarter([this](CTanglewardenDoc& document) { m_started.push_back(&document); });
    }
    void TearDown() override
    {
        for (CDocTemplate* docTemplate : m_manager.GetTemplates())
        {
            for (CDocument* document : docTemplate->GetDocuments())
                document->SetModifiedFlag(false);
        }
        m_manager.CloseAllDocuments();
    }

    std::string File(const std::string& name, const std::string& content)
    {
        const std::string path = m_folder / name;
        WriteWhole(path, content);
        return path;
    }
    std::string ProjectFile(const std::string& name, const std::string& url)
    {
        CTaskSettings task(url);
        CTanglewardenDoc document(m_settings);
        document.SetTask(&task);
        const std::string path = m_folder / name;
        EXPECT_TRUE(document.OnSaveDocument(path));
        return path;
    }
    int KindOf(CDocument* document)
    {
        auto* docTemplate = dynamic_cast<CTanglewardenTemplate*>(document->GetDocTemplate());
        return docTemplate ? docTemplate->GetKind() : 0;
    }

    bool m_application = (TestApplication(), true); // before any widget
    ScopedEnvironment m_env;
    CTempFolder m_folder;
    CRecordingModalDriver m_driver;
    CScriptedFilePicker m_picker;
    CPropertySet m_settings;
    CMDIFrameWnd m_frame;
    CTanglewardenDocManager m_manager{m_settings};
    std::vector<CTanglewardenDoc*> m_started;
};

TEST_F(DocManagerTest, FiveTemplatesInKindOrderWithTheirDocumentStrings)
{
    const std::vector<CDocTemplate*> templates = m_manager.GetTemplates();
    ASSERT_EQ(templates.size(), 5u);
    const UINT resources[] = {129, 133, 139, 140, 180};
    for (int kind = 1; kind <= 5; ++kind)
    {
        CTanglewardenTemplate* docTemplate = m_manager.FindTemplateOfKind(kind);
        ASSERT_EQ(docTemplate, templates[static_cast<size_t>(kind - 1)]);
        EXPECT_EQ(docTemplate->GetResourceId(), resources[kind - 1]);
        EXPECT_FALSE(docTemplate->HasWindow()) << "no kind has its own window registered yet";
    }
    EXPECT_EQ(m_manager.FindTemplateOfKind(1)->GetDocString(CDocTemplate::filterExt), ".vbb");
    EXPECT_EQ(m_manager.FindTemplateOfKind(6), nullptr);
}

TEST_F(DocManagerTest, NewDocumentsOfEachKindHoldWhatTheKindShowsUnderItsTitle)
{
    struct Case
    {
        int m_kind;
        const char* m_title;
        bool m_text;
    };
    for (const Case& c : {Case{2, "Transfer Queue", false}, Case{3, "Log", true}, Case{4, "Report", true},
                          Case{5, "Edit", true}})
    {
        CTanglewardenDoc* document = m_manager.NewDocumentOfKind(c.m_kind);
        ASSERT_NE(document, nullptr) << c.m_kind;
        EXPECT_EQ(document->GetTitle(), c.m_title);
        EXPECT_EQ(document->GetText() != nullptr, c.m_text) << c.m_kind;
        EXPECT_EQ(document->GetTask(), nullptr);
    }
}

// A new text can be edited, saved and asked about before any view fills it.
TEST_F(DocManagerTest, ANewTextIsEditableAndClosingItAsks)
{
    CTanglewardenDoc* document = m_manager.NewDocumentOfKind(kKindTextEditor);
    ASSERT_NE(document, nullptr);
    ASSERT_NE(document->GetText(), nullptr);
    EXPECT_FALSE(document->IsModified());
    int endLine = 0;
    int endIndex = 0;
    document->GetText()->Replace(0, 0, endLine, endIndex, "typed");

    const std::string path = m_folder / "typed.txt";
    m_picker.m_answers.push_back(path);
    m_driver.QueueAnswer(IDYES);
    CFrameWnd* frame = document->GetViews()[0]->GetParentFrame();
    EXPECT_TRUE(frame->close());
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Save changes to Untitled?");
    EXPECT_EQ(ReadWhole(path), "typed");
}

TEST_F(DocManagerTest, AProjectFileOpensItsTaskAndStartsIt)
{
    const std::string path = ProjectFile("site.vbb", "https://example.test/site/");
    CTanglewardenDoc* document = m_manager.OpenDocumentByPath(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(KindOf(document), kKindTask);
    ASSERT_NE(document->GetTask(), nullptr);
    EXPECT_EQ(document->GetTask()->GetUrl(), "https://example.test/site/");
    EXPECT_EQ(document->GetTitle(), path) << "the title is the whole path";
    EXPECT_EQ(m_started, std::vector<CTanglewardenDoc*>{document});
    EXPECT_EQ(m_manager.GetRecentFiles(), std::vector<std::string>{}) << "no list loaded in this test";
}

TEST_F(DocManagerTest, HomeRelativeAndFileAddressesAreLocalPaths)
{
    const std::string path = ProjectFile("home.vbb", "https://example.test/home/");
    for (const std::string& text : {std::string("~/home.vbb"), "file://" + path})
    {
        CTanglewardenDoc* document = m_manager.OpenDocumentByPath(text);
        ASSERT_NE(document, nullptr) << text;
        EXPECT_EQ(document->GetPathName(), path) << text;
        EXPECT_EQ(document->GetTask()->GetUrl(), "https://example.test/home/") << text;
    }
}

TEST_F(DocManagerTest, MissingFilesAndUnknownKindsOpenNothingWithoutAMessage)
{
    EXPECT_EQ(m_manager.OpenDocumentByPath(m_folder / "missing.vbb"), nullptr);
    EXPECT_EQ(m_manager.OpenDocumentByPath(File("picture.png", "\x89PNG")), nullptr);
    EXPECT_EQ(m_manager.GetOpenDocumentCount(), 0u);
    EXPECT_TRUE(m_driver.Boxes().empty());
}

TEST_F(DocManagerTest, WithoutTemplatesTheUserIsToldNoDocumentCanBeMade)
{
    CTanglewardenDocManager empty(m_settings);
    EXPECT_EQ(empty.OpenDocumentByPath(File("a.txt", "a")), nullptr);
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Failed to create empty document.");
}

// Linux file names are case-sensitive: "a.htm" and "A.htm" are two files.
TEST_F(DocManagerTest, AnOpenEditorIsReusedOnlyForExactlyTheSamePath)
{
    const std::string lower = File("page.htm", "<p>lower</p>");
    const std::string upper = File("PAGE.htm", "<p>upper</p>");
    CTanglewardenDoc* first = m_manager.OpenDocumentByPath(lower);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(KindOf(first), kKindTextEditor);
    EXPECT_EQ(m_manager.OpenDocumentByPath(lower), first);
    CTanglewardenDoc* other = m_manager.OpenDocumentByPath(upper);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
    EXPECT_EQ(m_manager.FindEditDocument(upper, false), other);
    EXPECT_EQ(m_manager.GetDocumentsOfKind(kKindTextEditor).size(), 2u);
}

TEST_F(DocManagerTest, LongPathsAreKeptWhole)
{
    std::string folder = m_folder.Path();
    for (int i = 0; i < 6; ++i)
    {
        folder += "/" + std::string(60, static_cast<char>('a' + i));
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    }
    const std::string path = folder + "/long.txt";
    ASSERT_GT(path.size(), 260u);
    WriteWhole(path, "long");
    CTanglewardenDoc* document = m_manager.OpenDocumentByPath(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->GetPathName(), path);
    EXPECT_EQ(m_manager.FindEditDocument(path, false), document);
}

TEST_F(DocManagerTest, CheckHtmlOnOpenMakesATaskOfDepthOne)
{
    m_settings.SetInt(SETTING_MISC_CHECK_HTML_ON_OPEN, 1);
    const std::string path = File("index.html", "<a href='x.html'>x</a>");
    CTanglewardenDoc* document = m_manager.OpenDocumentByPath(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(KindOf(document), kKindTask);
    EXPECT_EQ(document->GetTask()->GetUrl(), path);
    EXPECT_EQ(GetIntOr(*document->GetTask(), TASK_RECURSION), 1);
    EXPECT_EQ(m_started.size(), 1u);
}

TEST_F(DocManagerTest, ASingleLogWindowTakesTheNextLog)
{
    const std::string first = File("first.log", "first\n");
    const std::string second = File("second.log", "second\n");
    CTanglewardenDoc* one = m_manager.OpenDocumentByPath(first);
    CTanglewardenDoc* two = m_manager.OpenDocumentByPath(second);
    ASSERT_TRUE(one && two);
    EXPECT_NE(one, two) << "one window per log by default";
    EXPECT_EQ(m_manager.OpenDocumentByPath(first), one) << "the window showing a log file is reused";

    m_settings.SetInt(SETTING_MISC_SINGLE_LOG_WINDOW, 1);
    const std::string third = File("third.log", "third\n");
    CTanglewardenDoc* three = m_manager.OpenDocumentByPath(third);
    EXPECT_EQ(three, one);
    EXPECT_EQ(three->GetPathName(), third);
    EXPECT_EQ(m_manager.GetDocumentsOfKind(kKindTransferLog).size(), 2u);
}

TEST_F(DocManagerTest, ARegistryLogOpensOnceUnderItsNameOrInTheSingleLogWindow)
{
    CLogRegistry logs;
    std::vector<int> ids;
    for (const char* name : {"http://a.example/1", "http://a.example/2", "http://a.example/3"})
    {
        const int id = logs.CreateLog();
        ITransferLog* log = logs.GetLog(id);
        ASSERT_NE(log, nullptr);
        log->SetName(name);
        log->AppendLine(0, std::string("fetched ") + name);
        log->Release();
        ids.push_back(id);
    }
    EXPECT_EQ(m_manager.OpenLogDocument(0, logs), nullptr);
    CTanglewardenDoc* first = m_manager.OpenLogDocument(ids[0], logs);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTitle(), "http://a.example/1");
    EXPECT_EQ(first->GetLogId(), ids[0]);
    ASSERT_NE(first->GetText(), nullptr);
    const std::string text = WholeText(*first->GetText());
    EXPECT_NE(text.find("fetched http://a.example/1"), std::string::npos) << text;
    CTanglewardenDoc* second = m_manager.OpenLogDocument(ids[1], logs);
    EXPECT_NE(second, first);
    EXPECT_EQ(m_manager.OpenLogDocument(ids[0], logs), first) << "the window of that log, as it is";
    EXPECT_EQ(m_manager.GetDocumentsOfKind(kKindTransferLog).size(), 2u);

    m_settings.SetInt(SETTING_MISC_SINGLE_LOG_WINDOW, 1);
    CTanglewardenDoc* third = m_manager.OpenLogDocument(ids[2], logs);
    EXPECT_EQ(third, first);
    EXPECT_EQ(third->GetLogId(), ids[2]);
    EXPECT_EQ(third->GetTitle(), "http://a.example/3");
    EXPECT_EQ(m_manager.GetDocumentsOfKind(kKindTransferLog).size(), 2u);
}

TEST_F(DocManagerTest, FileNewWithoutTheNewActionPromptDoesNothingAndActionsFourAndFiveEdit)
{
    EXPECT_EQ(m_manager.OnFileNew(), nullptr);
    EXPECT_FALSE(m_manager.HasNewActionPrompt());

    const std::string page = File("edit.txt", "edit me");
    m_manager.SetNewActionPrompt([&](CTaskSettings& task) {
        task.SetString(TASK_URI, page.c_str());
        task.SetInt(TASK_ACTION, 4);
        return true;
    });
    CTanglewardenDoc* edited = m_manager.OnFileNew();
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(KindOf(edited), kKindTextEditor);
    EXPECT_EQ(edited->GetPathName(), page);
    EXPECT_TRUE(m_started.empty());

    m_manager.SetNewActionPrompt([](CTaskSettings& task) {
        task.SetString(TASK_URI, "https://example.test/new/");
        return true;
    });
    CTanglewardenDoc* checked = m_manager.OnFileNew();
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(KindOf(checked), kKindTask);
    EXPECT_EQ(checked->GetTask()->GetUrl(), "https://example.test/new/");
    EXPECT_EQ(m_started, std::vector<CTanglewardenDoc*>{checked});

    m_manager.SetNewActionPrompt([](CTaskSettings&) { return false; });
    EXPECT_EQ(m_manager.OnFileNew(), nullptr) << "a cancelled prompt opens nothing";
}

TEST_F(DocManagerTest, PromptFiltersFollowTheNameAndTheTemplate)
{
    const std::string all = "All Files (*.*)|*.*||";
    const std::string web = "Web Files (*.html;*.htm)|*.html;*.htm|Text Files (*.txt)|*.txt|"
                            "Text Documents (*.txt;*.html;*.htm)|*.txt;*.html;*.htm|";
    struct Case
    {
        const char* m_extension;
        int m_kind;
        std::string m_filter;
        const char* m_defaultExtension;
    };
    const Case cases[] = {
        {".vbb", 0, "Tanglewarden Files (*.vbb)|*.vbb|" + all, "vbb"},
        {"", kKindTask, "Tanglewarden Files (*.vbb)|*.vbb|" + all, "vbb"},
        {".log", 0, "Log Files (*.log)|*.log|" + all, "log"},
        {"", kKindTransferLog, "Log Files (*.log)|*.log|" + all, "log"},
        {".txt", 0, web + all, "html"},
        {"", kKindTextEditor, web + all, "html"},
        {"", 0, "Tanglewarden Files (*.vbb)|*.vbb|Log Files (*.log)|*.log|" + web + all, "vbb"},
    };
    for (const Case& c : cases)
    {
        const PromptFilter filter = MakePromptFilter(c.m_extension, c.m_kind);
        EXPECT_EQ(filter.m_filter, c.m_filter) << c.m_extension << c.m_kind;
        EXPECT_EQ(filter.m_selected, 1);
        EXPECT_EQ(filter.m_defaultExtension, c.m_defaultExtension) << c.m_extension << c.m_kind;
    }
}

TEST_F(DocManagerTest, FileOpenAsksWithEveryTypeAndOpensTheChoice)
{
    const std::string path = ProjectFile("chosen.vbb", "https://example.test/chosen/");
    m_picker.m_answers.push_back(path);
    CTanglewardenDoc* document = m_manager.OnFileOpen();
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(m_picker.m_fileRequests.size(), 1u);
    const FileDialogRequest& request = m_picker.m_fileRequests[0];
    EXPECT_FALSE(request.m_save);
    EXPECT_EQ(request.m_title, "Open");
    EXPECT_EQ(request.m_defaultExtension, "vbb");
    EXPECT_EQ(request.m_filter.rfind("Tanglewarden Files (*.vbb)|*.vbb|Log Files", 0), 0u);
    EXPECT_EQ(document->GetTask()->GetUrl(), "https://example.test/chosen/");

    EXPECT_EQ(m_manager.OnFileOpen(), nullptr) << "a cancelled prompt opens nothing";
}

TEST_F(DocManagerTest, CloseAllOfAKindClosesOnlyThatKind)
{
    ASSERT_NE(m_manager.NewDocumentOfKind(kKindTransferLog), nullptr);
    ASSERT_NE(m_manager.NewDocumentOfKind(kKindTransferLog), nullptr);
    ASSERT_NE(m_manager.NewDocumentOfKind(kKindLinkReport), nullptr);
    m_manager.CloseAllOfKind(kKindTransferLog);
    EXPECT_TRUE(m_manager.GetDocumentsOfKind(kKindTransferLog).empty());
    EXPECT_EQ(m_manager.GetDocumentsOfKind(kKindLinkReport).size(), 1u);
}
} // namespace
