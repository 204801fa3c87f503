#pragma once
// A document: the data behind one or more views, with its title, its path,
// its modified flag and its serialisation through the byte archive. Saving
// writes the whole file atomically (platform/core/AtomicFile.h): a save that
// fails leaves the old file as it was.
//
// A document belongs to its template (DocTemplate.h), which makes it and
// deletes it when it closes. When it goes, it first tells its views, so no
// view keeps pointing at it.
//
// UI thread only.

#include "platform/ui/CmdTarget.h"

#include "platform/core/WindowHandle.h"

#include <string>
#include <vector>

class CArchive;
class CDocTemplate;
class CFrameWnd;
class CView;

class CDocument : public CCmdTarget
{
public:
    CDocument() = default;
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::string& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const std::string& title);
    const std::string& GetPathName() const { return m_strPathName; }
    // Stores the path, makes it the title, and adds it to the recent-file
    // list when asked.
    virtual void SetPathName(const std::string& path, bool addToRecent = true);

    virtual bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    // A document opened without being shown (no window title of its own).
    bool m_bEmbedded = false;

    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }
    // OnUpdate on every view but the sender.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, void* hintObject = nullptr);

    // Stores into or loads from the archive; the base does nothing.
    virtual void Serialize(CArchive& archive);
    // Empties the document's data; the base does nothing.
    virtual void DeleteContents();

    // A new, empty, unmodified document without a path.
    virtual bool OnNewDocument();
    // Reads the file through Serialize; false (contents emptied) when the
    // file cannot be read or its bytes do not load.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes the file through Serialize, atomically; false, with the old
    // file untouched and the modified flag kept, when it cannot be written.
    virtual bool OnSaveDocument(const std::string& path);
    // Closes every frame that shows the document, then lets the template
    // delete it. Nothing may use the document afterwards.
    virtual void OnCloseDocument();

    // Whether the frame may close: yes when another frame still shows the
    // document, else as SaveModified says.
    virtual bool CanCloseFrame(CFrameWnd* frame);
    // Asks "Save changes to %1?" (Yes, No, Cancel) for a modified document;
    // true when closing may go on.
    virtual bool SaveModified();
    // Saves under path, or under a name the user picks when path is empty
    // (replace: the document then takes that name). False when cancelled or
    // failed.
    virtual bool DoSave(const std::string& path, bool replace = true);
    // Saves under the document's path, asking for one when it has none.
    virtual bool DoFileSave();

protected:
    // The save itself once the name is known, shared by every DoSave.
    bool SaveUnderName(const std::string& name, bool replace);

private:
    friend class CDocTemplate;

    std::string m_strTitle;
    std::string m_strPathName;
    bool m_bModified = false;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;
};
