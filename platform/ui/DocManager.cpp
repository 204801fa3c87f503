#include "platform/ui/DocManager.h"

#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/View.h"

#include "platform/core/DesktopServices.h"

#include <algorithm>

CDocManager::CDocManager() = default;
CDocManager::~CDocManager() = default;

CDocTemplate* CDocManager::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate)
{
    docTemplate->m_pDocManager = this;
    m_templates.push_back(std::move(docTemplate));
    return m_templates.back().get();
}

std::vector<CDocTemplate*> CDocManager::GetTemplates() const
{
    std::vector<CDocTemplate*> templates;
    for (const auto& docTemplate : m_templates)
        templates.push_back(docTemplate.get());
    return templates;
}

CDocument* CDocManager::FindOpenDocument(const std::string& path) const
{
    for (const auto& docTemplate : m_templates)
    {
        for (CDocument* document : docTemplate->GetDocuments())
        {
            if (!path.empty() && document->GetPathName() == path)
                return document;
        }
    }
    return nullptr;
}

CDocument* CDocManager::OpenDocumentFile(const std::string& path)
{
    if (m_templates.empty())
        return nullptr;
    if (CDocument* open = FindOpenDocument(path))
    {
        if (!open->GetViews().empty())
        {
            if (CFrameWnd* frame = open->GetViews().front()->GetParentFrame())
            {
                if (auto* child = dynamic_cast<CMDIChildWnd*>(frame))
                    child->MDIActivate();
                frame->activateWindow();
            }
        }
        return open;
    }
    CDocTemplate* chosen = m_templates.front().get();
    for (const auto& docTemplate : m_templates)
    {
        const std::string ext = docTemplate->GetDocString(CDocTemplate::filterExt);
        if (!ext.empty() && path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        {
            chosen = docTemplate.get();
            break;
        }
    }
    return chosen->OpenDocumentFile(path);
}

bool CDocManager::DoPromptFileName(std::string& name, const std::string& title, unsigned flags, bool open,
                                   CDocTemplate* docTemplate)
{
    IFilePicker* picker = GetFilePicker();
    if (!picker)
        return false;
    FileDialogRequest request;
    request.m_save = !open;
    request.m_fileName = name;
    request.m_title = title;
    request.m_confirmOverwrite = !open && (flags & OFN_OVERWRITEPROMPT) != 0;
    if (docTemplate)
        request.m_filter = docTemplate->GetFileFilter();
    const std::string chosen = picker->PickFile(request);
    if (chosen.empty())
        return false;
    name = chosen;
    return true;
}

bool CDocManager::SaveAllModified()
{
    return std::all_of(m_templates.begin(), m_templates.end(),
                       [](const auto& docTemplate) { return docTemplate->SaveAllModified(); });
}

void CDocManager::CloseAllDocuments()
{
    for (const auto& docTemplate : m_templates)
        docTemplate->CloseAllDocuments();
}

size_t CDocManager::GetOpenDocumentCount() const
{
    size_t count = 0;
    for (const auto& docTemplate : m_templates)
        count += docTemplate->GetDocuments().size();
    return count;
}

void CDocManager::LoadRecentFileList(CRegistry& registry, std::string keyPath, size_t maxSize)
{
    m_registry = &registry;
    m_recentKey = std::move(keyPath);
    m_recentMax = maxSize;
    m_recentFiles.clear();
    CRegistryHandle key;
    if (registry.OpenKey(registry.GetRootKey(), m_recentKey, false, key) != RegResult::Ok)
        return;
    for (size_t index = 1; index <= maxSize; ++index)
    {
        RegistryValue value;
        if (registry.QueryValue(key, "File" + std::to_string(index), value) != RegResult::Ok ||
            value.m_type != RegistryType::String || value.m_data.empty())
            break;
        m_recentFiles.push_back(value.m_data);
    }
}

void CDocManager::AddToRecentFileList(const std::string& path)
{
    if (path.empty() || m_recentMax == 0)
        return;
    std::erase(m_recentFiles, path);
    m_recentFiles.insert(m_recentFiles.begin(), path);
    if (m_recentFiles.size() > m_recentMax)
        m_recentFiles.resize(m_recentMax);
    SaveRecentFileList();
}

void CDocManager::RemoveFromRecentFileList(size_t index)
{
    if (index >= m_recentFiles.size())
        return;
    m_recentFiles.erase(m_recentFiles.begin() + static_cast<std::ptrdiff_t>(index));
    SaveRecentFileList();
}

void CDocManager::SaveRecentFileList()
{
    if (!m_registry)
        return;
    CRegistryHandle key;
    if (m_registry->CreateKey(m_registry->GetRootKey(), m_recentKey, key) != RegResult::Ok)
        return;
    for (size_t index = 1; index <= m_recentMax; ++index)
    {
        const std::string name = "File" + std::to_string(index);
        if (index <= m_recentFiles.size())
            (void)m_registry->SetValue(key, name, RegistryValue::MakeString(m_recentFiles[index - 1]));
        else
            (void)m_registry->DeleteValue(key, name);
    }
}
