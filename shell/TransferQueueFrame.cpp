#include "shell/TransferQueueFrame.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/Settings.h"
#include "platform/ui/Document.h"
#include "res/Resources.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenTemplate.h"
#include "shell/TransferQueueView.h"
#include "transfer/base/LogRegistry.h"

#include <QAction>
#include <QToolBar>

#include <algorithm>

namespace
{
// The Item menu's text of a command without its '&' marks and its key.
QString MenuTextOf(UINT id)
{
    const MenuDesc* menu = FindMenu(IDR_QUEUE);
    if (!menu)
        return {};
    const auto item = std::find_if(menu->m_items.begin(), menu->m_items.end(),
                                   [id](const MenuItemDesc& each) { return each.m_id == id; });
    if (item == menu->m_items.end() || !item->m_text)
        return {};
    QString text = QString::fromUtf8(item->m_text);
    text = text.left(text.indexOf('\t') < 0 ? text.size() : text.indexOf('\t'));
    return text.remove('&');
}
} // namespace

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
    const QImage strip = LoadBitmapResource(desc->m_bitmap);
    std::vector<QIcon> icons;
    for (int x = 0; x + desc->m_imageWidth <= strip.width(); x += desc->m_imageWidth)
        icons.emplace_back(QPixmap::fromImage(strip.copy(x, 0, desc->m_imageWidth, strip.height())));
    Commands().BuildToolBar(m_toolBar, *desc, icons);
    for (UINT id : desc->m_buttons)
    {
        if (id == 0)
            continue;
        QAction* action = Commands().Action(id);
        const QString text = MenuTextOf(id);
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
