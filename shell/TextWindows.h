#pragma once
// The transfer-log and report windows of the running program: each is the
// kind's child frame with one CHTMLEditView (the document manager fills it:
// a followed log, a log file, a report text). The frame's tab follows the
// document's title, so a caller that renames the window afterwards (a task
// window titles its report with the task's start address) is shown in the
// tab too, with the "Log: " or "Report: " prefix.
//
// UI thread only.

#include <functional>

class CFrameWnd;
class CDocument;
class CLogRegistry;
class CMainFrame;
class CPropertySet;
class CTanglewardenDocManager;

// A window of kind 3 (transfer log) or 4 (link report) for the document in
// the main window; null without a main window or for another kind.
CFrameWnd* MakeTextWindow(CMainFrame* main, CDocument& document, int kind, CPropertySet& settings);

// Registers the log and report windows with the manager's templates and
// hands it the registry the report windows read. mainFrame is asked at each
// new window; settings and logs must outlive the manager.
void RegisterTextWindows(CTanglewardenDocManager& manager, std::function<CMainFrame*()> mainFrame,
                         CPropertySet& settings, CLogRegistry& logs);
