#include "shell/TransferQueueFrame.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/Settings.h"
#include "platform/ui/Document.h"
#include "res/Resources.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenTemplate.h"
#include "shell/ToolbarResources.h"
#include "shell/TransferQueueView.h"
#include "transfer/base/LogRegistry.h"

#include <QAction>
#include <QToolBar>

CTransferQueueFrame::CTransferQueueFrame(int classIndex, int placementId, unsigned titleId, CPropertySet* settings,
                                         QWidget* parent)
    : CTanglewardenFrame(classIndex, placementId, titleId, settings, parent)
{
    const ToolbarDesc* desc = FindToolbar(IDR_QUEUE_TOOLBAR);
    if (!desc)
        return;
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName("QueueToolBar");
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    Commands().BuildToolBar(m_toolBar, *desc, LoadToolbarIcons(*desc));
    const MenuDesc* menu = FindMenu(IDR_QUEUE);
    for (UINT id : desc->m_buttons)
    {
        if (id == 0)
            continue;
        QAction* action = Commands().Action(id);
        const QString text = menu ? MenuLabelOf(*menu, id) : QString();
        action->setText(text);
        action->setToolTip(text);
        action->setStatusTip(text);
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    Commands().StartIdleUpdates();
}

void RegisterTransferQueueWindow(CTanglewardenApp& app, ITransferManager& manager)
{
    CTanglewardenTemplate* docTemplate = app.GetDocManager()->FindTemplateOfKind(kKindTransferQueue);
    if (!docTemplate)
        return;
    docTemplate->SetFrameFactory([&app, &manager](CDocument& document) -> CFrameWnd* {
        CMainFrame* main = app.GetMainWindow();
        if (!main)
            return nullptr;
        CTanglewardenFrame* frame = CTanglewardenFrame::MakeForKind(kKindTransferQueue, &GetSettings());
        CTanglewardenDocManager* documents = app.GetDocManager();
        auto* view = new CTransferQueueView(
            manager, GetSettings(), GetLogManager(),
            [documents](int logId) { (void)documents->OpenLogDocument(logId, GetLogManager()); },
            &app.GetSmallImages(), frame);
        frame->setCentralWidget(view);
        document.AddView(view);
        frame->SetActiveView(view, false);
        main->AddChild(frame);
        frame->OnCreate();
        return frame;
    });
}
