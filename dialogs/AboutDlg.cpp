#include "dialogs/AboutDlg.h"

#include "editor/EditColorScheme.h"
#include "editor/EditLine.h"
#include "editor/EditTextBuffer.h"
#include "editor/SyntaxColorizer.h"
#include "editor/ui/ColorEditView.h"
#include "foundation/desktop/ShellHelpers.h"
#include "platform/core/Text.h"
#include "res/Resources.h"
#include "widgets/PictureWnd.h"
#include "widgets/WindowHelpers.h"

#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>

#include <algorithm>

namespace
{
constexpr int kTextHeight = 150;
// Colouriser mode 5: the view keeps the spans its owner makes.
constexpr int kOwnerSpans = 5;
constexpr int kRedKind = 17;
constexpr int kBlueKind = 18;
constexpr int kHeadingLine = 5;

const char* const kNotice = "Copyright (c) Quorvat Software. All rights reserved.\r\n"
                            "\r\n"
                            "Tanglewarden checks the links of web sites, local files and FTP folders.\r\n"
                            "\r\n"
                            "NOTICE\r\n"
                            "This program is provided \"as is\", without warranty of any kind, express or\r\n"
                            "implied. In no event shall the authors be liable for any claim, damages or\r\n"
                            "other liability arising from the use of this program.\r\n";

COLORREF ToColorRef(const QColor& color)
{
    return EditRgb(color.red(), color.green(), color.blue());
}
} // namespace

CAboutDlg::CAboutDlg(const std::string& product, const std::string& version, std::string homePage, QWidget* parent)
    : CDialog(IDD_ABOUTBOX, parent), m_homePage(std::move(homePage))
{
    m_aboutText = Format("%s, v.%s, %s\r\n", product.c_str(), version.c_str(), "Build Feb 05, 2004") + kNotice;
    if (const DialogDesc* description = FindDialog(IDD_ABOUTBOX))
        setWindowTitle(QString::fromUtf8(description->m_caption));
    const QImage icon = LoadIconResource(IDI_MAINFRAME);
    if (!icon.isNull())
        setWindowIcon(QIcon(QPixmap::fromImage(icon)));

    // Placed by Layout, not by a layout manager: the box keeps the sizes
    // of its skin.
    m_picture = new CPictureWnd(this);
    m_picture->setMouseTracking(true);
    m_picture->installEventFilter(this);
    SetDlgItem(IDC_ABOUT_PICTURE, m_picture);
    // Not a registered control: it is destroyed when the text view comes.
    m_textPlaceholder = new QWidget(this);
}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_background = palette().color(QPalette::Window);
    DrawSkin();
    Layout();
    CreateTextView();
    return false;
}

void CAboutDlg::DrawSkin()
{
    if (!m_picture->SetBitmapSize(kSkinWidth, kSkinHeight))
        return;
    QImage* target = m_picture->GetBitmap().PaintTarget();
    if (!target)
        return;
    QPainter painter(target);
    QLinearGradient gradient(0, 0, kSkinWidth, 0);
    gradient.setColorAt(0, QColor(24, 60, 120));
    gradient.setColorAt(1, m_background);
    painter.fillRect(target->rect(), gradient);
    QFont title = painter.font();
    title.setPointSize(13);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, 107, kSkinHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromUtf8(LoadResourceString(IDR_MAINFRAME)));
    QFont link = painter.font();
    link.setPointSize(9);
    link.setBold(false);
    link.setUnderline(true);
    painter.setFont(link);
    painter.setPen(QColor(255, 255, 160));
    painter.drawText(HotArea(), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Visit the home page"));
    painter.end();
    m_picture->SetOffset(0, 0);
}

void CAboutDlg::Layout()
{
    const int width = std::max(m_picture->GetBitmap().GetSize().width(), 1);
    ResizeWindowToClient(this, width, kSkinHeight + 160);
    // The smallest the box may be made.
    setMinimumSize(width, kSkinHeight + 160);
    m_picture->setGeometry(0, 0, width, kSkinHeight);
    m_picture->SetOffset(0, 0);
    m_textRect = QRect(0, kSkinHeight + 10, width, kTextHeight);
    if (m_textView)
        m_textView->setGeometry(m_textRect);
    else if (m_textPlaceholder)
        m_textPlaceholder->setGeometry(m_textRect);
    ResizeWindowToClient(this, width + 30, kSkinHeight + 160);
    m_lastClient = size();
    update();
}

