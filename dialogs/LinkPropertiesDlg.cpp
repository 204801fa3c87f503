#include "dialogs/LinkPropertiesDlg.h"

#include "dialogs/LinkFilterPage.h"
#include "dialogs/LinkGeneralPage.h"
#include "dialogs/PageArea.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include <QKeyEvent>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

CLinkPropertiesDlg::CLinkPropertiesDlg(CTaskDialogContext context, QWidget* parent)
    : CDialog(IDD_LINK_PROPERTIES, parent), m_context(std::move(context))
{
    if (const DialogDesc* description = FindDialog(IDD_LINK_PROPERTIES))
        BuildDialogFromDescription(*this, *description);
    OnCommand(IDC_LINKPROP_HELP, [this] { OnHelp(); });
    OnCommand(IDC_LINKPROP_SETTINGS, [this] {
        if (m_context.m_showSettings)
            m_context.m_showSettings();
    });
}

CLinkPropertiesDlg::~CLinkPropertiesDlg()
{
    // The pages work on m_task, which goes before the dialog's children.
    if (m_tabs)
        m_tabs->disconnect(this);
    delete m_general;
    delete m_filter;
}

bool CLinkPropertiesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The tab strip and the page area take the places of their placeholders.
    QWidget* tabHolder = GetDlgItem(IDC_LINKPROP_TABS);
    m_tabs = new QTabBar(this);
    m_tabs->addTab(QStringLiteral("General"));
    m_tabs->addTab(QStringLiteral("Filter"));
    if (tabHolder && layout())
    {
        delete layout()->replaceWidget(tabHolder, m_tabs, Qt::FindChildrenRecursively);
        tabHolder->hide();
    }
    m_pageArea = PlacePageArea(*this, IDC_LINKPROP_PAGE_AREA);

    m_general = new CLinkGeneralPage(m_task);
    m_filter = new CLinkFilterPage(m_task.GetFilter());
    for (CSettingsPage* page : {static_cast<CSettingsPage*>(m_general), static_cast<CSettingsPage*>(m_filter)})
    {
        page->CreatePage(m_pageArea, this, 0);
        m_pageArea->layout()->addWidget(page);
        page->ActivateToolTips(true);
        // Ctrl+Tab in the pages' controls steps the tabs here.
        for (QWidget* child : page->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    const int stored = m_context.m_settings ? GetIntOr(*m_context.m_settings, SETTING_MISC_PROPERTY_PAGE, 0) : 0;
    m_tabs->setCurrentIndex(stored >= 0 && stored < m_tabs->count() ? stored : 0);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { ShowSelectedPage(); });
    ShowSelectedPage();
    return true;
}

void CLinkPropertiesDlg::SelectTab(int index)
{
    if (m_tabs && index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
    ShowSelectedPage();
}

void CLinkPropertiesDlg::ShowSelectedPage()
{
    if (!m_tabs)
        return;
    const int selected = m_tabs->currentIndex();
    CSettingsPage* pages[] = {m_general, m_filter};
    for (int i = 0; i < 2; ++i)
    {
        if (!pages[i])
            continue;
        pages[i]->setEnabled(i == selected);
        pages[i]->setVisible(i == selected);
    }
    m_tabs->repaint();
}

void CLinkPropertiesDlg::OnOK()
{
    for (CSettingsPage* page : {static_cast<CSettingsPage*>(m_general), static_cast<CSettingsPage*>(m_filter)})
    {
        if (!page)
            continue;
        if (!page->UpdateData(true) || !page->ApplyBindings())
        {
            // The page with the fault comes to the front, its control focused.
            SelectTab(page == m_general ? 0 : 1);
            if (QWidget* failed = page->GetFailedControl())
                failed->setFocus();
            return;
        }
    }
    m_general->SetModified(false);
    m_filter->SetModified(false);
    EndDialog(IDOK);
}

void CLinkPropertiesDlg::done(int code)
{
    if (m_tabs && m_context.m_settings)
    {
        const int selected = m_tabs->currentIndex();
        if (selected != GetIntOr(*m_context.m_settings, SETTING_MISC_PROPERTY_PAGE, 0))
        {
            m_context.m_settings->SetInt(SETTING_MISC_PROPERTY_PAGE, selected);
            if (m_context.m_saveSettings)
                (void)m_context.m_saveSettings();
        }
    }
    CDialog::done(code);
}

bool CLinkPropertiesDlg::StepTab(const QKeyEvent& key)
{
    const bool tab = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
    if (!tab || !(key.modifiers() & Qt::ControlModifier) || !m_tabs || m_tabs->count() == 0)
        return false;
    const bool back = key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
    const int count = m_tabs->count();
    SelectTab((m_tabs->currentIndex() + (back ? count - 1 : 1)) % count);
    return true;
}

void CLinkPropertiesDlg::keyPressEvent(QKeyEvent* event)
{
    if (StepTab(*event))
        return;
    CDialog::keyPressEvent(event);
}

bool CLinkPropertiesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return CDialog::eventFilter(watched, event);
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (StepTab(key))
        return true;
    // A page is a dialog of its own and keeps Enter from reaching this one:
    // Enter in a page's field is OK here, except where Enter has its own
    // meaning (a new line in the POST data, a focused push button).
    const bool enter = (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
                       (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && !qobject_cast<QPlainTextEdit*>(watched) && !qobject_cast<QPushButton*>(watched))
    {
        OnOK();
        return true;
    }
    return CDialog::eventFilter(watched, event);
}

bool EditLinkProperties(CTaskSettings& task, const CTaskDialogContext& context, QWidget* parent)
{
    CLinkPropertiesDlg dialog(context, parent);
    dialog.m_task = task;
    if (dialog.DoModal() != IDOK)
        return false;
    task = dialog.m_task;
    return true;
}
