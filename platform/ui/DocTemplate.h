#pragma once
// A document template: makes documents of one kind and the frames (with
// their views) that show them, owns the documents it made, and counts its
// untitled documents for their default titles ("Tanglewarden1", ...).
//
// The document string has the fields of the program's resource strings,
// separated by '\n': window title, document name, new-file name, filter
// name, filter extension, file type id, file type name.
//
// UI thread only.

#include "platform/ui/CmdTarget.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocManager;
class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget
{
public:
    enum DocStringIndex
    {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };

    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    // Makes the frame, its views inside it, and adds the views to the
    // document; null on failure.
    using FrameFactory = std::function<CFrameWnd*(CDocument& document)>;

    CDocTemplate(UINT resourceId, std::string docString, DocumentFactory makeDocument, FrameFactory makeFrame);
    ~CDocTemplate() override;

    UINT GetResourceId() const { return m_nIDResource; }
    // One field of the document string; empty when it has none.
    std::string GetDocString(DocStringIndex index) const;
    // The open/save filter of the program's form ("Name (*.ext)|*.ext|"),
    // empty without a filter name.
    std::string GetFileFilter() const;

    CDocManager* GetDocManager() const { return m_pDocManager; }

    // A new document in a new frame: with a path, the file is read
    // (OnOpenDocument) and becomes the path name; without one, a new empty
    // document with the next untitled title. Null when anything fails (the
    // frame and the document are then gone again).
    virtual CDocument* OpenDocumentFile(const std::string& path, bool makeVisible = true);
    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument& document);
    // Initial updates of the frame's views; shows it when visible.
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* document, bool visible = true);
    // The untitled title: the document name and the counter + 1, or
    // "Untitled" without a document name.
    virtual void SetDefaultTitle(CDocument& document);

    std::vector<CDocument*> GetDocuments() const;
    // Deletes the document (its views are told first).
    void RemoveDocument(CDocument* document);
    // Saves-or-asks every modified document; false when the user cancelled.
    bool SaveAllModified();
    void CloseAllDocuments();

    int m_nUntitledCount = 0;

private:
    friend class CDocManager;

    UINT m_nIDResource;
    std::string m_strDocStrings;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    CDocManager* m_pDocManager = nullptr;
    std::vector<std::unique_ptr<CDocument>> m_documents;
};
