#include "shell/TextWindows.h"

#include "editor/ui/HTMLEditView.h"
#include "editor/ui/LinkColorizer.h"
#include "foundation/properties/PropertySet.h"
#include "platform/ui/Document.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TanglewardenTemplate.h"

#include <memory>

namespace
{
// The document names its window by setting the frame's caption
// (CDocument::SetTitle); the frame takes that text as its title, which
// composes the prefixed caption and the tab. The composed caption changes
// the caption again and is recognised, so this does not run in circles.
void FollowDocumentTitle(CMainFrame& main, CTanglewardenFrame& frame)
{
    QObject::connect(&frame, &QWidget::windowTitleChanged, &frame, [&main, &frame](const QString& caption) {
        const std::string text = caption.toStdString();
        if (text == ComposeChildTitle(frame.GetFrameTitle(), &frame))
            return;
        frame.SetFrameTitle(text, main.MDIGetActive() == &frame ? 1 : 0);
    });
}

bool IsTextKind(int kind)
{
    return kind == kKindTransferLog || kind == kKindLinkReport || kind == kKindTextEditor;
}
} // namespace

CFrameWnd* MakeTextWindow(CMainFrame* main, CDocument& document, int kind, CPropertySet& settings)
{
    if (!main || !IsTextKind(kind))
        return nullptr;
    CTanglewardenFrame* frame = CTanglewardenFrame::MakeForKind(kind, &settings);
    if (!frame)
        return nullptr;
    auto* view = new CHTMLEditView(frame);
    view->SetSettings(&settings);
    frame->setCentralWidget(view);
    document.AddView(view);
    frame->SetActiveView(view, false);
    if (kind == kKindTextEditor)
        view->TakeDocumentSaves();
    main->AddChild(frame);
    frame->OnCreate();
    FollowDocumentTitle(*main, *frame);
    return frame;
}

void RegisterTextWindows(CTanglewardenDocManager& manager, std::function<CMainFrame*()> mainFrame,
                         CPropertySet& settings, CLogRegistry& logs)
{
    manager.SetLogRegistry(&logs);
    for (int kind : {kKindTransferLog, kKindLinkReport, kKindTextEditor})
    {
        if (CTanglewardenTemplate* docTemplate = manager.FindTemplateOfKind(kind))
        {
            docTemplate->SetFrameFactory([mainFrame, &settings, kind](CDocument& document) {
                return MakeTextWindow(mainFrame ? mainFrame() : nullptr, document, kind, settings);
            });
        }
    }
}

void ColorEditorLinksByEngine(CDocument& document, const CLinkChecker* engine, int linkContext)
{
    for (CView* view : document.GetViews())
    {
        if (auto* edit = dynamic_cast<CHTMLEditView*>(view))
            edit->AttachLinkColorizer(engine, linkContext);
    }
}

void StopColoringEditorLinksByEngine(CDocument& document, const CLinkChecker* engine)
{
    for (CView* view : document.GetViews())
    {
        auto* edit = dynamic_cast<CHTMLEditView*>(view);
        const auto* colorizer = edit ? dynamic_cast<const CLinkColorizer*>(edit->GetColorizer()) : nullptr;
        if (colorizer && colorizer->GetEngine() == engine)
            edit->AttachLinkColorizer(nullptr, 0);
    }
}
