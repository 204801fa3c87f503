#include "platform/ui/PrintLoop.h"

#include "platform/ui/ModalDriver.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

void IPrintable::OnPrepareDC(QPainter&, CPrintInfo& info)
{
    // Without a known page count only the first page prints, unless the
    // view decides page by page in its own override; an unbounded job is
    // never the default.
    if (info.m_nMaxPage == 0xFFFF)
        info.m_bContinuePrinting = info.m_nCurPage == 1;
}

UINT RunPrintLoop(IPrintable& printable, QPagedPaintDevice& device, CPrintInfo& info)
{
    info.m_device = &device;
    if (!printable.OnPreparePrinting(info))
        return 0;
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    info.m_rectDraw = QRect(QPoint(0, 0), QSize(device.width(), device.height()));
    printable.OnBeginPrinting(painter, info);
    UINT printed = 0;
    const UINT last = std::min(info.m_nToPage, info.m_nMaxPage);
    for (info.m_nCurPage = std::max(info.m_nFromPage, 1u); info.m_nCurPage <= last; ++info.m_nCurPage)
    {
        info.m_bContinuePrinting = true;
        printable.OnPrepareDC(painter, info);
        if (!info.m_bContinuePrinting)
            break;
        if (printed > 0 && !device.newPage())
            break;
        painter.save();
        printable.OnPrint(painter, info);
        painter.restore();
        ++printed;
    }
    printable.OnEndPrinting(painter, info);
    painter.end();
    return printed;
}

bool PrintWithDialog(IPrintable& printable, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (GetModalDriver().RunDialog(dialog) != QDialog::Accepted)
        return false;
    CPrintInfo info;
    info.m_printer = &printer;
    if (printer.printRange() == QPrinter::PageRange)
    {
        info.m_nFromPage = static_cast<UINT>(std::max(printer.fromPage(), 1));
        info.m_nToPage = static_cast<UINT>(std::max(printer.toPage(), printer.fromPage()));
    }
    return RunPrintLoop(printable, printer, info) > 0;
}
