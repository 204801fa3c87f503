#include "shell/LinkViewFrame.h"

#include "editor/ui/HTMLEditView.h"
#include "res/Resources.h"
#include "shell/LinkListPane.h"
#include "widgets/TabbedBar.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
constexpr CLinkViewPage kPages[] = {
    {1, IDS_PAGE_CONTENT},       {3, IDS_PAGE_INFORMATION}, {2, IDS_PAGE_LOG},       {4, IDS_PAGE_FORM},
    {5, IDS_PAGE_HTML_ELEMENTS}, {6, IDS_PAGE_HTML_TAGS},   {7, IDS_PAGE_HTML_TEXT},
};
constexpr int kPageCount = int(std::size(kPages));

// Ctrl+Page Down / Up: the frame's own keys while the focus is in it.
int TabStepOfKey(const QKeyEvent& key)
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return 0;
    if (key.key() == Qt::Key_PageDown)
        return 1;
    if (key.key() == Qt::Key_PageUp)
        return -1;
    return 0;
}
} // namespace

std::span<const CLinkViewPage> GetLinkViewPages()
{
    return kPages;
}

int LinkViewTabOfPage(int page)
{
    for (int i = 0; i < kPageCount; ++i)
    {
        if (kPages[i].m_page == page)
            return i;
    }
    return -1;
}

int LinkViewStepTab(int index, bool forward)
{
    if (forward)
        return index + 1 >= kPageCount ? 0 : index + 1;
    return index - 1 < 0 ? kPageCount - 1 : index - 1;
}

CLinkViewFrame::CLinkViewFrame(QWidget* parent) : CFrameWnd(parent)
{
    setWindowFlags(Qt::Widget);
    OnCommand(ID_TAB_NEXT, [this] { StepTab(true); });
    OnCommand(ID_TAB_PREVIOUS, [this] { StepTab(false); });
    OnCommand(ID_LOCK_BUTTON, [this] {
        if (m_list)
            m_list->SetLocked(!m_list->IsLocked());
    });
}

CLinkViewFrame::~CLinkViewFrame() = default;

void CLinkViewFrame::Create(IPropertySet* settings)
{
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The Link View bar: the address line stretches with the bar.
    auto* bar = new QWidget(client);
    bar->setObjectName("linkViewBar");
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 2, 2, 2);
    m_barText = new QLineEdit(bar);
    m_barText->setObjectName("linkViewText");
    m_barText->setReadOnly(true);
    m_lockButton = new QToolButton(bar);
    m_lockButton->setObjectName("linkViewLock");
    m_lockButton->setCheckable(true);
    m_lockButton->setEnabled(false);
    if (const QImage icon = LoadIconResource(IDI_LOCK); !icon.isNull())
        m_lockButton->setIcon(QIcon(QPixmap::fromImage(icon)));
    connect(m_lockButton, &QToolButton::clicked, this, [this] {
        // The button shows the list's state, which the command changes.
        m_lockButton->setChecked(m_list && m_list->IsLocked());
        ExecuteCommand(ID_LOCK_BUTTON);
    });
    row->addWidget(m_barText, 1);
    row->addWidget(m_lockButton);
    column->addWidget(bar);

    // The editor view stands on its own: the task's document holds no text,
    // and the view's edits must never mark the task as changed.
    m_editView = new CHTMLEditView(client);
    m_editView->SetSettings(settings);
    m_editView->setObjectName("linkViewEditor");
    column->addWidget(m_editView, 1);

    m_tabs = new CTabbedBar(client);
    m_tabs->Create(client, 0, false);
    m_tabs->setObjectName("linkViewTabs");
    for (const CLinkViewPage& page : kPages)
    {
        auto* key = new QWidget(this);
        key->hide();
        m_tabKeys.push_back(key);
        m_tabs->AddTab(LoadResourceString(page.m_caption), &CLinkViewFrame::OnTab, key, this, page.m_page, false);
    }
    column->addWidget(m_tabs);
    setCentralWidget(client);

    m_editView->installEventFilter(this);
    client->installEventFilter(this);
}

void CLinkViewFrame::OnTab(const CTabInfo& tab, int flag, const std::string&)
{
    if (flag == 1 && tab.m_userData)
        static_cast<CLinkViewFrame*>(tab.m_userData)->OnPageChosen(int(tab.m_value));
}

void CLinkViewFrame::OnPageChosen(int page)
{
    if (m_list)
        m_list->SetInfoMode(page);
}

void CLinkViewFrame::StepTab(bool forward)
{
    CTabStripWnd& strip = m_tabs->Strip();
    const int next = LinkViewStepTab(strip.GetActiveIndex(), forward);
    strip.SelectTab(next, true, true);
}

void CLinkViewFrame::ShowPageForKind()
{
    if (!m_list)
        return;
    const int tab = LinkViewTabOfPage(m_list->GetInfoMode());
    if (tab >= 0)
        m_tabs->Strip().SelectTab(tab, false, true);
}

int CLinkViewFrame::GetCurrentPage() const
{
    const int index = m_tabs->Strip().GetActiveIndex();
    return index >= 0 && index < kPageCount ? kPages[index].m_page : 0;
}

void CLinkViewFrame::SetBarText(const std::string& text)
{
    m_barText->setText(QString::fromStdString(text));
}

std::string CLinkViewFrame::GetBarText() const
{
    return m_barText->text().toStdString();
}

void CLinkViewFrame::SetLockCheck(bool checked)
{
    m_lockButton->setChecked(checked);
}

void CLinkViewFrame::EnableLockButton(bool enable)
{
    m_lockButton->setEnabled(enable);
}

void CLinkViewFrame::SetActive(bool active)
{
    m_tabs->SetActiveLook(active);
}

bool CLinkViewFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)
    {
        const int step = TabStepOfKey(*static_cast<QKeyEvent*>(event));
        if (step != 0)
        {
            // Claimed before the window's accelerators see the key.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                ExecuteCommand(step > 0 ? ID_TAB_NEXT : ID_TAB_PREVIOUS);
            return true;
        }
    }
    return CFrameWnd::eventFilter(watched, event);
}
