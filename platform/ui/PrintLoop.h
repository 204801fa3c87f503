#pragma once
// The print loop of views that print: prepare (refuse, or learn the device
// and the page count), begin (make fonts, paginate), print each page, end
// (free what begin made). The loop runs over any paged device, so tests
// print to a PDF writer; PrintWithDialog asks the user for a printer first,
// through the modal driver.
//
// UI thread only.

#include <QRect>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

using UINT = unsigned int;

struct CPrintInfo
{
    // The device printed on; set before OnPreparePrinting.
    QPagedPaintDevice* m_device = nullptr;
    // The printer when the device is one; null otherwise.
    QPrinter* m_printer = nullptr;
    UINT m_nFromPage = 1;
    UINT m_nToPage = 0xFFFF;
    // Known page count; 0xFFFF until the view says.
    UINT m_nMaxPage = 0xFFFF;
    // The page being printed, from 1.
    UINT m_nCurPage = 1;
    // A view that paginates while it prints clears this after its last page.
    bool m_bContinuePrinting = true;
    // The printable area of the page in device pixels.
    QRect m_rectDraw;

    void SetMaxPage(UINT pages) { m_nMaxPage = pages; }
};

class IPrintable
{
public:
    virtual ~IPrintable() = default;
    // False refuses the job (nothing is printed).
    virtual bool OnPreparePrinting(CPrintInfo& info) = 0;
    virtual void OnBeginPrinting(QPainter& painter, CPrintInfo& info) = 0;
    // Before each page; may end the job by clearing m_bContinuePrinting.
    // The base prints only page 1 while the page count is unknown.
    virtual void OnPrepareDC(QPainter& painter, CPrintInfo& info);
    virtual void OnPrint(QPainter& painter, CPrintInfo& info) = 0;
    virtual void OnEndPrinting(QPainter& painter, CPrintInfo& info) = 0;
};

// Runs the loop on device for the pages from info.m_nFromPage to the last
// (the smaller of m_nToPage and m_nMaxPage, or until the view stops it).
// The number of pages printed; 0 when refused or the device could not be
// painted on (OnEndPrinting runs whenever OnBeginPrinting did).
UINT RunPrintLoop(IPrintable& printable, QPagedPaintDevice& device, CPrintInfo& info);

// Asks for a printer and its page range, then runs the loop; false when
// the user cancelled or nothing was printed.
bool PrintWithDialog(IPrintable& printable, QWidget* parent);
