#include "shell/TanglewardenTemplate.h"

#include "checker/ui/TanglewardenDoc.h"
#include "platform/core/LocalPath.h"
#include "platform/ui/FrameWnd.h"

CTanglewardenTemplate::CTanglewardenTemplate(int kind, UINT resourceId, std::string docString,
                                             DocumentFactory makeDocument, FrameFactory plainFrame)
    : CDocTemplate(resourceId, std::move(docString), std::move(makeDocument), std::move(plainFrame)),
      m_kind(kind)
{
}

CDocument* CTanglewardenTemplate::CreateNewDocument()
{
    CDocument* document = CDocTemplate::CreateNewDocument();
    if (auto* ours = dynamic_cast<CTanglewardenDoc*>(document))
    {
        if (m_kind == 1)
            ours->SetTask(nullptr);
        else if (m_kind >= 3)
            ours->SetText({});
    }
    return document;
}

CFrameWnd* CTanglewardenTemplate::CreateNewFrame(CDocument& document)
{
    return m_makeFrame ? m_makeFrame(document) : CDocTemplate::CreateNewFrame(document);
}

CDocument* CTanglewardenTemplate::OpenDocumentFile(const std::string& path, bool makeVisible)
{
    if (path.empty())
        return CDocTemplate::OpenDocumentFile(path, makeVisible);
    std::string fileSystemPath;
    if (ToFileSystemPath(path, fileSystemPath))
        return CDocTemplate::OpenDocumentFile(fileSystemPath, makeVisible);

    // An address names the window; what it shows is fetched by its view.
    CDocument* document = CreateNewDocument();
    if (!document)
        return nullptr;
    CFrameWnd* frame = CreateNewFrame(*document);
    if (!frame)
    {
        RemoveDocument(document);
        return nullptr;
    }
    document->SetTitle(path);
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}