void CAboutDlg::CreateTextView()
{
    QRect rect = m_textRect;
    if (m_textPlaceholder)
    {
        rect = m_textPlaceholder->geometry();
        delete m_textPlaceholder;
        m_textPlaceholder = nullptr;
    }
    m_textView = new CColorEditView(this);
    m_textView->setGeometry(rect);
    SetDlgItem(IDC_ABOUT_TEXT, m_textView);

    CEditColorScheme& scheme = m_textView->GetScheme();
    const COLORREF background = ToColorRef(m_background);
    scheme.m_base[kSlotText] = {-1, background};
    scheme.m_base[kSlotBeyondText] = {-1, background};
    scheme.m_token[kRedKind] = {-1, EditRgb(255, 0, 0)};
    scheme.m_token[kBlueKind] = {-1, EditRgb(0, 0, 255)};

    m_textView->SetFontSize(90, false);
    m_textView->SetLocked(true);
    m_textView->ShowLineNumbers(false, false);
    m_textView->AttachBuffer(new CEditTextBuffer, true);
    m_textView->SetColorizer(new CSyntaxColorizer(kOwnerSpans), true, false);
    m_textView->EnableTextArea(true, true);
    m_textView->SetText(m_aboutText, true, 0);

    if (CEditTextBuffer* buffer = m_textView->GetBuffer())
    {
        const auto colorLine = [buffer](int index, int kind) {
            if (CEditLine* line = buffer->GetLine(index))
                line->GetSpans().push_back({0, std::min(100, line->GetTextEnd()), kind});
        };
        colorLine(0, kBlueKind);
        colorLine(kHeadingLine, kRedKind);
    }
    m_textView->show();
    m_textView->update();
    m_textView->setFocus();
}

int CAboutDlg::HitTest(const QPoint& point)
{
    return HotArea().contains(point) ? 0 : -1;
}

void CAboutDlg::OpenHomePage()
{
    (void)ShellOpen(m_homePage);
}

void CAboutDlg::StopDrag()
{
    m_dragging = false;
    if (m_picture && QWidget::mouseGrabber() == m_picture)
        m_picture->releaseMouse();
}

void CAboutDlg::UpdateCursor(const QPoint& point)
{
    const int area = HitTest(point);
    const bool hand = area >= 0 && (m_pressedArea < 0 || m_pressedArea == area);
    m_picture->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool CAboutDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_picture)
        return CDialog::eventFilter(watched, event);
    switch (event->type())
    {
    case QEvent::MouseButtonPress:
    {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const QPoint point = mouse->position().toPoint();
        const int area = HitTest(point);
        if (area >= 0)
        {
            m_pressedArea = area;
            return true;
        }
        m_dragStart = point;
        m_dragging = true;
        m_picture->grabMouse();
        return true;
    }
    case QEvent::MouseMove:
    {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint point = mouse->position().toPoint();
        UpdateCursor(point);
        if (m_dragging)
        {
            move(pos() + (point - m_dragStart));
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
    {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const int area = HitTest(mouse->position().toPoint());
        if (!m_dragging && area >= 0 && area == m_pressedArea)
        {
            m_pressedArea = -1;
            OpenHomePage();
            return true;
        }
        m_pressedArea = -1;
        StopDrag();
        return true;
    }
    case QEvent::MouseButtonDblClick: StopDrag(); break;
    default: break;
    }
    return CDialog::eventFilter(watched, event);
}

void CAboutDlg::resizeEvent(QResizeEvent* event)
{
    CDialog::resizeEvent(event);
    if (!m_textView || !m_lastClient.isValid())
        return;
    // The text view's right and bottom edges follow the box's.
    const QSize change = event->size() - m_lastClient;
    QRect rect = m_textView->geometry();
    rect.setRight(rect.right() + change.width());
    rect.setBottom(rect.bottom() + change.height());
    m_textView->setGeometry(rect);
    m_lastClient = event->size();
}

void CAboutDlg::changeEvent(QEvent* event)
{
    CDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        StopDrag();
}

void CAboutDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter is OK although the box has no button for it.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier)
    {
        EndDialog(IDOK);
        return;
    }
    CDialog::keyPressEvent(event);
}

void ShowAboutDialog(const std::string& product, const std::string& version, const std::string& homePage)
{
    CAboutDlg dialog(product, version, homePage);
    dialog.DoModal();
}
