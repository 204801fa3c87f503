#pragma once
// The document manager: the application's templates, opening a file with
// the template whose extension it has (or activating the window that
// already shows it), saving and closing all documents, and the recent-file
// list, kept in the registry store as values "File1", "File2", ... of one
// key, most recent first.
//
// UI thread only.

#include "platform/ui/CmdTarget.h"

#include "platform/core/Registry.h"

#include <memory>
#include <string>
#include <vector>

class CDocTemplate;
class CDocument;

// Flags of a file prompt, in the program's numbers.
inline constexpr unsigned OFN_OVERWRITEPROMPT = 0x0002;
inline constexpr unsigned OFN_HIDEREADONLY = 0x0004;
inline constexpr unsigned OFN_PATHMUSTEXIST = 0x0800;
inline constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;

class CDocManager : public CCmdTarget
{
public:
    CDocManager();
    ~CDocManager() override;

    // Takes the template; templates keep the order they were added in.
    CDocTemplate* AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    std::vector<CDocTemplate*> GetTemplates() const;

    // The document already open with that path (compared as it stands), or
    // null.
    CDocument* FindOpenDocument(const std::string& path) const;
    // An open document with that path is returned as it is; otherwise the
    // first template whose filter extension ends the path (else the first
    // template) opens it. Null on failure.
    virtual CDocument* OpenDocumentFile(const std::string& path);

    // Asks for a file to open or a name to save under, titled title, offering
    // the template's file types (all files without a template). name holds the
    // name offered at first and receives the chosen path. False when the user
    // cancelled. The application's manager offers its own file types.
    virtual bool DoPromptFileName(std::string& name, const std::string& title, unsigned flags, bool open,
                                  CDocTemplate* docTemplate);

    bool SaveAllModified();
    void CloseAllDocuments();
    size_t GetOpenDocumentCount() const;

    // The recent-file list: read from registry\keyPath (at most maxSize
    // entries), written back after every change.
    void LoadRecentFileList(CRegistry& registry, std::string keyPath, size_t maxSize);
    void AddToRecentFileList(const std::string& path);
    void RemoveFromRecentFileList(size_t index);
    const std::vector<std::string>& GetRecentFiles() const { return m_recentFiles; }

private:
    void SaveRecentFileList();

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::vector<std::string> m_recentFiles;
    CRegistry* m_registry = nullptr;
    std::string m_recentKey;
    size_t m_recentMax = 0;
};
