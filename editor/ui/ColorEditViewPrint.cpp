// Printing: plain monospaced lines under a one-line page header, through the
// window layer's print loop.

#include "editor/ui/ColorEditView.h"

#include "editor/EditTextBuffer.h"

#include "platform/core/Text.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ModalDriver.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace
{
// Printed tab stops, whatever the view shows.
constexpr int kPrintTabSize = 4;
}

std::string CColorEditView::GetPrintTitle() const
{
    if (CDocument* document = GetDocument())
        return document->GetTitle();
    if (CFrameWnd* frame = GetParentFrame())
        return frame->windowTitle().toStdString();
    return window()->windowTitle().toStdString();
}

bool CColorEditView::OnPreparePrinting(CPrintInfo&)
{
    if (!m_buffer)
        return false;
    // Twelve points on paper: Qt sizes a point font for the device it paints
    // on, so the font is not scaled by the printer's resolution again.
    m_printFont = std::make_unique<QFont>(QStringLiteral("Courier"));
    m_printFont->setStyleHint(QFont::TypeWriter);
    m_printFont->setFixedPitch(true);
    m_printFont->setPointSize(12);
    return true;
}

void CColorEditView::OnBeginPrinting(QPainter& painter, CPrintInfo& info)
{
    CPrintLayout layout;
    if (m_printFont)
    {
        const QFontMetrics metrics(*m_printFont, painter.device());
        if (metrics.height() > 0 && metrics.averageCharWidth() > 0)
        {
            layout.m_lineHeight = metrics.height();
            layout.m_charWidth = metrics.averageCharWidth();
        }
    }
    layout.m_topMargin = layout.m_headerGap = layout.m_bottomMargin = 2 * layout.m_lineHeight;
    layout.m_leftMargin = layout.m_rightMargin = 2 * layout.m_charWidth;
    const QRect page = info.m_rectDraw;
    layout.m_charsPerLine = (page.width() - layout.m_leftMargin - layout.m_rightMargin) / layout.m_charWidth;
    layout.m_linesPerPage = std::max(
        (page.height() - layout.m_topMargin - layout.m_headerGap - layout.m_bottomMargin) / layout.m_lineHeight, 1);
    m_printLayout = layout;
    const int lines = m_buffer ? m_buffer->GetLineCount() : 0;
    const int pages = (lines + layout.m_linesPerPage - 1) / layout.m_linesPerPage;
    info.SetMaxPage(static_cast<UINT>(std::max(pages, 1)));
}

void CColorEditView::OnPrint(QPainter& painter, CPrintInfo& info)
{
    if (!m_printFont)
        return;
    const CPrintLayout& layout = m_printLayout;
    painter.setFont(*m_printFont);
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(*m_printFont, painter.device()).ascent();
    const int page = static_cast<int>(info.m_nCurPage);
    const std::string header = Format("Document: %s, Page: %d", GetPrintTitle().c_str(), page);
    painter.drawText(QPoint(layout.m_leftMargin, layout.m_topMargin + ascent), QString::fromStdString(header));
    if (!m_buffer)
        return;
    const int first = (page - 1) * layout.m_linesPerPage;
    const int end = std::min(first + layout.m_linesPerPage, m_buffer->GetLineCount());
    int y = layout.m_topMargin + layout.m_headerGap;
    std::string text;
    for (int line = first; line < end; ++line, y += layout.m_lineHeight)
    {
        m_buffer->GetLine(line)->GetExpandedText(text, kPrintTabSize);
        painter.drawText(QPoint(layout.m_leftMargin, y + ascent), QString::fromStdString(text));
    }
}

void CColorEditView::OnEndPrinting(QPainter&, CPrintInfo&)
{
    m_printFont.reset();
}

void CColorEditView::OnFilePrint()
{
    (void)PrintWithDialog(*this, this);
}

void CColorEditView::OnFilePrintDirect()
{
    QPrinter printer(QPrinter::HighResolution);
    CPrintInfo info;
    info.m_printer = &printer;
    (void)RunPrintLoop(*this, printer, info);
}

void CColorEditView::OnFilePrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        CPrintInfo info;
        info.m_printer = target;
        (void)RunPrintLoop(*this, *target, info);
    });
    (void)GetModalDriver().RunDialog(dialog);
}
