#include "dialogs/PropertiesDlg.h"

#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QTabBar>
#include <QVBoxLayout>

CPropertiesDlg::CPropertiesDlg(QWidget* parent) : CDialog(IDD_PROPERTIES, parent)
{
    setWindowFlag(Qt::Tool);
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    OnChange(IDC_PROPERTIES_PIN, [this] { UpdateData(true); });
}

CPropertiesDlg::~CPropertiesDlg()
{
    m_closing = true;
    SetPages("", {});
}

void CPropertiesDlg::BuildControls()
{
    const DialogDesc* description = FindDialog(IDD_PROPERTIES);
    if (!description)
        return;
    setWindowTitle(QString::fromUtf8(description->m_caption));
    // Tabs over the page area, which the builder's rows cannot express; the
    // other controls come from the description.
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabBar;
    m_tabs->setExpanding(false);
    layout->addWidget(m_tabs);
    SetDlgItem(IDC_PROPERTIES_TABS, m_tabs);
    auto* bottom = new QHBoxLayout;
    for (const ControlDesc& control : description->m_controls)
    {
        if (control.m_id == static_cast<int>(IDC_PROPERTIES_PAGE_AREA))
        {
            m_pageArea = new QWidget;
            m_pageStack = new QStackedLayout(m_pageArea);
            m_pageStack->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(m_pageArea, 1);
            continue;
        }
        QWidget* widget = CreateControl(control);
        if (control.m_id == static_cast<int>(IDC_PROPERTIES_NONE))
        {
            m_none = qobject_cast<QLabel*>(widget);
            if (m_none)
                m_none->setAlignment(Qt::AlignCenter);
            layout->addWidget(widget, 1);
        }
        else
        {
            if (control.m_id == IDOK)
                bottom->addStretch(1);
            bottom->addWidget(widget);
        }
        SetDlgItem(control.m_id, widget);
    }
    layout->addLayout(bottom);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) { SelectPage(index); });
}

CSettingsPage* CPropertiesDlg::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)].get() : nullptr;
}

void CPropertiesDlg::SetPages(const std::string& title, std::vector<std::unique_ptr<CSettingsPage>> pages)
{
    {
        const QSignalBlocker blocker(m_tabs);
        while (m_tabs && m_tabs->count() > 0)
            m_tabs->removeTab(0);
    }
    for (auto& page : m_pages)
    {
        if (m_pageStack)
            m_pageStack->removeWidget(page.get());
        page.reset();
    }
    m_pages.clear();
    m_current = -1;
    if (m_closing)
        return;
    setWindowTitle(QString::fromStdString(title));

    for (auto& page : pages)
    {
        if (!page || !m_pageArea || !page->CreateFromTemplate(m_pageArea))
            continue;
        m_pageStack->addWidget(page.get());
        page->hide();
        page->setEnabled(false);
        int tab = 0;
        {
            const QSignalBlocker blocker(m_tabs);
            tab = m_tabs->addTab(QString::fromStdString(page->GetCaption()));
        }
        page->AttachToOwner(this, 0, static_cast<std::uintptr_t>(tab));
        m_pages.push_back(std::move(page));
    }
    if (m_none)
        m_none->setVisible(m_pages.empty());
    if (m_pageArea)
        m_pageArea->setVisible(!m_pages.empty());
    SelectPage(0);
}

void CPropertiesDlg::SelectPage(int index)
{
    CSettingsPage* page = GetPage(index);
    if (!page || index == m_current)
        return;
    CSettingsPage* old = GetPage(m_current);
    if (old)
    {
        ++m_validating;
        const bool valid = old->UpdateData(true);
        --m_validating;
        if (!valid)
        {
            // The page keeps the user until its values are valid.
            const QSignalBlocker blocker(m_tabs);
            m_tabs->setCurrentIndex(m_current);
            return;
        }
    }
    page->setEnabled(true);
    m_pageStack->setCurrentWidget(page);
    page->show();
    if (old)
    {
        old->hide();
        old->setEnabled(false);
    }
    m_current = index;
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(index);
}

void CPropertiesDlg::DoDataExchange(CDataExchange& dx)
{
    int pinned = m_pinned ? 1 : 0;
    DDX_Check(dx, IDC_PROPERTIES_PIN, pinned);
    m_pinned = pinned != 0;
}

void CPropertiesDlg::OnOK()
{
    PostClose();
}

void CPropertiesDlg::OnCancel()
{
    PostClose();
}

bool CPropertiesDlg::IsBusyWithPage() const
{
    if (m_validating > 0 || QApplication::activeModalWidget())
        return true;
    // A window of our own (a page's message box or dialog) took the
    // activation.
    for (const QWidget* active = QApplication::activeWindow(); active; active = active->parentWidget())
    {
        if (active == this)
            return true;
    }
    return false;
}

void CPropertiesDlg::PostClose()
{
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void CPropertiesDlg::changeEvent(QEvent* event)
{
    CDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || isActiveWindow() || m_pinned || IsBusyWithPage())
        return;
    // Checked again when the close arrives: activation that came back in
    // the meantime (a page's message box that has gone) keeps the window.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_pinned && !isActiveWindow() && !IsBusyWithPage())
                close();
        },
        Qt::QueuedConnection);
}

void CPropertiesDlg::closeEvent(QCloseEvent* event)
{
    event->accept();
}
