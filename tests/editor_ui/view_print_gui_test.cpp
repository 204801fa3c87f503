// Printing: pagination, the page header, tab stops on paper, the point size
// on paper, a PDF checked by poppler, and the preview through the modal
// driver.

#include "ViewFixture.h"

#include "platform/ui/Document.h"
#include "platform/ui/RecordingModalDriver.h"

#include "res/ResourceIds.h"

#include "tests/support/TempFolder.h"

#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QProcess>


namespace
{
// Runs a poppler tool (no shell) and returns its exit code, its output in
// out; -1 when it could not be started or did not end within ten seconds.
int RunTool(const QString& program, const QStringList& arguments, std::string& out)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    out = process.readAllStandardOutput().toStdString();
    return process.exitCode();
}

class ViewPrintTest : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        m_document.SetTitle("notes.txt");
        m_document.AddView(m_view);
    }

    void TearDown() override
    {
        m_document.RemoveView(m_view);
        ViewFixture::TearDown();
    }

    // Prints to a PDF file; the number of pages printed.
    UINT PrintToPdf(const std::string& path)
    {
        QPdfWriter writer(QString::fromStdString(path));
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        CPrintInfo info;
        return RunPrintLoop(*m_view, writer, info);
    }

    static std::string Lines(int count, const std::string& text = "x")
    {
        std::string lines;
        for (int i = 0; i < count; ++i)
            lines += text + "\r\n";
        return lines;
    }

    std::string Pdf(const std::string& name) const { return m_folder / name; }

    CDocument m_document;
    CTempFolder m_folder;
};

TEST_F(ViewPrintTest, PagesFollowTheLinesPerPage)
{
    SetText("measure");
    ASSERT_EQ(PrintToPdf(Pdf("measure.pdf")), 1u);
    const int perPage = m_view->GetPrintLayout().m_linesPerPage;
    ASSERT_GT(perPage, 10);
    // A text of k pages' lines ends in a line end, so its last (empty) line
    // is one more line: k pages of lines hold k * perPage - 1 line ends.
    const struct
    {
        int m_lines;
        UINT m_pages;
    } table[] = {{perPage, 1}, {perPage + 1, 2}, {2 * perPage, 2}, {2 * perPage + 1, 3}, {1, 1}};
    for (const auto& row : table)
    {
        SCOPED_TRACE(row.m_lines);
        std::string text = Lines(row.m_lines - 1);
        text += "last";
        SetText(text);
        ASSERT_EQ(m_buffer->GetLineCount(), row.m_lines);
        EXPECT_EQ(PrintToPdf(Pdf("pages.pdf")), row.m_pages);
    }
}

TEST_F(ViewPrintTest, AnEmptyTextPrintsOnePageAndNoBufferNone)
{
    SetText("");
    EXPECT_EQ(PrintToPdf(Pdf("empty.pdf")), 1u);
    m_view->AttachBuffer(nullptr, false);
    EXPECT_EQ(PrintToPdf(Pdf("none.pdf")), 0u);
}

TEST_F(ViewPrintTest, TwelvePointTextIsTwelvePointsOnPaper)
{
    SetText("a");
    ASSERT_EQ(PrintToPdf(Pdf("size.pdf")), 1u);
    // 12 points at 300 dpi are 50 pixels; a line is that and its leading,
    // never the size scaled a second time by the resolution.
    const int height = m_view->GetPrintLayout().m_lineHeight;
    EXPECT_GE(height, 50);
    EXPECT_LT(height, 75);
}

TEST_F(ViewPrintTest, APdfHasThePagesTheHeaderAndFourColumnTabs)
{
    SetText("seed");
    ASSERT_EQ(PrintToPdf(Pdf("seed.pdf")), 1u);
    const int perPage = m_view->GetPrintLayout().m_linesPerPage;
    m_view->SetTabSize(8, false);
    SetText("a\tb\r\n" + Lines(2 * perPage, "filler"));
    const std::string path = Pdf("three.pdf");
    ASSERT_EQ(PrintToPdf(path), 3u);

    std::string info;
    ASSERT_EQ(RunTool("pdfinfo", {QString::fromStdString(path)}, info), 0)
        << "pdfinfo (poppler-utils) must be installed";
    const size_t pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 3) << info;

    std::string text;
    ASSERT_EQ(RunTool("pdftotext", {"-layout", QString::fromStdString(path), "-"}, text), 0);
    EXPECT_NE(text.find("Document: notes.txt, Page: 1"), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("Document: notes.txt, Page: 3"), std::string::npos);
    EXPECT_NE(text.find("a   b"), std::string::npos) << text.substr(0, 400);
}

TEST_F(ViewPrintTest, ThePreviewShowsThePagesThroughTheModalDriver)
{
    SetText("seed");
    ASSERT_EQ(PrintToPdf(Pdf("seed.pdf")), 1u);
    SetText(Lines(m_view->GetPrintLayout().m_linesPerPage * 2 + 5));
    CRecordingModalDriver driver;
    int pages = -1;
    driver.SetDialogScript([&](QDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
        dialog.reject();
    });
    EXPECT_TRUE(m_view->ExecuteCommand(ID_FILE_PRINT_PREVIEW));
    EXPECT_EQ(driver.DialogRuns(), 1);
    EXPECT_GE(pages, 3);
}
}
