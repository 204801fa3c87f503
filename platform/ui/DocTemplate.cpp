#include "platform/ui/DocTemplate.h"

#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"

#include <QApplication>
#include <QMdiSubWindow>

CDocTemplate::CDocTemplate(UINT resourceId, std::string docString, DocumentFactory makeDocument,
                           FrameFactory makeFrame)
    : m_nIDResource(resourceId),
      m_strDocStrings(std::move(docString)),
      m_makeDocument(std::move(makeDocument)),
      m_makeFrame(std::move(makeFrame))
{
}

CDocTemplate::~CDocTemplate() = default;

std::string CDocTemplate::GetDocString(DocStringIndex index) const
{
    size_t start = 0;
    for (int field = 0; field < index; ++field)
    {
        start = m_strDocStrings.find('\n', start);
        if (start == std::string::npos)
            return std::string();
        ++start;
    }
    const size_t end = m_strDocStrings.find('\n', start);
    return m_strDocStrings.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string CDocTemplate::GetFileFilter() const
{
    const std::string name = GetDocString(filterName);
    const std::string ext = GetDocString(filterExt);
    if (name.empty() || ext.empty())
        return std::string();
    return name + "|*" + ext + "|";
}

CDocument* CDocTemplate::CreateNewDocument()
{
    std::unique_ptr<CDocument> document = m_makeDocument ? m_makeDocument() : nullptr;
    if (!document)
        return nullptr;
    document->m_pDocTemplate = this;
    m_documents.push_back(std::move(document));
    return m_documents.back().get();
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument& document)
{
    return m_makeFrame ? m_makeFrame(document) : nullptr;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument*, bool visible)
{
    frame->InitialUpdateFrame(visible);
}

void CDocTemplate::SetDefaultTitle(CDocument& document)
{
    const std::string name = GetDocString(docName);
    document.SetTitle(name.empty() ? std::string("Untitled") : name + std::to_string(m_nUntitledCount + 1));
}

CDocument* CDocTemplate::OpenDocumentFile(const std::string& path, bool makeVisible)
{
    CDocument* document = CreateNewDocument();
    if (!document)
        return nullptr;
    CFrameWnd* frame = CreateNewFrame(*document);
    if (!frame)
    {
        RemoveDocument(document);
        return nullptr;
    }
    // Closing the frame on failure takes the document with it only once it
    // is shown; here both go explicitly.
    auto fail = [&] {
        for (CView* view : std::vector<CView*>(document->GetViews()))
            document->RemoveView(view);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(frame->parentWidget()))
            delete sub;
        else
            delete frame;
        RemoveDocument(document);
        return nullptr;
    };
    if (path.empty())
    {
        SetDefaultTitle(*document);
        if (!makeVisible)
            document->m_bEmbedded = true;
        if (!document->OnNewDocument())
            return fail();
        ++m_nUntitledCount;
    }
    else
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool opened = document->OnOpenDocument(path);
        QApplication::restoreOverrideCursor();
        if (!opened)
            return fail();
        document->SetPathName(path);
    }
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}

std::vector<CDocument*> CDocTemplate::GetDocuments() const
{
    std::vector<CDocument*> documents;
    for (const auto& document : m_documents)
        documents.push_back(document.get());
    return documents;
}

void CDocTemplate::RemoveDocument(CDocument* document)
{
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it)
    {
        if (it->get() == document)
        {
            // Out of the list before it is destroyed, so that nothing the
            // destructor reaches finds it there.
            std::unique_ptr<CDocument> going = std::move(*it);
            m_documents.erase(it);
            return;
        }
    }
}

bool CDocTemplate::SaveAllModified()
{
    for (CDocument* document : GetDocuments())
    {
        if (!document->SaveModified())
            return false;
    }
    return true;
}

void CDocTemplate::CloseAllDocuments()
{
    for (CDocument* document : GetDocuments())
        document->OnCloseDocument();
}
