#pragma once
// CTanglewardenDocManager: the application's document manager. It holds the
// five templates (CreateDocTemplates), decides which window a path opens in
// (by its extension and, for other files, by what the file holds), finds
// open documents of a kind or showing a file, and offers the program's file
// types in its file prompts.
//
// Paths compare exactly: Linux file names are case-sensitive, and no path is
// cut to any length.
//
// Later windows plug in through slots: each kind's frame factory
// (CTanglewardenTemplate::SetFrameFactory), the Select New Action prompt that
// File New runs, and the starter that runs a newly opened task.
//
// UI thread only.

#include "platform/ui/DocManager.h"
#include "platform/ui/DocTemplate.h"

#include <functional>
#include <string>

class CHTMLEditView;
class CLogRegistry;
class CTanglewardenDoc;
class CTanglewardenTemplate;
class CTaskSettings;
class CPropertySet;

// Window kinds of the templates.
enum DocumentKind
{
    kKindTask = 1,
    kKindTransferQueue = 2,
    kKindTransferLog = 3,
    kKindLinkReport = 4,
    kKindTextEditor = 5,
};

class CTanglewardenDocManager : public CDocManager
{
public:
    // Asks the user what to do next (the Select New Action dialog); true
    // with the chosen task filled in, false when cancelled.
    using NewActionPrompt = std::function<bool(CTaskSettings& task)>;
    // Starts a task window's task once its document holds it.
    using TaskStarter = std::function<void(CTanglewardenDoc& document)>;

    // settings: the program's settings; must outlive the manager.
    explicit CTanglewardenDocManager(CPropertySet& settings);
    ~CTanglewardenDocManager() override;

    // The five templates in kind order; their documents are
    // CTanglewardenDoc, their frames until registered the plain frame.
    void CreateDocTemplates(CDocTemplate::FrameFactory plainFrame);

    CTanglewardenTemplate* FindTemplateOfKind(int kind) const;

    void SetNewActionPrompt(NewActionPrompt prompt) { m_newActionPrompt = std::move(prompt); }
    bool HasNewActionPrompt() const { return static_cast<bool>(m_newActionPrompt); }
    void SetTaskStarter(TaskStarter starter) { m_taskStarter = std::move(starter); }

    // Kind 1: NewTaskDocument(null). Kinds 2 to 5: a new document of that
    // kind titled "Transfer Queue", "Log", "Report" or "Edit". Null on
    // failure.
    CTanglewardenDoc* NewDocumentOfKind(int kind);
    // A new task window for a copy of task; without one the new-action
    // prompt chooses it. Actions 4 and 5 (edit a file, a new page) open an
    // editor for the task's start address instead.
    CTanglewardenDoc* NewTaskDocument(const CTaskSettings* task);
    // Opens an existing file by its extension: ".vbb" a task window that
    // starts at once, ".log" a log window, others an editor for text and
    // HTML (or, with "Misc/Check HTML on open", a task of depth 1). Null,
    // without a message, for a missing file or a kind it cannot show.
    CTanglewardenDoc* OpenDocumentByPath(const std::string& path);
    // An editor for the file (the open one when it shows already), or for a
    // new page from the "Default.html" template when path is empty. The text
    // is editable with line numbers; an HTML file gets the link colouriser
    // over the files beside it (a task window that opens it hands over its
    // engine afterwards: ColorEditorLinksByEngine), a C-like file
    // (.h, .hpp, .c, .cpp) the C colouriser, any other none. The title is
    // the file's path, or "[Untitled]" for a new page, which has no path,
    // so its first Save asks for a name. A file that cannot be read shows
    // the reason in the window, which then keeps no path either.
    CTanglewardenDoc* OpenEditDocument(const std::string& path);
    // The registry the report windows take their texts from; null (the
    // default) opens no report window. It must outlive the manager.
    void SetLogRegistry(CLogRegistry* logs) { m_logs = logs; }

    // A log window for a log file, read once and coloured as a log; the
    // window already showing that file, or with "Misc/Single Log Window"
    // the first log window, is reused. The title is the path.
    CTanglewardenDoc* OpenLogDocument(const std::string& path);
    // A log window for a log of the registry (a valid id, not 0 or -1): with
    // "Misc/Single Log Window" the first open log window is reused, else
    // the open window of that log is brought to the top and returned as it
    // is. A new or reused window follows the log as it grows (coloured as a
    // log, no line numbers) under the log's name ("Log" when it has none).
    CTanglewardenDoc* OpenLogDocument(int logId, CLogRegistry& logs);
    // A report window for a text of the log registry (a valid id): with
    // "Misc/Single Report Window" the first open report window is reused,
    // else the open window of that report is brought to the top and
    // returned as it is. A new or reused window shows the text read-only
    // with line numbers and follows it (a report written again shows
    // there); formats 1 and 3 (HTML) are coloured as HTML. The title stays
    // "Report" until the caller sets the document's title. Null without a
    // registry or a window.
    CTanglewardenDoc* OpenReportDocument(int reportId, int format);

    // The first document of the kind (id -1), or the one whose path is path;
    // with activate its frame comes to the top.
    CTanglewardenDoc* FindDocumentOfKind(int id, bool activate, int kind, const std::string& path = {}) const;
    // The editor document of that file; with activate its frame comes to the
    // top, restored when minimised.
    CTanglewardenDoc* FindEditDocument(const std::string& path, bool activate) const;
    // Asks the frame of every document of the kind to close.
    void CloseAllOfKind(int kind);

    // File prompt with the program's filters: chosen by the extension of
    // name and by the template (see the .cpp); the selected filter gives the
    // default extension.
    bool DoPromptFileName(std::string& name, const std::string& title, unsigned flags, bool open,
                          CDocTemplate* docTemplate) override;

    // File New and File Open.
    CTanglewardenDoc* OnFileNew();
    CTanglewardenDoc* OnFileOpen();
    // From the command line, the recent-file list and the desktop.
    CDocument* OpenDocumentFile(const std::string& path) override;

    // The documents of a kind, in the order they were made.
    std::vector<CTanglewardenDoc*> GetDocumentsOfKind(int kind) const;

private:
    // "Failed to create empty document." when there is no template; true
    // when there is one.
    bool CheckTemplates() const;

    // The window of the kind to show a registry text in: with the
    // single-window setting the first open one, else the one already
    // showing that id (activated, and asItIs set: it is left as it is);
    // otherwise a new one. Null when none can be made.
    CTanglewardenDoc* WindowForId(int kind, int id, int singleSetting, bool& asItIs);

    CPropertySet& m_settings;
    CLogRegistry* m_logs = nullptr;
    NewActionPrompt m_newActionPrompt;
    TaskStarter m_taskStarter;
};

// The filter text of DoPromptFileName for a name's lower-cased extension
// (with its dot, or empty) and a template kind (0 for none), and the index
// (from 1) of the selected pair and its default extension.
struct PromptFilter
{
    std::string m_filter;
    int m_selected = 1;
    std::string m_defaultExtension;
};
PromptFilter MakePromptFilter(const std::string& extension, int kind);

// Brings the frame that shows the document to the top (restored when
// minimised).
void ActivateDocumentFrame(CDocument& document);

// The first editor view of the document; null when it has none (a window
// kind whose own view is not registered yet).
CHTMLEditView* FindEditView(CDocument& document);
