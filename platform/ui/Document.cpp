#include "platform/ui/Document.h"

#include "platform/ui/DocManager.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/View.h"

#include "platform/core/Archive.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/DesktopServices.h"

#include <QApplication>
#include <QString>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace
{
// The frame a document's view lives in as a window: the MDI child or the
// top-level frame, not a frame nested inside one.
CFrameWnd* WindowFrameOf(CView* view)
{
    CFrameWnd* frame = view->GetParentFrame();
    while (frame && frame->GetParentFrame() && !dynamic_cast<CMDIChildWnd*>(frame))
        frame = frame->GetParentFrame();
    return frame;
}
} // namespace

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
}

void CDocument::SetTitle(const std::string& title)
{
    m_strTitle = title;
    for (CView* view : m_views)
    {
        if (CFrameWnd* frame = WindowFrameOf(view))
            frame->setWindowTitle(QString::fromStdString(title));
    }
}

void CDocument::SetPathName(const std::string& path, bool addToRecent)
{
    m_strPathName = path;
    m_bEmbedded = false;
    SetTitle(path);
    if (addToRecent && m_pDocTemplate && m_pDocTemplate->GetDocManager())
        m_pDocTemplate->GetDocManager()->AddToRecentFileList(path);
}

void CDocument::AddView(CView* view)
{
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    if (view->m_pDocument)
        view->m_pDocument->RemoveView(view);
    m_views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view)
{
    auto found = std::find(m_views.begin(), m_views.end(), view);
    if (found == m_views.end())
        return;
    m_views.erase(found);
    view->m_pDocument = nullptr;
    view->OnRemovedFromDocument();
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, void* hintObject)
{
    // A copy: an update may add or remove views.
    const std::vector<CView*> views = m_views;
    for (CView* view : views)
    {
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
    }
}

void CDocument::Serialize(CArchive&)
{
}

void CDocument::DeleteContents()
{
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return false;
    DeleteContents();
    CArchive archive(bytes);
    Serialize(archive);
    if (archive.Failed())
    {
        DeleteContents();
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path)
{
    CArchive archive;
    Serialize(archive);
    const auto& bytes = archive.Data();
    if (!WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), 0644))
        return false;
    SetModifiedFlag(false);
    return true;
}

void CDocument::OnCloseDocument()
{
    // Frames go first (each loses its views), then the document itself.
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_views)
    {
        CFrameWnd* frame = WindowFrameOf(view);
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    }
    for (CView* view : std::vector<CView*>(m_views))
        RemoveView(view);
    for (CFrameWnd* frame : frames)
    {
        if (auto* child = dynamic_cast<CMDIChildWnd*>(frame))
            child->MDIDestroy();
        else
            frame->close();
    }
    DeleteContents();
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this); // deletes this
}

bool CDocument::CanCloseFrame(CFrameWnd* frame)
{
    for (CView* view : m_views)
    {
        CFrameWnd* other = WindowFrameOf(view);
        if (other && other != frame)
            return true;
    }
    return SaveModified();
}

bool CDocument::SaveModified()
{
    if (!IsModified())
        return true;
    std::string name = m_strPathName.empty() ? m_strTitle : m_strPathName;
    if (name.empty())
        name = "Untitled";
    const std::string question = QString("Save changes to %1?").arg(QString::fromStdString(name)).toStdString();
    switch (AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDCANCEL: return false;
    case IDYES: return DoFileSave();
    default: return true;
    }
}

bool CDocument::DoSave(const std::string& path, bool replace)
{
    std::string name = path;
    if (name.empty())
    {
        IFilePicker* picker = GetFilePicker();
        if (!picker)
            return false;
        FileDialogRequest request;
        request.m_save = true;
        request.m_fileName = m_strPathName;
        if (m_pDocTemplate)
            request.m_filter = m_pDocTemplate->GetFileFilter();
        name = picker->PickFile(request);
        if (name.empty())
            return false;
    }
    return SaveUnderName(name, replace);
}

bool CDocument::SaveUnderName(const std::string& name, bool replace)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = OnSaveDocument(name);
    QApplication::restoreOverrideCursor();
    // The user must learn that the file on disk is not what the window
    // shows; the document stays modified.
    if (!saved)
        (void)AfxMessageBox("Failed to save " + name, MB_OK | MB_ICONERROR);
    if (saved && replace)
        SetPathName(name);
    return saved;
}

bool CDocument::DoFileSave()
{
    if (m_strPathName.empty() || access(m_strPathName.c_str(), W_OK) != 0)
        return DoSave(std::string());
    return DoSave(m_strPathName);
}
