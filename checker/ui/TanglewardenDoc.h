#pragma once
// CTanglewardenDoc: the program's one document class. A document holds a
// task (shown by a task window, saved as a ".vbb" project file), or a text
// (shown by the editor, report and log windows), or nothing yet; never both.
//
// Saving goes through the window layer's atomic save (platform/ui/
// Document.h): the file is written beside the target under a temporary name
// and renamed over it, so a failed Save keeps the old file whole and a failed
// Save As never removes a file that stood at the chosen name.
//
// A text document counts as modified while its text differs from the last
// saved or loaded state, as well as when the modified flag is set.
//
// UI thread only.

#include "platform/ui/Document.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CEditTextBuffer;
class CTaskSettings;
class IPropertySet;

// The task window's view that runs the document's task; told before the
// document goes, so that its engine stops using the task.
class ITaskDocumentView
{
public:
    virtual ~ITaskDocumentView() = default;
    virtual void DetachDocument() = 0;
};

// Commands of the document: Save, Save As and Close (which asks first).
class CTanglewardenDoc : public CDocument
{
public:
    // settings: where "Prompts/Save" is read; must outlive the document.
    explicit CTanglewardenDoc(const IPropertySet& settings);
    ~CTanglewardenDoc() override;

    CTaskSettings* GetTask() const { return m_task.get(); }
    CEditTextBuffer* GetText() const { return m_text.get(); }
    // Drops the text; the task becomes a copy of source (the defaults of an
    // empty task when source is null).
    void SetTask(const CTaskSettings* source);
    // Drops the task; the text becomes text, as its unchanged state.
    void SetText(std::string_view text);
    // The task's start URI when the document holds a task, else the title.
    std::string GetDisplayName() const;

    // A log window's log of the log registry; 0 for a log file or none.
    void SetLogId(int logId) { m_logId = logId; }
    int GetLogId() const { return m_logId; }

    // The task windows' views that use the document; each is told before
    // the document goes. One page opened for editing from two task windows
    // has two.
    void AttachTaskView(ITaskDocumentView* view);
    void DetachTaskView(ITaskDocumentView* view);
    // The first one attached; null for none.
    ITaskDocumentView* GetTaskView() const { return m_taskViews.empty() ? nullptr : m_taskViews.front(); }

    // With a task, its project file; with a text, the text as it stands,
    // after which that state counts as saved; with neither, nothing.
    void Serialize(CArchive& archive) override;

    bool IsModified() const override;
    void SetModifiedFlag(bool modified = true) override;

    // A document with no content may always close.
    bool CanCloseFrame(CFrameWnd* frame) override;
    // True when the document is unmodified, holds nothing, or "Prompts/Save"
    // is 0 (changes are dropped); otherwise asks "Save changes to %1?" with
    // the path or "Untitled".
    bool SaveModified() override;
    // Without a path asks through the document manager's prompt ("Save As"
    // when replacing); false when the document holds nothing, the prompt was
    // cancelled, or the file could not be written (no file is removed).
    bool DoSave(const std::string& path, bool replace = true) override;

private:
    bool HasContent() const { return m_task || m_text; }

    const IPropertySet& m_settings;
    std::vector<ITaskDocumentView*> m_taskViews;
    int m_logId = 0;
    std::unique_ptr<CTaskSettings> m_task;
    std::unique_ptr<CEditTextBuffer> m_text;
};
