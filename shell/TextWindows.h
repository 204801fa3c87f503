#pragma once
// The transfer-log, report and text-editor windows of the running program:
// each is the kind's child frame with one CHTMLEditView (the document
// manager fills it: a followed log, a log file, a report text, a file to
// edit). The editor's view shows the document's own text, so File > Save
// writes what the user edited; after a save the tab's modified colour
// follows the document. The frame's tab follows the
// document's title, so a caller that renames the window afterwards (a task
// window titles its report with the task's start address) is shown in the
// tab too, with the "Log: ", "Report: " or "Edit: " prefix.
//
// UI thread only.

#include <functional>

class CFrameWnd;
class CLinkChecker;
class CDocument;
class CLogRegistry;
class CMainFrame;
class CPropertySet;
class CTanglewardenDocManager;

// A window of kind 3 (transfer log), 4 (link report) or 5 (text editor) for
// the document in the main window; null without a main window or for
// another kind.
CFrameWnd* MakeTextWindow(CMainFrame* main, CDocument& document, int kind, CPropertySet& settings);

// Registers the log, report and editor windows with the manager's templates and
// hands it the registry the report windows read. mainFrame is asked at each
// new window; settings and logs must outlive the manager.
void RegisterTextWindows(CTanglewardenDocManager& manager, std::function<CMainFrame*()> mainFrame,
                         CPropertySet& settings, CLogRegistry& logs);

// An editor window opened from a task window's link colours the links of
// its page by the states the task's engine found (linkContext: the page's
// link id); with a null engine it colours them by the files beside the page
// again. Only a page shown as HTML changes.
void ColorEditorLinksByEngine(CDocument& document, const CLinkChecker* engine, int linkContext);
// A task window that goes: the editor windows whose links its engine colours
// colour them by the files beside the page again. A page edited from two
// task windows keeps the colours of the other window's engine when the
// first goes.
void StopColoringEditorLinksByEngine(CDocument& document, const CLinkChecker* engine);
