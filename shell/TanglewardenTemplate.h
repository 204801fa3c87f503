#pragma once
// CTanglewardenTemplate: a document template that carries a window kind
// (1 task, 2 transfer queue, 3 transfer log, 4 link report, 5 text editor).
// Every kind makes CTanglewardenDoc documents; what a new document holds
// follows the kind: a task for kind 1, a text for kinds 3 to 5 (so that a
// new text can be edited, saved and asked about before any view fills it),
// nothing for kind 2.
//
// The frame and views of a kind are registered by the window that shows it
// (SetFrameFactory). Until one is, documents of the kind open in the
// template's plain frame, and the commands that exist only to open that kind
// of window stay disabled (HasWindow).
//
// UI thread only.

#include "platform/ui/DocTemplate.h"

class CTanglewardenTemplate : public CDocTemplate
{
public:
    CTanglewardenTemplate(int kind, UINT resourceId, std::string docString, DocumentFactory makeDocument,
                          FrameFactory plainFrame);

    int GetKind() const { return m_kind; }

    void SetFrameFactory(FrameFactory makeFrame) { m_makeFrame = std::move(makeFrame); }
    // Whether the kind's own window has been registered.
    bool HasWindow() const { return static_cast<bool>(m_makeFrame); }

    CDocument* CreateNewDocument() override;
    CFrameWnd* CreateNewFrame(CDocument& document) override;
    // A local path (absolute, "~/..." or "file:...") is read; any other
    // non-empty path (an address) only names the new document, nothing is
    // read. Without a path, a new document with the default title.
    CDocument* OpenDocumentFile(const std::string& path, bool makeVisible = true) override;

private:
    int m_kind;
    FrameFactory m_makeFrame;
};
