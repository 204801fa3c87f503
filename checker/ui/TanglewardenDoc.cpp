#include "checker/ui/TanglewardenDoc.h"

#include "checker/TaskSettings.h"
#include "editor/EditTextBuffer.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/Archive.h"
#include "platform/ui/DocManager.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/View.h"
#include "res/Resources.h"

#include <QApplication>
#include <QString>

#include <algorithm>
#include <utility>

CTanglewardenDoc::CTanglewardenDoc(const IPropertySet& settings) : m_settings(settings)
{
    OnCommand(ID_FILE_SAVE, [this] { (void)DoFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { (void)DoSave(std::string()); });
    OnCommand(ID_FILE_CLOSE, [this] {
        if (SaveModified())
            OnCloseDocument();
    });
}

CTanglewardenDoc::~CTanglewardenDoc()
{
    // The task windows' engines may still read the task: they let go first.
    for (ITaskDocumentView* view : std::exchange(m_taskViews, {}))
        view->DetachDocument();
    // Views that still show the text let go of it before it is deleted.
    for (CView* view : std::vector<CView*>(GetViews()))
        RemoveView(view);
}

void CTanglewardenDoc::AttachTaskView(ITaskDocumentView* view)
{
    if (view && std::find(m_taskViews.begin(), m_taskViews.end(), view) == m_taskViews.end())
        m_taskViews.push_back(view);
}

void CTanglewardenDoc::DetachTaskView(ITaskDocumentView* view)
{
    std::erase(m_taskViews, view);
}

void CTanglewardenDoc::SetTask(const CTaskSettings* source)
{
    m_text.reset();
    if (!m_task)
        m_task = std::make_unique<CTaskSettings>();
    if (source)
        *m_task = *source;
}

void CTanglewardenDoc::SetText(std::string_view text)
{
    m_task.reset();
    if (!m_text)
        m_text = std::make_unique<CEditTextBuffer>();
    m_text->SetText(text);
    // Text put in whole is the starting state, not an edit.
    m_text->SetSavePoint();
}

std::string CTanglewardenDoc::GetDisplayName() const
{
    return m_task ? m_task->GetUrl() : GetTitle();
}

void CTanglewardenDoc::Serialize(CArchive& archive)
{
    if (m_task)
    {
        (void)m_task->Serialize(archive);
    }
    else if (m_text)
    {
        m_text->Serialize(archive);
        // Text read in is its saved state; text written out becomes that
        // only once the write succeeded (SetModifiedFlag(false) then).
        if (archive.IsLoading())
            m_text->SetSavePoint();
    }
}

bool CTanglewardenDoc::IsModified() const
{
    return CDocument::IsModified() || (m_text && m_text->IsModified());
}

void CTanglewardenDoc::SetModifiedFlag(bool modified)
{
    CDocument::SetModifiedFlag(modified);
    // A saved (or discarded) text is its new unchanged state.
    if (!modified && m_text)
        m_text->SetSavePoint();
}

bool CTanglewardenDoc::CanCloseFrame(CFrameWnd* frame)
{
    return !HasContent() || CDocument::CanCloseFrame(frame);
}

bool CTanglewardenDoc::SaveModified()
{
    if (!IsModified() || !HasContent())
        return true;
    if (GetIntOr(m_settings, SETTING_PROMPTS_SAVE) == 0)
        return true;
    const std::string name = GetPathName().empty() ? std::string(LoadResourceString(IDS_UNTITLED)) : GetPathName();
    const std::string question = QString("Save changes to %1?").arg(QString::fromStdString(name)).toStdString();
    switch (AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDCANCEL: return false;
    case IDYES: return DoFileSave();
    default: return true;
    }
}

bool CTanglewardenDoc::DoSave(const std::string& path, bool replace)
{
    if (!HasContent())
        return false;
    std::string name = path;
    if (name.empty())
    {
        CDocTemplate* docTemplate = GetDocTemplate();
        CDocManager* manager = docTemplate ? docTemplate->GetDocManager() : nullptr;
        name = GetPathName();
        const char* title = LoadResourceString(replace ? IDS_SAVE_AS : IDS_SAVE_COPY_AS);
        if (!manager ||
            !manager->DoPromptFileName(name, title, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, false, docTemplate))
            return false;
    }
    // The save writes a temporary file and renames it over the target, so a
    // failure leaves whatever stood at the name untouched: nothing to delete.
    return SaveUnderName(name, replace);
}

